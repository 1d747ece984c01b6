// RecordingWindow.h - a test window that records every message its procedure sees.
//
// Shared by the window tests and the planner tests: both check what reached a
// window by comparing whole message sequences, and both pump the calling
// thread's queue with the bounded pumps this header brings along. The planner
// tests run on Windows too, over a real window.
#pragma once

#include "platform/MessagePump.h"
#include "platform/Window.h"

#include <ostream>
#include <vector>

struct ReceivedMessage {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;

    friend bool operator==(const ReceivedMessage&, const ReceivedMessage&) = default;
    friend std::ostream& operator<<(std::ostream& out, const ReceivedMessage& m) {
        return out << "{" << m.message << ", " << m.wParam << ", " << m.lParam << "}";
    }
};

#if defined(_WIN32)
// On Windows the recording window is a real message-only window of the calling thread.
// What the system sends while creating it is not recorded, as the stand-in sends nothing then.
class RecordingWindow {
public:
    RecordingWindow() = default;
    RecordingWindow(const RecordingWindow&) = delete;
    RecordingWindow& operator=(const RecordingWindow&) = delete;
    ~RecordingWindow() {
        if (handle_ != nullptr) DestroyWindow(handle_);
    }

    HWND CreateHandle() {
        static const ATOM windowClass = RegisterWindowClass();
        recording_ = false;
        handle_ = CreateWindowExA(0, MAKEINTATOM(windowClass), "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleA(nullptr), this);
        recording_ = true;
        return handle_;
    }
    HWND GetHandle() const { return handle_; }

    std::vector<ReceivedMessage> received;
    int destroyedCalls = 0;

private:
    static ATOM RegisterWindowClass() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = &Procedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "TarvenixRecordingWindow";
        return RegisterClassA(&windowClass);
    }

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
        }
        auto* self = reinterpret_cast<RecordingWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self == nullptr || !self->recording_) return DefWindowProcA(window, message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            self->handle_ = nullptr;
            ++self->destroyedCalls;
        }
        self->received.push_back({message, wParam, lParam});
        return static_cast<LRESULT>(message) + 1;
    }

    HWND handle_ = nullptr;
    bool recording_ = false;
};
#else
class RecordingWindow : public WindowModel {
public:
    ~RecordingWindow() override { DestroyWindow(GetHandle()); }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        received.push_back({message, wParam, lParam});
        return static_cast<LRESULT>(message) + 1;
    }

    std::vector<ReceivedMessage> received;
    int destroyedCalls = 0;

protected:
    void OnHandleDestroyed() override { ++destroyedCalls; }
};
#endif
