// MessageBox.cpp - AfxMessageBox through the host's presenter, or the system's box on Windows.
#include "platform/MessageBox.h"

#if defined(_WIN32)

int AfxMessageBox(const char* text, UINT type, UINT /*helpContext*/) {
    // Owned by the active window of this thread, so the box is modal to the host's frame.
    return MessageBoxA(GetActiveWindow(), text, "", type);
}

#else
#include <atomic>
#include <cstdio>

namespace {

int PrintToErrorStream(const char* text, UINT /*type*/) {
    std::fprintf(stderr, "%s\n", text == nullptr ? "" : text);
    return IDOK;
}

std::atomic<MessageBoxPresenter> presenter{nullptr};

} // namespace

MessageBoxPresenter AfxSetMessageBoxPresenter(MessageBoxPresenter newPresenter) {
    return presenter.exchange(newPresenter);
}

int AfxMessageBox(const char* text, UINT type, UINT /*helpContext*/) {
    const MessageBoxPresenter show = presenter.load();
    return show != nullptr ? show(text, type) : PrintToErrorStream(text, type);
}

#endif
