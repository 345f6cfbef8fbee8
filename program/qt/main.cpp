#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/desktop_entry.h"
#include "platform/posix/openssl_crypto.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_instance_flag.h"
#include "platform/posix/posix_program_info.h"
#include "platform/posix/posix_random_source.h"
#include "platform/posix/secret_service_key_store.h"
#include "platform/posix/utf8_encoding.h"
#include "platform/posix/xdg_autostart.h"
#include "platform/qt/artwork.h"
#include "program/command_line.h"
#include "program/qt/qt_desktop.h"

namespace {

bool has_value(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

bool can_connect(const std::string& path, bool abstract) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return true;  // cannot tell; let Qt try
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::size_t offset = abstract ? 1 : 0;
    std::strncpy(address.sun_path + offset, path.c_str(), sizeof address.sun_path - 1 - offset);
    auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size());
    bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), length) == 0;
    ::close(fd);
    return connected;
}

// A local X display (":0", ":1.0") that no server answers, on either of its sockets.
bool local_x_display_unreachable(const std::string& display) {
    if (display.empty() || display[0] != ':') {
        return false;  // remote displays are left to Qt
    }
    std::string path = "/tmp/.X11-unix/X" + display.substr(1, display.find('.') - 1);
    return !can_connect(path, true) && !can_connect(path, false);
}

// A Wayland compositor's socket: WAYLAND_DISPLAY (wayland-0 when unset), in XDG_RUNTIME_DIR
// unless it is a full path.
bool wayland_reachable() {
    std::string name = has_value("WAYLAND_DISPLAY") ? std::getenv("WAYLAND_DISPLAY") : "wayland-0";
    if (name[0] != '/') {
        if (!has_value("XDG_RUNTIME_DIR")) {
            return false;
        }
        name = std::string(std::getenv("XDG_RUNTIME_DIR")) + "/" + name;
    }
    return can_connect(name, false);
}

bool x_reachable() {
    return has_value("DISPLAY") && !local_x_display_unreachable(std::getenv("DISPLAY"));
}

// The platforms Qt tries in turn: QT_QPA_PLATFORM's list ("wayland;xcb"), else Wayland in a
// Wayland session and X.
std::vector<std::string> platforms_to_try() {
    std::string list = has_value("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "";
    if (list.empty()) {
        const char* session = std::getenv("XDG_SESSION_TYPE");
        bool wayland = has_value("WAYLAND_DISPLAY") ||
                       (session != nullptr && std::string_view(session) == "wayland");
        list = wayland ? "wayland;xcb" : "xcb";
    }
    std::vector<std::string> names;
    for (std::size_t start = 0; start <= list.size();) {
        std::size_t end = std::min(list.find(';', start), list.size());
        std::string entry = list.substr(start, end - start);
        if (!entry.empty()) {
            names.push_back(entry.substr(0, entry.find(':')));  // options follow a colon
        }
        start = end + 1;
    }
    return names;
}

// Qt aborts when it finds no display; say so plainly instead. Platforms that need none
// (offscreen, minimal, vnc) or that this cannot probe are left to Qt.
bool display_available() {
    for (const auto& name : platforms_to_try()) {
        bool reachable = name == "xcb"                 ? x_reachable()
                         : name.starts_with("wayland") ? wayland_reachable()
                                                       : true;
        if (reachable) {
            return true;
        }
    }
    return false;
}

constexpr const char* kNoDisplay = "Keymint needs a graphical desktop, but no display was found.\n";

// What the probe above could not foresee (a display that refuses us, a platform plugin that
// cannot start) Qt ends with a fatal message while the application is made: end with ours, and
// keep back what Qt said on the way there.
QtMessageHandler qt_messages = nullptr;
struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};
std::vector<HeldMessage> held_messages;

void no_display_on_fatal(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        std::fputs(kNoDisplay, stderr);
        std::_Exit(1);
    }
    held_messages.push_back({type, context.category, text});
}

void pass_on_held_messages() {
    qInstallMessageHandler(qt_messages);
    for (const auto& held : held_messages) {
        QMessageLogContext context(nullptr, 0, nullptr, held.category.constData());
        if (qt_messages != nullptr) {
            qt_messages(held.type, context, held.text);
        }
    }
    held_messages.clear();
}

// The process holds passwords in memory: a core dump would write them to the disk.
void forbid_core_dumps() {
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    const rlimit none{0, 0};
    ::setrlimit(RLIMIT_CORE, &none);
}

int signal_pipe[2] = {-1, -1};

void forward_signal(int) {
    const int saved = errno;
    char byte = 1;
    [[maybe_unused]] auto ignored = ::write(signal_pipe[1], &byte, 1);
    errno = saved;
}

// Log-off and shutdown end the program with SIGTERM or SIGHUP, a terminal with SIGINT. Caught
// from before the window is made, they wait in a pipe until the event loop turns them into the
// session's end, so the program closes cleanly whenever they come and takes its tray icon along.
void catch_stop_signals() {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signal_pipe) != 0) {
        return;
    }
    ::fcntl(signal_pipe[1], F_SETFL, O_NONBLOCK);
    struct sigaction action {};
    action.sa_handler = forward_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal_number : {SIGTERM, SIGHUP, SIGINT}) {
        ::sigaction(signal_number, &action, nullptr);
    }
}

void end_session_on_signals(platform::qt::QtWindow& window) {
    if (signal_pipe[0] < 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(signal_pipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window, notifier] {
        char bytes[16];
        [[maybe_unused]] auto ignored = ::read(signal_pipe[0], bytes, sizeof bytes);
        notifier->setEnabled(false);  // once is enough
        window.end_session();
    });
}

// Qt's own options (QGuiApplication's, QApplication's and the X11 plugin's), taken by every Qt
// program: Qt reads them from the command line itself, so ours passes them over.
struct QtOption {
    std::string_view name;
    bool takes_value;
};
constexpr QtOption kQtOptions[] = {
    {"platform", true},
    {"platformpluginpath", true},
    {"platformtheme", true},
    {"plugin", true},
    {"qwindowgeometry", true},
    {"qwindowicon", true},
    {"qwindowtitle", true},
    {"session", true},
    {"style", true},
    {"stylesheet", true},
    {"display", true},
    {"geometry", true},
    {"name", true},
    {"title", true},
    {"visual", true},
    {"qmljsdebugger", true},
    {"reverse", false},
    {"widgetcount", false},
    {"nograb", false},
    {"dograb", false},
    {"sync", false},
};

// The arguments without Qt's own options and their values.
std::vector<const char*> without_qt_options(int argc, char** argv) {
    std::vector<const char*> kept{argv[0]};
    for (int i = 1; i < argc; ++i) {
        std::string_view argument = argv[i];
        std::string_view name = argument;
        if (name.starts_with("--")) {
            name.remove_prefix(2);
        } else if (name.starts_with('-')) {
            name.remove_prefix(1);
        } else {
            kept.push_back(argv[i]);
            continue;
        }
        const bool has_value = name.find('=') != name.npos;
        name = name.substr(0, name.find('='));
        const auto* option =
            std::find_if(std::begin(kQtOptions), std::end(kQtOptions),
                         [&](const QtOption& known) { return known.name == name; });
        if (option == std::end(kQtOptions) || (!option->takes_value && has_value)) {
            kept.push_back(argv[i]);
        } else if (option->takes_value && !has_value && i + 1 < argc) {
            ++i;
        }
    }
    return kept;
}

// A portable folder copied elsewhere keeps the desktop entry the build wrote beside the program:
// it is made to name the program where it now is, so that a desktop listing the folder starts
// this one. An installed program's folder is not the user's to write, and has none.
void follow_program_folder(const platform::ProgramInfo& program, platform::FileSystem& files) {
    const std::string entry = program.path_of("keymint.desktop");
    try {
        if (!files.exists(entry) || !files.folder_writable(program.folder())) {
            return;
        }
        if (auto followed = platform::posix::entry_following(files.read_all(entry),
                                                             program.path_of(program.base_name()),
                                                             program.path_of("keymint.png"))) {
            files.replace(entry, *followed, platform::FileAccess::Normal);
        }
    } catch (const platform::FileError&) {
        // The desktop keeps the entry it has; nothing the user asked for failed.
    }
}

platform::posix::OpenSslCrypto crypto;
platform::posix::SecretServiceKeyStore key_store;

std::shared_ptr<app::RecordKeys> record_keys() {
    return std::make_shared<app::RecordKeys>(&crypto, &key_store);
}

// `keymint --generate ...` prints passwords for a script and needs no display.
int generate_for_script(const app::BatchRequest& request) {
    platform::posix::PosixProgramInfo program;
    platform::posix::PosixFileSystem files;
    platform::posix::PosixRandomSource random;
    platform::posix::Utf8Encoding encoding;
    return program::generate_passwords(request, program, files, random, encoding, std::cout,
                                       std::cerr, record_keys());
}

// `keymint --private on|off` and `keymint --recover`.
int change_records(const program::CommandLine& line) {
    platform::posix::PosixProgramInfo program;
    platform::posix::PosixFileSystem files;
    platform::posix::PosixRandomSource random;
    return program::change_records(line, program, files, random, record_keys(), std::cin, std::cout,
                                   std::cerr);
}

}  // namespace

int main(int argc, char** argv) {
    forbid_core_dumps();
    const std::vector<const char*> ours = without_qt_options(argc, argv);
    if (auto exit_code =
            program::answer_without_window(static_cast<int>(ours.size()), ours.data(), std::cout,
                                           std::cerr, generate_for_script, change_records)) {
        return *exit_code;
    }
    if (!display_available()) {
        std::fputs(kNoDisplay, stderr);
        return 1;
    }
    catch_stop_signals();
    qt_messages = qInstallMessageHandler(no_display_on_fatal);
    QApplication application(argc, argv);
    pass_on_held_messages();
    QApplication::setApplicationName("Keymint");
    QApplication::setDesktopFileName("keymint");
    // Closing the window only hides it; the program ends through its own Exit.
    QApplication::setQuitOnLastWindowClosed(false);
    platform::qt::use_window_font();

    platform::posix::PosixProgramInfo program;
    platform::posix::PosixFileSystem files;
    platform::posix::PosixRandomSource random;
    platform::posix::Utf8Encoding encoding;
    follow_program_folder(program, files);
    platform::posix::PosixInstanceFlag instance(
        program.path_of(program.base_name()),
        platform::posix::PosixInstanceFlag::default_lock_folder());
    auto registry = platform::posix::make_user_registry();
    program::qt::QtDesktop desktop;
    auto form = desktop.start(program, files, random, instance, *registry, encoding);
    end_session_on_signals(desktop.window);
    return QApplication::exec();
}
