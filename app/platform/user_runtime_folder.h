#pragma once

#include <QProcessEnvironment>
#include <QString>

namespace tarvo {

// A folder that belongs to the running user alone, for things that must be one per user, such
// as the socket a second start finds the first by: $XDG_RUNTIME_DIR when it is the user's own
// (owned by the user, a real folder, no access for anyone else), otherwise "Tarvo" in the user's
// cache folder ($XDG_CACHE_HOME or ~/.cache), made with mode 0700. Empty when neither can be had.
QString
UserRuntimeFolder(const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment());

// Whether `path` is a folder (not a link) owned by this user that nobody else can enter.
bool IsPrivateFolder(const QString &path);

} // namespace tarvo
