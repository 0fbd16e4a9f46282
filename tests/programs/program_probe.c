/* A program to register in the tests: it records what it was started with and what it was
 * asked, one line at a time, in the file RECORD.
 *
 *   program_probe report RECORD [ARGS...]  arguments, folder, environment, session, streams; ends
 *   program_probe quiet RECORD             no window; records SIGTERM and ends on it
 *   program_probe window RECORD            a window that takes WM_DELETE_WINDOW and ends on it
 *   program_probe bare RECORD              a window without WM_PROTOCOLS
 *   program_probe stubborn RECORD          a window; records WM_DELETE_WINDOW and SIGTERM, ends on
 * neither
 *
 * Every mode but report writes "started=MS" (CLOCK_MONOTONIC) first, "ready" once it is set up
 * (and "window=ID" before that for the window modes), and ends by itself after 60 seconds, so
 * that no test leaves it behind. */
#define _GNU_SOURCE
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/select.h>
#include <time.h>
#include <unistd.h>

static const char *record_path;
static int stubborn;

static void record(const char *line) {
    int fd = open(record_path, O_WRONLY | O_APPEND | O_CREAT, 0644);
    if (fd < 0) return;
    size_t n = strlen(line);
    if (write(fd, line, n) != (ssize_t)n || write(fd, "\n", 1) != 1) {
        /* nothing to do: the test sees the line missing */
    }
    close(fd);
}

static void on_term(int sig) {
    (void)sig;
    record("SIGTERM");
    if (!stubborn) _exit(0);
}

static void describe_fd(int fd, const char *name) {
    char link[64], target[PATH_MAX + 1], line[PATH_MAX + 64];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    ssize_t n = readlink(link, target, PATH_MAX);
    target[n < 0 ? 0 : n] = '\0';
    snprintf(line, sizeof line, "%s=%s", name, n < 0 ? "closed" : target);
    record(line);
}

static int report(int argc, char **argv) {
    char line[PATH_MAX + 64], cwd[PATH_MAX];
    snprintf(line, sizeof line, "argc=%d", argc - 3);
    record(line);
    for (int i = 3; i < argc; ++i) {
        snprintf(line, sizeof line, "arg=[%s]", argv[i]);
        record(line);
    }
    snprintf(line, sizeof line, "cwd=%s", getcwd(cwd, sizeof cwd) ? cwd : "?");
    record(line);
    const char *env = getenv("TARVO_PROBE_ENV");
    snprintf(line, sizeof line, "env=%s", env ? env : "(unset)");
    record(line);
    snprintf(line, sizeof line, "session_leader=%d", getsid(0) == getpid());
    record(line);
    describe_fd(0, "stdin");
    describe_fd(1, "stdout");
    describe_fd(2, "stderr");
    describe_fd(3, "fd3");
    return 0;
}

static int run_window(int with_protocols) {
    Display *d = XOpenDisplay(NULL);
    if (!d) {
        record("no display");
        return 2;
    }
    Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 10, 10, 120, 80, 0, 0,
                                   WhitePixel(d, DefaultScreen(d)));
    /* Sets WM_CLIENT_MACHINE to this host, as toolkits do. */
    XSetWMProperties(d, w, NULL, NULL, NULL, 0, NULL, NULL, NULL);
    Atom net_wm_pid = XInternAtom(d, "_NET_WM_PID", False);
    unsigned long pid = (unsigned long)getpid();
    XChangeProperty(d, w, net_wm_pid, XA_CARDINAL, 32, PropModeReplace, (unsigned char *)&pid, 1);
    Atom wm_protocols = XInternAtom(d, "WM_PROTOCOLS", False);
    Atom wm_delete = XInternAtom(d, "WM_DELETE_WINDOW", False);
    if (with_protocols) XSetWMProtocols(d, w, &wm_delete, 1);
    XStoreName(d, w, "program_probe");
    XMapWindow(d, w);
    XSync(d, False);
    char line[64];
    snprintf(line, sizeof line, "window=%lu", (unsigned long)w);
    record(line);
    record("ready");

    time_t end = time(NULL) + 60;
    int fd = ConnectionNumber(d);
    while (time(NULL) < end) {
        while (XPending(d)) {
            XEvent ev;
            XNextEvent(d, &ev);
            if (ev.type == ClientMessage && ev.xclient.message_type == wm_protocols &&
                (Atom)ev.xclient.data.l[0] == wm_delete) {
                record("WM_DELETE_WINDOW");
                if (!stubborn) {
                    XCloseDisplay(d);
                    return 0;
                }
            }
        }
        fd_set in;
        FD_ZERO(&in);
        FD_SET(fd, &in);
        struct timeval tv = {0, 200000};
        select(fd + 1, &in, NULL, NULL, &tv);
    }
    XCloseDisplay(d);
    return 0;
}

int main(int argc, char **argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: program_probe MODE RECORD [ARGS...]\n");
        return 64;
    }
    const char *mode = argv[1];
    record_path = argv[2];
    if (strcmp(mode, "report") == 0) return report(argc, argv);

    stubborn = strcmp(mode, "stubborn") == 0;
    /* When it started, on the clock every process shares, so that a test can tell the order. */
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    char started[64];
    snprintf(started, sizeof started, "started=%lld",
             (long long)now.tv_sec * 1000 + now.tv_nsec / 1000000);
    record(started);
    struct sigaction sa;
    memset(&sa, 0, sizeof sa);
    sa.sa_handler = on_term;
    sigaction(SIGTERM, &sa, NULL);

    if (strcmp(mode, "quiet") == 0) {
        record("ready");
        time_t end = time(NULL) + 60;
        while (time(NULL) < end)
            sleep(1);
        return 0;
    }
    if (strcmp(mode, "window") == 0 || stubborn) return run_window(1);
    if (strcmp(mode, "bare") == 0) return run_window(0);
    fprintf(stderr, "program_probe: unknown mode %s\n", mode);
    return 64;
}
