#pragma once
// An X server of the test's own, for what only a real display shows:
// Xvfb picks a free display number itself (-displayfd), so parallel tests
// and other users of the machine never meet. No window manager runs on it.
#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <string>

namespace tolv::test {

class PrivateXServer {
public:
    static constexpr int Width = 1280, Height = 1024;

    PrivateXServer();
    ~PrivateXServer();
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    // ":N", empty when the server did not start.
    const QString& Display() const { return display_; }
    // The whole screen, null when it could not be taken.
    QImage Screenshot() const;
    // Starts a program whose windows go to this server (the xcb platform,
    // unattended dialogs); false when it did not start.
    bool Start(QProcess& p, const std::string& program, const QStringList& args = {}) const;

private:
    QProcess server_;
    QString display_;
};

} // namespace tolv::test
