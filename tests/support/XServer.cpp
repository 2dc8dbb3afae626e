#include "support/XServer.h"

#include <QElapsedTimer>
#include <QProcessEnvironment>

namespace tolv::test {

PrivateXServer::PrivateXServer()
{
    server_.start("Xvfb", {"-displayfd", "1", "-screen", "0", QString("%1x%2x24").arg(Width).arg(Height),
                           "-br", "-nolisten", "tcp"});
    // The number comes on stdout, with a line end, once the server takes connections.
    QByteArray number;
    QElapsedTimer clock;
    clock.start();
    while (!number.endsWith('\n') && clock.elapsed() < 30000 && server_.state() != QProcess::NotRunning) {
        server_.waitForReadyRead(200);
        number += server_.readAllStandardOutput();
    }
    number = number.trimmed();
    if (!number.isEmpty())
        display_ = ":" + QString::fromLatin1(number);
}

PrivateXServer::~PrivateXServer()
{
    server_.terminate();
    server_.waitForFinished(5000);
}

QImage PrivateXServer::Screenshot() const
{
    QProcess shot;
    shot.start("import", {"-display", display_, "-window", "root", "png:-"});
    if (!shot.waitForFinished(20000) || shot.exitCode() != 0)
        return {};
    return QImage::fromData(shot.readAllStandardOutput(), "PNG").convertToFormat(QImage::Format_RGB32);
}

bool PrivateXServer::Start(QProcess& p, const std::string& program, const QStringList& args) const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display_);
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("TOLV_AUTO_DIALOGS", "1");
    // The session has no message bus: Qt does not look for the machine's,
    // and libdbus keeps no buffer from a failed search (LeakSanitizer's report).
    env.insert("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    p.setProcessEnvironment(env);
    p.start(QString::fromStdString(program), args);
    return p.waitForStarted(10000);
}

} // namespace tolv::test
