// CommandLine.cpp - argv to HostCommand: command word, options, values, each checked once.
#include "host/CommandLine.h"

#include <charconv>
#include <functional>
#include <limits>
#include <map>
#include <string_view>
#include <system_error>
#include <utility>

namespace host {
namespace {

/// Walks the arguments, handing out each option's value; "--name=value" and "--name value" both work.
class ArgumentCursor {
public:
    explicit ArgumentCursor(const std::vector<std::string>& arguments, std::size_t start)
        : arguments_(arguments), index_(start) {}

    bool AtEnd() const { return index_ >= arguments_.size(); }

    /// The next option's name; its inline value, if any, is kept for Value().
    std::string NextOption() {
        std::string argument = arguments_[index_++];
        inlineValue_.reset();
        if (argument.rfind("--", 0) != 0) {
            throw UsageError("unexpected argument '" + argument + "'");
        }
        if (const auto equals = argument.find('='); equals != std::string::npos) {
            inlineValue_ = argument.substr(equals + 1);
            argument.resize(equals);
        }
        return argument;
    }

    std::string Value(const std::string& option) {
        if (inlineValue_) {
            return *std::exchange(inlineValue_, std::nullopt);
        }
        if (AtEnd()) {
            throw UsageError("option '" + option + "' needs a value");
        }
        return arguments_[index_++];
    }

    /// A flag must not be given a value.
    void NoValue(const std::string& option) const {
        if (inlineValue_) {
            throw UsageError("option '" + option + "' takes no value");
        }
    }

private:
    const std::vector<std::string>& arguments_;
    std::size_t index_;
    std::optional<std::string> inlineValue_;
};

template <typename Number>
Number ParseNumber(const std::string& option, const std::string& text, Number lowest) {
    Number value{};
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || text.empty()) {
        throw UsageError("option '" + option + "' needs a whole number, got '" + text + "'");
    }
    if (value < lowest) {
        throw UsageError("option '" + option + "' must be at least " + std::to_string(lowest) +
                         ", got '" + text + "'");
    }
    return value;
}

std::int32_t ParseCount(const std::string& option, const std::string& text, std::int32_t lowest) {
    return ParseNumber<std::int32_t>(option, text, lowest);
}

Language ParseLanguage(const std::string& option, const std::string& text) {
    if (text == "en") {
        return Language::English;
    }
    if (text == "ru") {
        return Language::Russian;
    }
    throw UsageError("option '" + option + "' takes en or ru, got '" + text + "'");
}

/// One table per command: option name to what it does with the cursor.
template <typename Options>
using OptionTable = std::map<std::string, std::function<void(Options&, ArgumentCursor&, const std::string&)>>;

const OptionTable<PlanOptions>& PlanTable() {
    static const OptionTable<PlanOptions> table = {
        {"--galaxy", [](PlanOptions& o, ArgumentCursor& c, const std::string& n) { o.galaxy = c.Value(n); }},
        {"--select", [](PlanOptions& o, ArgumentCursor& c, const std::string& n) {
             o.select = ParseNumber<std::int32_t>(n, c.Value(n), std::numeric_limits<std::int32_t>::min());
         }},
        {"--plugin", [](PlanOptions& o, ArgumentCursor& c, const std::string& n) { o.plugin = c.Value(n); }},
        {"--lang", [](PlanOptions& o, ArgumentCursor& c, const std::string& n) {
             o.language = ParseLanguage(n, c.Value(n));
         }},
        {"--trace", [](PlanOptions& o, ArgumentCursor& c, const std::string& n) { o.trace = c.Value(n); }},
        {"--svg", [](PlanOptions& o, ArgumentCursor& c, const std::string& n) { o.svg = c.Value(n); }},
        {"--save", [](PlanOptions& o, ArgumentCursor& c, const std::string& n) { o.save = c.Value(n); }},
        {"--json", [](PlanOptions& o, ArgumentCursor& c, const std::string& n) {
             c.NoValue(n);
             o.json = true;
         }},
        {"--cancel-after-steps", [](PlanOptions& o, ArgumentCursor& c, const std::string& n) {
             o.cancelAfterSteps = ParseCount(n, c.Value(n), 0);
         }},
        {"--answer-delay-ms", [](PlanOptions& o, ArgumentCursor& c, const std::string& n) {
             o.answerDelayMs = ParseCount(n, c.Value(n), 0);
         }},
    };
    return table;
}

const OptionTable<GenerateOptions>& GenerateTable() {
    static const OptionTable<GenerateOptions> table = {
        {"--planets", [](GenerateOptions& o, ArgumentCursor& c, const std::string& n) {
             o.planets = ParseCount(n, c.Value(n), 1);
         }},
        {"--races", [](GenerateOptions& o, ArgumentCursor& c, const std::string& n) {
             o.races = ParseCount(n, c.Value(n), 1);
         }},
        {"--groups", [](GenerateOptions& o, ArgumentCursor& c, const std::string& n) {
             o.groups = ParseCount(n, c.Value(n), 0);
         }},
        {"--seed", [](GenerateOptions& o, ArgumentCursor& c, const std::string& n) {
             o.seed = ParseNumber<std::uint64_t>(n, c.Value(n), 0);
         }},
        {"--out", [](GenerateOptions& o, ArgumentCursor& c, const std::string& n) { o.out = c.Value(n); }},
    };
    return table;
}

const OptionTable<AboutOptions>& AboutTable() {
    static const OptionTable<AboutOptions> table = {
        {"--plugin", [](AboutOptions& o, ArgumentCursor& c, const std::string& n) { o.plugin = c.Value(n); }},
        {"--lang", [](AboutOptions& o, ArgumentCursor& c, const std::string& n) {
             o.language = ParseLanguage(n, c.Value(n));
         }},
    };
    return table;
}

template <typename Options>
HostCommand ParseOptions(const std::string& command, const OptionTable<Options>& table,
                         ArgumentCursor& cursor) {
    Options options;
    while (!cursor.AtEnd()) {
        const std::string name = cursor.NextOption();
        if (name == "--help") {
            return HelpRequest{};
        }
        const auto entry = table.find(name);
        if (entry == table.end()) {
            throw UsageError("unknown option '" + name + "' for '" + command + "'");
        }
        entry->second(options, cursor, name);
    }
    return options;
}

} // namespace

HostCommand ParseCommandLine(const std::vector<std::string>& arguments) {
    std::string command = "plan";
    std::size_t start = 0;
    if (!arguments.empty() && arguments.front().rfind("--", 0) != 0) {
        command = arguments.front();
        start = 1;
    }
    ArgumentCursor cursor(arguments, start);
    if (command == "plan") {
        return ParseOptions(command, PlanTable(), cursor);
    }
    if (command == "about") {
        return ParseOptions(command, AboutTable(), cursor);
    }
    if (command == "generate") {
        HostCommand parsed = ParseOptions(command, GenerateTable(), cursor);
        if (const auto* options = std::get_if<GenerateOptions>(&parsed); options && options->planets == 0) {
            throw UsageError("'generate' needs --planets N");
        }
        return parsed;
    }
    if (command == "help") {
        return HelpRequest{};
    }
    throw UsageError("unknown command '" + command + "'");
}

const char* UsageText() {
    return "usage: tarvenix-host [plan] [--galaxy FILE] [--select GROUP] [--plugin PATH]\n"
           "                     [--lang en|ru] [--trace FILE] [--svg FILE] [--save FILE]\n"
           "                     [--json] [--cancel-after-steps N] [--answer-delay-ms MS]\n"
           "       tarvenix-host generate --planets N [--races R] [--groups G] [--seed S] [--out FILE]\n"
           "       tarvenix-host about [--plugin PATH] [--lang en|ru]\n";
}

} // namespace host
