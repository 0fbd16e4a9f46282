#pragma once

#include "ports.h"

#include <QObject>

namespace tarvo {

// The main window's handle for window messages. A post from any thread is turned into a Qt
// event and handled on the thread that owns this object, so the hook never races the program.
class WindowMessageBridge : public QObject, public WindowMessagesPort {
    Q_OBJECT
  public:
    explicit WindowMessageBridge(QObject *parent = nullptr);
    ~WindowMessageBridge() override;

    std::uint32_t handle() const override { return handle_; }
    void hook(HookProc proc) override { proc_ = std::move(proc); }
    void unhook() override { proc_ = nullptr; }

    // Posts to this window, as any other sender would.
    void post(std::uint32_t message, std::int32_t wParam, std::int32_t lParam) const;

  protected:
    bool event(QEvent *event) override;

  private:
    static void receive(void *context, std::uint32_t window, std::uint32_t message,
                        std::int32_t wParam, std::int32_t lParam);

    std::uint32_t handle_ = 0;
    HookProc proc_;
};

} // namespace tarvo
