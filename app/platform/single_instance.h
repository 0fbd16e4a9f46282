#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

namespace tarvo {

// One program per user: the first start listens under the application title, a second start
// finds it there, asks it to show itself and ends.
class SingleInstance : public QObject {
    Q_OBJECT
  public:
    explicit SingleInstance(QString name, QObject *parent = nullptr);

    // True when another instance answered; it has been asked to show its window.
    bool activateRunning();
    // Starts answering later starts; false when the name cannot be taken.
    bool listen();

  signals:
    void activationRequested();

  private:
    QString name_;
    QLocalServer server_;
};

} // namespace tarvo
