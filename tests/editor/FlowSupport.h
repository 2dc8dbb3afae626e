#pragma once
// Shared pieces of the main window's flow tests: one application object,
// a program folder with pictures and an empty work folder, and synthetic
// mouse input.
#include "editor/Unit1App.h"
#include "platform/Bitmap.h"
#include "platform/Jpeg.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace tolv::flow {

inline QApplication* EnsureApplication()
{
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        return app;
    // Never destroyed: it must outlive every widget and Qt global of the run.
    static int argc = 1;
    static char name[] = "editor_tests";
    static char* argv[] = {name, nullptr};
    static TApplication* app = new TApplication(argc, argv);
    return app;
}

// A program folder (with Pics/Pic1.jpg .. Pic11.jpg) and a work folder,
// both removed at the end.
class Folders {
public:
    explicit Folders(const std::string& tag)
    {
        root_ = std::filesystem::temp_directory_path() /
                ("tolv_flow_" + std::to_string(::getpid()) + "_" + tag);
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(ProgramDir() + "/Pics");
        std::filesystem::create_directories(WorkDir());
        for (int i = 1; i <= 11; ++i)
            WritePicture(i);
    }
    ~Folders()
    {
        std::error_code ec;
        std::filesystem::permissions(ProfilePath(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(root_, ec);
    }
    Folders(const Folders&) = delete;
    Folders& operator=(const Folders&) = delete;

    std::string ProgramDir() const { return (root_ / "prog").string(); }
    std::string WorkDir() const { return (root_ / "work").string(); }
    std::string ProfilePath() const { return WorkDir() + "/Tolvaria.ini"; }
    std::string PicturePath(int i) const
    {
        return ProgramDir() + "/Pics/Pic" + std::to_string(i) + ".jpg";
    }

    void WritePicture(int i)
    {
        plat::Bitmap bmp(12, 10);
        bmp.fill(plat::RGB(20 * i, 100, 200 - 10 * i));
        const auto bytes = plat::EncodeJpeg(bmp, 90);
        std::ofstream(PicturePath(i), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    void RemovePicture(int i) { std::filesystem::remove(PicturePath(i)); }
    void BreakPicture(int i) { std::ofstream(PicturePath(i), std::ios::binary) << "\xFF\xD8garbage"; }
    void WriteProfile(const std::string& text) { std::ofstream(ProfilePath()) << text; }
    std::string ReadProfile() const
    {
        std::ifstream in(ProfilePath());
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::filesystem::path root_;
};

// Synthetic mouse events, delivered through the application like real ones.
inline void SendMouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button,
                      Qt::MouseButtons buttons, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, buttons, mods);
    QApplication::sendEvent(w, &e);
}

inline void Click(QWidget* w, QPoint pos, Qt::MouseButton button = Qt::LeftButton,
                  Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    SendMouse(w, QEvent::MouseButtonPress, pos, button, button, mods);
    SendMouse(w, QEvent::MouseButtonRelease, pos, button, Qt::NoButton, mods);
}

} // namespace tolv::flow
