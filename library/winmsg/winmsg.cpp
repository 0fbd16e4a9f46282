#include "winmsg/winmsg.h"

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

struct Window {
    WinMsgReceiver receiver;
    void *context;
    // Threads currently inside the receiver; unregister waits until only its own caller remains.
    std::vector<std::thread::id> inside;
};

struct Registry {
    std::mutex mutex;
    std::condition_variable idle;
    std::map<uint32_t, std::shared_ptr<Window>> windows;
    uint32_t last = 0;
};

Registry &registry() {
    // Leaked on purpose: posts from detached threads may arrive during static destruction.
    static Registry *r = new Registry;
    return *r;
}

bool onlyCaller(const Window &w, std::thread::id self) {
    for (auto id : w.inside)
        if (id != self) return false;
    return true;
}

} // namespace

extern "C" uint32_t winmsg_register(WinMsgReceiver receiver, void *context) {
    if (!receiver) return 0;
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    uint32_t handle = r.last;
    do {
        ++handle;
    } while (handle == 0 || r.windows.count(handle));
    r.last = handle;
    r.windows.emplace(handle, std::make_shared<Window>(Window{receiver, context, {}}));
    return handle;
}

extern "C" void winmsg_unregister(uint32_t window) {
    Registry &r = registry();
    std::unique_lock lock(r.mutex);
    auto it = r.windows.find(window);
    if (it == r.windows.end()) return;
    std::shared_ptr<Window> w = it->second;
    r.windows.erase(it);
    const auto self = std::this_thread::get_id();
    r.idle.wait(lock, [&] { return onlyCaller(*w, self); });
}

extern "C" int32_t winmsg_post(uint32_t window, uint32_t message, int32_t wparam, int32_t lparam) {
    Registry &r = registry();
    std::shared_ptr<Window> w;
    const auto self = std::this_thread::get_id();
    {
        std::lock_guard lock(r.mutex);
        auto it = r.windows.find(window);
        if (it == r.windows.end()) return 0;
        w = it->second;
        w->inside.push_back(self);
    }
    w->receiver(w->context, window, message, wparam, lparam);
    {
        std::lock_guard lock(r.mutex);
        for (auto it = w->inside.begin(); it != w->inside.end(); ++it) {
            if (*it == self) {
                w->inside.erase(it);
                break;
            }
        }
    }
    r.idle.notify_all();
    return 1;
}
