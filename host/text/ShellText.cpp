// ShellText.cpp - shell words, and the host's own name as the player typed it.
#include "text/ShellText.h"

#include <algorithm>
#include <cctype>

namespace host {
namespace {

std::string& RememberedHostAsRun() {
    static std::string command = "tarvenix-host";
    return command;
}

} // namespace

std::string ShellWord(std::string_view text) {
    const bool plain = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 || std::string_view("_./-+,:@=").find(c) != std::string_view::npos;
    });
    if (plain) {
        return std::string(text);
    }
#if defined(_WIN32)
    std::string quoted = "\"";
    return quoted.append(text).append("\"");
#else
    std::string word = "'";
    for (const char c : text) {
        word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return word + "'";
#endif
}

void RememberHostAsRun(std::string_view invokedAs) {
    if (!invokedAs.empty()) {
        RememberedHostAsRun() = ShellWord(invokedAs);
    }
}

const std::string& HostAsRun() {
    return RememberedHostAsRun();
}

} // namespace host
