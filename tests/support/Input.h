#pragma once
// Synthetic keyboard and mouse input, delivered through the application
// like real input.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPoint>
#include <QString>
#include <QWidget>
#include <QWindow>

namespace tolv::test {

// Shows a widget and waits until the window system lets it paint.
inline void ShowExposed(QWidget& w)
{
    w.show();
    QElapsedTimer t;
    t.start();
    while (!(w.windowHandle() && w.windowHandle()->isExposed()) && t.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QCoreApplication::processEvents();
}

inline void SendMouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button,
                      Qt::MouseButtons buttons, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, buttons, mods);
    QCoreApplication::sendEvent(w, &e);
}

inline void Click(QWidget* w, QPoint pos, Qt::MouseButton button = Qt::LeftButton,
                  Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    SendMouse(w, QEvent::MouseButtonPress, pos, button, button, mods);
    SendMouse(w, QEvent::MouseButtonRelease, pos, button, Qt::NoButton, mods);
}

// A key pressed and released; text is what the key types.
inline void Key(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier,
                const QString& text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QCoreApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QCoreApplication::sendEvent(w, &release);
}

} // namespace tolv::test
