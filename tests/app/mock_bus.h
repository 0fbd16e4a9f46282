// A private D-Bus daemon with one python3-dbusmock template on it, for the services that must
// never be reached for real (logind, timedated). Nothing here touches the system bus.
#pragma once

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

namespace tarvo::testing {

class MockBus {
  public:
    ~MockBus() {
        QDBusConnection::disconnectFromBus(address);
        for (QProcess *p : {&mock_, &daemon_}) {
            if (p->state() == QProcess::NotRunning) continue;
            p->terminate();
            if (!p->waitForFinished(3000)) p->kill();
            p->waitForFinished(3000);
        }
    }

    // Starts the bus and the template; the reason when that cannot be done here.
    QString start(const QString &templateName, const QString &busName) {
        if (!dir_.isValid()) return QStringLiteral("no temporary folder");
        if (!QFile::exists(QStringLiteral("/usr/bin/dbus-daemon")))
            return QStringLiteral("dbus-daemon missing (Debian package dbus-daemon)");
        QProcess probe;
        probe.start(QStringLiteral("/usr/bin/python3"),
                    {QStringLiteral("-c"), QStringLiteral("import dbusmock")});
        if (!probe.waitForFinished(10000) || probe.exitCode() != 0)
            return QStringLiteral("python3-dbusmock missing");

        const QString socket = dir_.path() + QStringLiteral("/bus");
        QFile config(dir_.path() + QStringLiteral("/bus.conf"));
        if (!config.open(QIODevice::WriteOnly)) return QStringLiteral("cannot write bus.conf");
        config.write(QStringLiteral(R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)")
                         .arg(socket)
                         .toUtf8());
        config.close();
        daemon_.start(QStringLiteral("/usr/bin/dbus-daemon"),
                      {QStringLiteral("--config-file=") + config.fileName(),
                       QStringLiteral("--print-address=1"), QStringLiteral("--nofork"),
                       QStringLiteral("--nopidfile")});
        if (!daemon_.waitForReadyRead(10000)) return QStringLiteral("dbus-daemon did not start");
        address = QString::fromUtf8(daemon_.readLine()).trimmed();

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // The template's service lives on the "system" bus, which here is the private one.
        env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), address);
        env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        mock_.setProcessEnvironment(env);
        mock_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        mock_.start(QStringLiteral("/usr/bin/python3"),
                    {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--system"),
                     QStringLiteral("--template"), templateName, QStringLiteral("-l"), logPath()});

        // Named after the address: each bus gets a connection of its own.
        bus_ = QDBusConnection::connectToBus(address, address);
        if (!bus_.isConnected()) return QStringLiteral("cannot connect to the private bus");
        QElapsedTimer waited;
        waited.start();
        while (!bus_.interface()->isServiceRegistered(busName)) {
            if (waited.elapsed() > 15000 || mock_.state() == QProcess::NotRunning)
                return QStringLiteral("the mock service did not appear");
            QThread::msleep(50);
        }
        return {};
    }

    QDBusConnection bus() const { return bus_; }

    // Adds or replaces a method of the mock, where the template's signature is not the real one.
    bool addMethod(const QString &service, const QString &path, const QString &interface,
                   const QString &name, const QString &in, const QString &out) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            service, path, QStringLiteral("org.freedesktop.DBus.Mock"),
            QStringLiteral("AddMethod"));
        call << interface << name << in << out << QString();
        return bus_.call(call, QDBus::Block, 5000).type() == QDBusMessage::ReplyMessage;
    }

    // The calls the mock received, one line each: "<time> <method> <arguments>".
    QStringList calls() const {
        QFile log(logPath());
        if (!log.open(QIODevice::ReadOnly)) return {};
        QStringList lines;
        for (const QByteArray &line : log.readAll().split('\n')) {
            const QString text = QString::fromUtf8(line);
            const qsizetype space = text.indexOf(QLatin1Char(' '));
            if (space > 0) lines.append(text.mid(space + 1));
        }
        return lines;
    }
    void clearCalls() const { QFile(logPath()).resize(0); }

    QString address;

  private:
    QString logPath() const { return dir_.path() + QStringLiteral("/calls.log"); }

    QTemporaryDir dir_;
    QProcess daemon_;
    QProcess mock_;
    QDBusConnection bus_{QString()};
};

} // namespace tarvo::testing
