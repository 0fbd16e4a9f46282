#include "x11_close_requests.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace tarvo {

namespace {
// Windows come and go while we walk them; an error about one that vanished is no error here.
int ignoreErrors(Display *, XErrorEvent *) {
    return 0;
}

class Connection {
  public:
    Connection() : display_(XOpenDisplay(nullptr)) {
        if (display_) previous_ = XSetErrorHandler(ignoreErrors);
    }
    ~Connection() {
        if (!display_) return;
        XSync(display_, False);
        XSetErrorHandler(previous_);
        XCloseDisplay(display_);
    }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;
    Display *get() const { return display_; }

  private:
    Display *display_;
    XErrorHandler previous_ = nullptr;
};

// A property of 32-bit items; X hands them over as longs.
std::vector<unsigned long> cardinals(Display *d, Window w, Atom property, Atom type) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    std::vector<unsigned long> out;
    if (XGetWindowProperty(d, w, property, 0, 4096, False, type, &actualType, &format, &count,
                           &after, &data) == Success &&
        data && format == 32 && actualType == type) {
        const auto *items = reinterpret_cast<const unsigned long *>(data);
        out.assign(items, items + count);
    }
    if (data) XFree(data);
    return out;
}

std::string textProperty(Display *d, Window w, Atom property) {
    XTextProperty text{};
    std::string out;
    if (XGetTextProperty(d, w, &text, property) && text.value && text.format == 8)
        out.assign(reinterpret_cast<const char *>(text.value), text.nitems);
    if (text.value) XFree(text.value);
    return out;
}

std::vector<Window> children(Display *d, Window w) {
    Window root = 0, parent = 0;
    Window *list = nullptr;
    unsigned int count = 0;
    std::vector<Window> out;
    if (XQueryTree(d, w, &root, &parent, &list, &count) && list) out.assign(list, list + count);
    if (list) XFree(list);
    return out;
}

bool takesDeleteWindow(Display *d, Window w, Atom deleteWindow) {
    Atom *protocols = nullptr;
    int count = 0;
    bool takes = false;
    if (XGetWMProtocols(d, w, &protocols, &count) && protocols)
        takes = std::find(protocols, protocols + count, deleteWindow) != protocols + count;
    if (protocols) XFree(protocols);
    return takes;
}

std::string hostName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}
} // namespace

std::set<pid_t> AskX11WindowsToClose(const std::set<pid_t> &pids) {
    std::set<pid_t> asked;
    if (pids.empty()) return asked;
    Connection connection;
    Display *d = connection.get();
    if (!d) return asked;
    const Window root = DefaultRootWindow(d);
    const Atom netWmPid = XInternAtom(d, "_NET_WM_PID", False);
    const Atom wmProtocols = XInternAtom(d, "WM_PROTOCOLS", False);
    const Atom wmDeleteWindow = XInternAtom(d, "WM_DELETE_WINDOW", False);
    const Atom netCloseWindow = XInternAtom(d, "_NET_CLOSE_WINDOW", False);
    const Atom netClientList = XInternAtom(d, "_NET_CLIENT_LIST", False);
    const Atom netSupported = XInternAtom(d, "_NET_SUPPORTED", False);
    const Atom wmClientMachine = XInternAtom(d, "WM_CLIENT_MACHINE", False);

    const std::vector<unsigned long> supported = cardinals(d, root, netSupported, XA_ATOM);
    const bool wmCloses =
        std::find(supported.begin(), supported.end(), netCloseWindow) != supported.end();

    // A window manager lists the windows it manages; without one, the top-level windows are the
    // root's children (and, under a manager that keeps no list, their frames' children).
    std::vector<Window> candidates;
    for (unsigned long w : cardinals(d, root, netClientList, XA_WINDOW))
        candidates.push_back(static_cast<Window>(w));
    if (candidates.empty()) {
        for (Window top : children(d, root)) {
            candidates.push_back(top);
            for (Window inner : children(d, top))
                candidates.push_back(inner);
        }
    }

    const std::string here = hostName();
    for (Window w : candidates) {
        const std::vector<unsigned long> owner = cardinals(d, w, netWmPid, XA_CARDINAL);
        if (owner.size() != 1) continue;
        const auto pid = static_cast<pid_t>(owner.front());
        if (!pids.count(pid)) continue;
        // A process id means something only on the machine that gave it out.
        const std::string machine = textProperty(d, w, wmClientMachine);
        if (!machine.empty() && machine != here) continue;

        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.format = 32;
        if (takesDeleteWindow(d, w, wmDeleteWindow)) {
            event.xclient.window = w;
            event.xclient.message_type = wmProtocols;
            event.xclient.data.l[0] = static_cast<long>(wmDeleteWindow);
            event.xclient.data.l[1] = CurrentTime;
            XSendEvent(d, w, False, NoEventMask, &event);
        } else if (wmCloses) {
            event.xclient.window = w;
            event.xclient.message_type = netCloseWindow;
            event.xclient.data.l[0] = CurrentTime;
            event.xclient.data.l[1] = 2; // on the user's direct request, as a task bar sends it
            XSendEvent(d, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
        } else {
            continue;
        }
        asked.insert(pid);
    }
    XFlush(d);
    return asked;
}

} // namespace tarvo
