#pragma once

#include <QProcessEnvironment>
#include <QString>

namespace tarvo {

// The file an install puts into the program's folder.
inline constexpr char kInstalledMarker[] = "installed-copy.txt";

// Where the program keeps the files it writes (InitData.ini, Tarvo.log, the IP page). A copy
// that runs from a folder its user can write keeps them beside itself, as a portable program
// does. An installed copy cannot write its folder, so they go to "Tarvo" in the user's
// configuration folder ($XDG_CONFIG_HOME, by default ~/.config), made with mode 0700 when
// missing. The install marks the program's folder (kInstalledMarker), so that root, who can
// write it, does not fill a folder the package manager owns either. Decided once, at start-up:
// the answer does not change while the program runs.
QString ChooseDataFolder(const QString &programFolder,
                         const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment());

// The user's configuration folder for the program, without making it; empty when neither
// $XDG_CONFIG_HOME nor $HOME is an absolute path.
QString UserConfigFolder(const QProcessEnvironment &env);

// Whether this user can create and replace files in `folder` (a read-only mount counts as not).
bool IsWritableFolder(const QString &folder);

} // namespace tarvo
