// Renders Keymint's artwork into PNG files:
//   keymint-artwork icon OUTPUT.png SIZE      the program icon
//   keymint-artwork screenshot OUTPUT.png [TAB]  the window with one password generated,
//                                                showing the tab numbered TAB (0 by default)
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_random_source.h"
#include "platform/posix/utf8_encoding.h"
#include "platform/posix/xdg_autostart.h"
#include "platform/qt/artwork.h"
#include "program/qt/qt_desktop.h"

namespace {

class TemporaryProgram : public platform::ProgramInfo {
  public:
    explicit TemporaryProgram(std::string folder) : folder_(std::move(folder)) {}
    std::string folder() const override { return folder_; }
    std::string base_name() const override { return "keymint"; }
    char separator() const override { return '/'; }
    std::string user_data_folder() const override { return folder_; }

  private:
    std::string folder_;
};

class FirstInstance : public platform::InstanceFlag {
  public:
    bool previous_instance() override { return false; }
};

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (!((mode == "icon" && argc == 4) || (mode == "screenshot" && (argc == 3 || argc == 4)))) {
        std::fputs("usage: keymint-artwork icon OUTPUT.png SIZE | screenshot OUTPUT.png [TAB]\n",
                   stderr);
        return 2;
    }
    QApplication application(argc, argv);
    const QString output = QString::fromLocal8Bit(argv[2]);
    if (mode == "icon") {
        const int side = std::atoi(argv[3]);
        return platform::qt::program_icon().pixmap(side, side).save(output) ? 0 : 1;
    }
    platform::qt::use_window_font();

    QTemporaryDir folder;
    TemporaryProgram program(folder.path().toStdString());
    platform::posix::PosixFileSystem files;
    platform::posix::PosixRandomSource random;
    platform::posix::Utf8Encoding encoding;
    FirstInstance instance;
    auto registry = platform::posix::make_user_registry(folder.path().toStdString());
    program::qt::QtDesktop desktop;
    auto form = desktop.start(program, files, random, instance, *registry, encoding);
    form->raise_activate();
    form->raise_click(form->cmdOlustur);
    if (argc == 4) {
        form->SSTab1.set_value(std::atoi(argv[3]));
    }

    for (int i = 0; i < 10; ++i) {
        QApplication::processEvents();
    }
    if (!desktop.window.grab().save(output)) {
        std::fprintf(stderr, "Could not write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
