#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <map>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

namespace tarvo {

// The programs this process started and that have not ended yet. Each child is held by a pidfd
// that the event loop watches, so a child is reaped as soon as it ends and leaves no zombie.
// Until it is reaped its process id cannot be given to anyone else; once it is reaped it is no
// longer listed. So a signal sent through this class only ever reaches a child of ours.
class ChildProcesses : public QObject {
    Q_OBJECT
  public:
    ChildProcesses() = default;
    // The children keep running; they are no longer watched.
    ~ChildProcesses() override;

    // Starts `executable` (not looked up on PATH) with `arguments`, in a session of its own, with
    // this process's environment and current folder, standard streams on /dev/null and every
    // other descriptor closed. Returns its process id, or 0 when it did not start.
    pid_t spawn(const std::string &executable, const std::vector<std::string> &arguments);

    // Those of `pids` that are children of ours still running; the ones that ended are reaped
    // first.
    std::vector<pid_t> running(const std::vector<pid_t> &pids);
    // SIGTERM through the child's pidfd; false when `pid` is not a running child of ours.
    bool terminate(pid_t pid);
    std::size_t size() const { return children_.size(); }

  signals:
    void childEnded(pid_t pid);

  private:
    struct Child {
        int pidfd = -1;
        std::unique_ptr<QSocketNotifier> notifier;
    };
    // True when the child has ended; it is then reaped and forgotten.
    bool reapIfEnded(pid_t pid);

    std::map<pid_t, Child> children_;
};

} // namespace tarvo
