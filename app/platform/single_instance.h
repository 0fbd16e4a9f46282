#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

#include "user_runtime_folder.h"

namespace tarvo {

// One program per user: the first start listens under the application title in the user's own
// runtime folder, a second start of the same user finds it there, asks it to show itself and
// ends. Another user's program lives in another folder, so it can neither hold nor block the
// name. Without a runtime folder there is no check and every start runs.
class SingleInstance : public QObject {
    Q_OBJECT
  public:
    explicit SingleInstance(const QString &name, const QString &runtimeFolder = UserRuntimeFolder(),
                            QObject *parent = nullptr);

    // True when another instance answered; it has been asked to show its window.
    bool activateRunning();
    // Starts answering later starts; false when the name cannot be taken.
    bool listen();

  signals:
    void activationRequested();

  private:
    QString name_; // the socket's full path; empty without a runtime folder
    QLocalServer server_;
};

} // namespace tarvo
