#include "window_message_bridge.h"

#include <winmsg/winmsg.h>

#include <QCoreApplication>
#include <QEvent>

namespace tarvo {

namespace {
const QEvent::Type kWindowMessageEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class WindowMessageEvent : public QEvent {
  public:
    WindowMessageEvent(std::uint32_t window, std::uint32_t message, std::int32_t wParam,
                       std::int32_t lParam)
        : QEvent(kWindowMessageEvent), window(window), message(message), wParam(wParam),
          lParam(lParam) {}
    std::uint32_t window;
    std::uint32_t message;
    std::int32_t wParam;
    std::int32_t lParam;
};
} // namespace

WindowMessageBridge::WindowMessageBridge(QObject *parent) : QObject(parent) {
    handle_ = winmsg_register(&WindowMessageBridge::receive, this);
}

WindowMessageBridge::~WindowMessageBridge() {
    // After this no receiver call runs, so none can post to a half-destroyed object.
    winmsg_unregister(handle_);
}

void WindowMessageBridge::post(std::uint32_t message, std::int32_t wParam,
                               std::int32_t lParam) const {
    winmsg_post(handle_, message, wParam, lParam);
}

void WindowMessageBridge::receive(void *context, std::uint32_t window, std::uint32_t message,
                                  std::int32_t wParam, std::int32_t lParam) {
    auto *self = static_cast<WindowMessageBridge *>(context);
    QCoreApplication::postEvent(self, new WindowMessageEvent(window, message, wParam, lParam));
}

bool WindowMessageBridge::event(QEvent *event) {
    if (event->type() != kWindowMessageEvent) return QObject::event(event);
    const auto *m = static_cast<WindowMessageEvent *>(event);
    // Unhooked, the messages go to the window's own procedure, which has no use for them.
    if (proc_) proc_(m->window, m->message, m->wParam, m->lParam);
    return true;
}

} // namespace tarvo
