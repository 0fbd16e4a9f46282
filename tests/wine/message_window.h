// A real message-only window with its own window procedure, and the message loop that feeds it:
// the way a Windows program receives the library's completion messages.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace qs::wine {

struct Completion {
    UINT message = 0;
    int32_t wparam = 0;
    int32_t lparam = 0;
};

class MessageWindow {
  public:
    MessageWindow() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &MessageWindow::procedure;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kClassName;
        RegisterClassA(&wc); // a second window reuses the class registered by the first
        hwnd_ = CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                wc.hInstance, this);
    }
    ~MessageWindow() {
        if (hwnd_) DestroyWindow(hwnd_);
    }
    MessageWindow(const MessageWindow &) = delete;
    MessageWindow &operator=(const MessageWindow &) = delete;

    bool valid() const { return hwnd_ != nullptr; }
    // Handles are 32-bit in a 32-bit process, which is what the library's records carry.
    uint32_t handle() const { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(hwnd_)); }

    // Runs the message loop until the window procedure has seen `message`, or timeoutMs passed.
    // Earlier completions of other numbers stay queued for later calls.
    std::optional<Completion> waitFor(UINT message, DWORD timeoutMs) {
        const ULONGLONG deadline = GetTickCount64() + timeoutMs;
        for (;;) {
            for (auto it = seen_.begin(); it != seen_.end(); ++it) {
                if (it->message == message) {
                    Completion c = *it;
                    seen_.erase(it);
                    return c;
                }
            }
            const ULONGLONG now = GetTickCount64();
            if (now >= deadline) return std::nullopt;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now),
                                      QS_ALLINPUT);
            MSG m;
            while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&m);
                DispatchMessageA(&m);
            }
        }
    }

    // Completions received so far and not yet taken by waitFor.
    const std::vector<Completion> &pending() const { return seen_; }

  private:
    static constexpr const char *kClassName = "QuaystoneTestReceiver";
    // Completions are WM_USER-based numbers; anything below is the system's business.
    static constexpr UINT kFirstCompletion = WM_USER;

    static LRESULT CALLBACK procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_NCCREATE) {
            auto *cs = reinterpret_cast<CREATESTRUCTA *>(lp);
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        }
        auto *self = reinterpret_cast<MessageWindow *>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (self && msg >= kFirstCompletion) {
            self->seen_.push_back(
                Completion{msg, static_cast<int32_t>(wp), static_cast<int32_t>(lp)});
            return 0;
        }
        return DefWindowProcA(hwnd, msg, wp, lp);
    }

    HWND hwnd_ = nullptr;
    std::vector<Completion> seen_;
};

} // namespace qs::wine
