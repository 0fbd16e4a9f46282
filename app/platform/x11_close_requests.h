#pragma once

#include <set>
#include <sys/types.h>

namespace tarvo {

// Asks the top-level windows of the processes `pids` on this machine to close, the way a window
// manager's close button does: WM_DELETE_WINDOW to a window that takes it, otherwise
// _NET_CLOSE_WINDOW through a window manager that offers it. Uses the X display of $DISPLAY and
// returns at once. The result holds the processes that had at least one window asked; none
// when there is no X display.
std::set<pid_t> AskX11WindowsToClose(const std::set<pid_t> &pids);

} // namespace tarvo
