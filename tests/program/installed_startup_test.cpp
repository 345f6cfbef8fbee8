// The real window over the POSIX services, started from a program folder that the user may or
// may not write. Runs as an ordinary user: root writes anywhere.
#include <sys/stat.h>
#include <unistd.h>

#include <QGroupBox>
#include <QtTest>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/mdl_visual_style.h"
#include "doubles.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_program_info.h"
#include "platform/posix/posix_random_source.h"
#include "platform/posix/utf8_encoding.h"
#include "platform/posix/xdg_autostart.h"
#include "platform/qt/qt_window.h"

namespace fs = std::filesystem;

class InstalledStartupTest : public QObject {
    Q_OBJECT

  private:
    unsigned mode_of(const std::string& path) {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 0777 : 0;
    }

    // A program folder with the shipped language file, read-only unless `writable`.
    std::string make_program_folder(bool writable) {
        std::string folder = scratch->file("keymint");
        fs::create_directories(folder + "/Language");
        fs::copy_file(KEYMINT_SOURCE_DIR "/app/Language/lang.ini", folder + "/Language/lang.ini");
        if (!writable) {
            fs::permissions(folder + "/Language/lang.ini", fs::perms(0444));
            fs::permissions(folder + "/Language", fs::perms(0555));
            fs::permissions(folder, fs::perms(0555));
        }
        return folder;
    }

    // The unpacked package when the test is given one, else a read-only copy of its contents.
    std::string installed_folder() {
        const char* unpacked = std::getenv("KEYMINT_INSTALLED_FOLDER");
        return unpacked != nullptr ? unpacked : make_program_folder(false);
    }

    void start(const std::string& program_folder) {
        program = std::make_unique<platform::posix::PosixProgramInfo>(program_folder + "/keymint");
        window = std::make_unique<platform::qt::QtWindow>();
        registry = platform::posix::make_user_registry(home->file("config"));
        form = app::Main({*program, files, random, messages, sound, instance, *window, *registry,
                          clipboard, tray, shell, encoding, tasks, timer, nullptr, nullptr},
                         [this](app::frmMain& form) { window->build(form); });
        form->raise_activate();
    }

    std::unique_ptr<doubles::TempFolder> scratch;
    std::unique_ptr<doubles::TempFolder> home;
    std::unique_ptr<platform::posix::PosixProgramInfo> program;
    platform::posix::PosixFileSystem files;
    platform::posix::PosixRandomSource random;
    doubles::RecordingMessages messages;
    doubles::CountingSound sound;
    doubles::FixedInstanceFlag instance;
    doubles::FakeClipboard clipboard;
    doubles::FakeTray tray;
    doubles::FakeShell shell;
    platform::posix::Utf8Encoding encoding;
    doubles::HeldTasks tasks;
    doubles::ManualTimer timer;
    std::unique_ptr<platform::Registry> registry;
    std::unique_ptr<platform::qt::QtWindow> window;
    std::unique_ptr<app::frmMain> form;

  private slots:
    void initTestCase() {
        if (::geteuid() == 0) {
            QSKIP("root writes into read-only folders; run this as an ordinary user");
        }
    }

    void init() {
        scratch = std::make_unique<doubles::TempFolder>();
        home = std::make_unique<doubles::TempFolder>();
        ::setenv("HOME", home->path().c_str(), 1);
        ::unsetenv("XDG_DATA_HOME");
        messages.shown.clear();
    }

    void cleanup() {
        form.reset();
        window.reset();
        registry.reset();
        for (const auto& entry : fs::recursive_directory_iterator(scratch->path())) {
            if (entry.is_directory()) {
                fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add);
            }
        }
        fs::permissions(home->path(), fs::perms::owner_all, fs::perm_options::add);
        scratch.reset();
        home.reset();
    }

    void installedProgramKeepsTheUsersFilesInTheDataFolder() {
        const std::string folder = installed_folder();
        start(folder);
        const std::string data = home->path() + "/.local/share/keymint";
        QVERIFY2(messages.shown.empty(),
                 messages.shown.empty() ? "" : messages.shown[0].text.c_str());
        QCOMPARE(mode_of(data), 0700u);
        QCOMPARE(mode_of(data + "/sifreler.dat"), 0600u);
        QCOMPARE(doubles::read_file(data + "/sifreler.dat"), std::string("temppass\r\n"));
        QVERIFY(!fs::exists(folder + "/sifreler.dat"));
        // The installed lang.ini names the frame without the built-in brackets.
        auto* frame = qobject_cast<QGroupBox*>(window->widget("Frame1"));
        QVERIFY(frame != nullptr);
        QCOMPARE(frame->title(), QString(" Karakter Ayarları "));

        form->raise_click(form->cmKapat);
        QVERIFY(doubles::read_file(data + "/keymint.ini").starts_with("[Default]\r\n"));
    }

    void portableFolderKeepsEverythingBesideTheProgram() {
        const std::string folder = make_program_folder(true);
        start(folder);
        QVERIFY(messages.shown.empty());
        QCOMPARE(doubles::read_file(folder + "/sifreler.dat"), std::string("temppass\r\n"));
        form->raise_click(form->cmKapat);
        QVERIFY(fs::exists(folder + "/keymint.ini"));
        QVERIFY(!fs::exists(home->path() + "/.local"));
    }

    void neitherPlaceWritableNamesTheDataFolder() {
        const std::string data_home = home->file("data");
        ::setenv("XDG_DATA_HOME", data_home.c_str(), 1);
        fs::permissions(home->path(), fs::perms(0555));
        start(make_program_folder(false));
        QCOMPARE(messages.shown.size(), std::size_t{1});
        const std::string& text = messages.shown[0].text;
        QVERIFY2(text.find('"' + data_home + "/keymint\"") != std::string::npos, text.c_str());
        QVERIFY(window->isVisible());
    }
};

QTEST_MAIN(InstalledStartupTest)
#include "installed_startup_test.moc"
