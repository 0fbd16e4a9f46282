#include "child_processes.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/pidfd.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace tarvo {

namespace {
// posix_spawn's objects, destroyed on every path out.
struct SpawnSetup {
    posix_spawnattr_t attr;
    posix_spawn_file_actions_t actions;
    bool attrMade = false;
    bool actionsMade = false;
    bool ok = false;

    SpawnSetup() {
        attrMade = posix_spawnattr_init(&attr) == 0;
        actionsMade = posix_spawn_file_actions_init(&actions) == 0;
        if (!attrMade || !actionsMade) return;
        // A session of its own: the program outlives us and no terminal hang-up of ours
        // reaches it. Signals start unblocked and at their defaults, whatever we ignore.
        sigset_t none;
        sigemptyset(&none);
        sigset_t all;
        sigfillset(&all);
        sigdelset(&all, SIGKILL);
        sigdelset(&all, SIGSTOP);
        ok = posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK |
                                                 POSIX_SPAWN_SETSIGDEF) == 0 &&
             posix_spawnattr_setsigmask(&attr, &none) == 0 &&
             posix_spawnattr_setsigdefault(&attr, &all) == 0 &&
             posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0) == 0 &&
             posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0) == 0 &&
             posix_spawn_file_actions_adddup2(&actions, 1, 2) == 0 &&
             posix_spawn_file_actions_addclosefrom_np(&actions, 3) == 0;
    }
    ~SpawnSetup() {
        if (actionsMade) posix_spawn_file_actions_destroy(&actions);
        if (attrMade) posix_spawnattr_destroy(&attr);
    }
    SpawnSetup(const SpawnSetup &) = delete;
    SpawnSetup &operator=(const SpawnSetup &) = delete;
};
} // namespace

ChildProcesses::~ChildProcesses() {
    for (auto &[pid, child] : children_) {
        child.notifier.reset();
        ::close(child.pidfd);
    }
}

pid_t ChildProcesses::spawn(const std::string &executable,
                            const std::vector<std::string> &arguments) {
    SpawnSetup setup;
    if (!setup.ok) return 0;
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(executable.c_str()));
    for (const std::string &a : arguments)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);

    pid_t pid = 0;
    // glibc reports a failed exec (missing file, no permission, not a program) as the result.
    if (posix_spawn(&pid, executable.c_str(), &setup.actions, &setup.attr, argv.data(), environ) !=
        0)
        return 0;

    // The child is ours and unreaped, so the id still names it even if it has ended already.
    const int pidfd = pidfd_open(pid, 0);
    if (pidfd < 0) {
        // Without a pidfd nothing could tell this child from a later process with its id: it is
        // never signalled, and reaped here if it has already ended.
        siginfo_t info{};
        waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG);
        return pid;
    }
    Child &child = children_[pid];
    child.pidfd = pidfd;
    child.notifier = std::make_unique<QSocketNotifier>(pidfd, QSocketNotifier::Read);
    connect(child.notifier.get(), &QSocketNotifier::activated, this, [this, pid] {
        if (reapIfEnded(pid)) emit childEnded(pid);
    });
    return pid;
}

bool ChildProcesses::reapIfEnded(pid_t pid) {
    auto it = children_.find(pid);
    if (it == children_.end()) return true;
    siginfo_t info{};
    const int r = waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG);
    // ECHILD: someone else reaped it; either way it is gone.
    if (r == 0 && info.si_pid == 0) return false;
    // This may run inside the notifier's own signal: it goes once the signal has returned.
    QSocketNotifier *notifier = it->second.notifier.release();
    notifier->setEnabled(false);
    notifier->deleteLater();
    ::close(it->second.pidfd);
    children_.erase(it);
    return true;
}

std::vector<pid_t> ChildProcesses::running(const std::vector<pid_t> &pids) {
    std::vector<pid_t> alive;
    for (pid_t pid : pids)
        if (children_.count(pid) && !reapIfEnded(pid)) alive.push_back(pid);
    return alive;
}

bool ChildProcesses::terminate(pid_t pid) {
    if (!children_.count(pid) || reapIfEnded(pid)) return false;
    return pidfd_send_signal(children_[pid].pidfd, SIGTERM, nullptr, 0) == 0;
}

} // namespace tarvo
