#pragma once

#include <QObject>
#include <QtTest>
#include <memory>

#include "app/mdl_visual_style.h"
#include "doubles.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_random_source.h"
#include "platform/posix/xdg_autostart.h"
#include "platform/qt/qt_services.h"
#include "platform/qt/qt_window.h"

// The real window, offscreen, over test doubles in a fresh program folder for each test.
class WindowFixture : public QObject {
  protected:
    void start() {
        folder = std::make_unique<doubles::TempFolder>();
        program = std::make_unique<doubles::FakeProgramInfo>(folder->path());
        messages.shown.clear();
        sound.beeps = 0;
        shell.opened.clear();
        window = std::make_unique<platform::qt::QtWindow>();
        registry = platform::posix::make_user_registry(folder->file("config"));
        form = app::Main({*program, files, random, messages, sound, instance, *window, *registry,
                          clipboard, tray, shell, encoding, tasks, timer, nullptr, nullptr},
                         [this](app::frmMain& form) { window->build(form); });
        form->raise_activate();
    }

    void stop() {
        form.reset();
        window.reset();
        registry.reset();
        folder.reset();
    }

    template <typename T = QWidget>
    T* widget(const char* name) {
        auto* found = qobject_cast<T*>(window->widget(name));
        if (found == nullptr) {
            qFatal("no widget %s of the expected kind", name);
        }
        return found;
    }

    std::unique_ptr<doubles::TempFolder> folder;
    std::unique_ptr<doubles::FakeProgramInfo> program;
    platform::posix::PosixFileSystem files;
    platform::posix::PosixRandomSource random;
    doubles::RecordingMessages messages;
    doubles::CountingSound sound;
    doubles::FixedInstanceFlag instance;
    // Tasks run at once, so a test sees their results when its event returns.
    doubles::HeldTasks tasks;
    platform::qt::QtClipboard clipboard;
    platform::qt::QtTray tray;
    doubles::FakeShell shell;
    doubles::FakeTextEncoding encoding;
    doubles::ManualTimer timer;
    std::unique_ptr<platform::Registry> registry;
    std::unique_ptr<platform::qt::QtWindow> window;
    std::unique_ptr<app::frmMain> form;
};
