// Children that measure what the user waits for in the real window, through its event loop, and
// the same jobs done the plain way by small reference windows.
#include <fcntl.h>
#include <unistd.h>

#include <QAbstractEventDispatcher>
#include <QAbstractListModel>
#include <QApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

#include "app/frm_main.h"
#include "app/generator.h"
#include "app/inventory.h"
#include "app/mdl_visual_style.h"
#include "app/strength.h"
#include "bench_children.h"
#include "bench_keys.h"
#include "bench_support.h"
#include "doubles.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_random_source.h"
#include "platform/posix/utf8_encoding.h"
#include "platform/posix/xdg_autostart.h"
#include "program/qt/qt_desktop.h"

namespace bench {
namespace {

constexpr int kClicks = 200;
constexpr int kTabChanges = 5;

void post_click(QWidget* widget, QPoint at) {
    const QPointF local(at);
    const QPointF global(widget->mapToGlobal(at));
    for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QCoreApplication::postEvent(
            widget,
            new QMouseEvent(type, local, global, Qt::LeftButton,
                            type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                            Qt::NoModifier));
    }
}

// Runs the event loop until `done` holds, checking whenever the loop has nothing left to do, so
// that the check neither spins beside a worker thread nor waits for a timer.
void run_until(const std::function<bool()>& done) {
    QEventLoop loop;
    auto* dispatcher = QAbstractEventDispatcher::instance();
    auto check = QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, &loop, [&] {
        if (done()) {
            loop.quit();
        }
    });
    // Wakes the loop once, in case nothing else would.
    QTimer::singleShot(0, &loop, [] {});
    loop.exec();
    QObject::disconnect(check);
}

// Milliseconds from a click on `widget` until `done` holds.
double click_until(QWidget* widget, QPoint at, const std::function<bool()>& done) {
    auto start = Clock::now();
    post_click(widget, at);
    run_until(done);
    return milliseconds_since(start);
}

// The longest the event loop went unanswered while `done` did not hold.
double longest_stall_until(const std::function<bool()>& done) {
    double longest = 0;
    auto last = Clock::now();
    QEventLoop loop;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        longest = std::max(longest, milliseconds_since(last));
        last = Clock::now();
        if (done()) {
            loop.quit();
        }
    });
    tick.start();
    loop.exec();
    return longest;
}

// The program window's size, for a reference window to take.
QSize program_window_size() {
    int width = 640;
    int height = 480;
    if (const char* size = std::getenv("KEYMINT_BENCH_WINDOW_SIZE")) {
        std::sscanf(size, "%d %d", &width, &height);
    }
    return {width, height};
}

void click_and_report(QPushButton* button, QLineEdit* shown, const std::function<bool()>& ready) {
    // The first paint of a new window is no part of either job.
    QCoreApplication::processEvents();
    auto start = Clock::now();
    report("stall", {longest_stall_until(ready)});
    report("ready", {milliseconds_since(start)});
    std::vector<double> clicks;
    for (int i = 0; i < kClicks; ++i) {
        const QString before = shown->text();
        clicks.push_back(
            click_until(button, button->rect().center(), [&] { return shown->text() != before; }));
    }
    report("click", clicks);
    report("slowest", {*std::max_element(clicks.begin(), clicks.end())});
}

// The program's window over the records in `folder`, plain or private alike: the keyring is one
// in memory that holds the benchmark's key, and nothing else differs from the desktop's start.
struct Program {
    explicit Program(const std::string& folder) : program(folder) {}
    doubles::FakeProgramInfo program;
    platform::posix::PosixFileSystem files;
    platform::posix::PosixRandomSource random;
    doubles::FixedInstanceFlag instance;
    platform::posix::Utf8Encoding encoding;
    std::unique_ptr<platform::Registry> registry =
        platform::posix::make_user_registry(program.folder() + "/config");
    program::qt::QtDesktop desktop;
    MemoryKeyStore keys{desktop.crypto};
    std::unique_ptr<app::frmMain> form = start();

    // QtDesktop::start, with `keys` for the desktop's keyring.
    std::unique_ptr<app::frmMain> start() {
        app::Services services{program,           files,         random,          desktop.messages,
                               desktop.sound,     instance,      desktop.window,  *registry,
                               desktop.clipboard, desktop.tray,  desktop.shell,   encoding,
                               desktop.tasks,     desktop.timer, &desktop.crypto, &keys};
        return app::Main(services, [this](app::frmMain& form) {
            desktop.window.build(form);
            desktop.tray.on_mouse = [&form](int button) { form.raise_tray_mouse(button); };
        });
    }

    bool index_ready() const { return form->records.index_ready(); }
    template <typename T>
    T* widget(const char* name) {
        return qobject_cast<T*>(desktop.window.widget(name));
    }
};

int generate(const std::string& folder) {
    Program ours(folder);
    report("width", {static_cast<double>(ours.desktop.window.width())});
    report("height", {static_cast<double>(ours.desktop.window.height())});
    click_and_report(ours.widget<QPushButton>("cmdOlustur"), ours.widget<QLineEdit>("txtSifre"),
                     [&] { return ours.index_ready(); });
    return 0;
}

// Appends a record the plain way: no lock, no check; flushed to the disk, as the program's
// records are before it shows them.
void append_plainly(const std::string& path, const std::string& password) {
    const std::string line = password + "\r\n";
    int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0 || ::write(fd, line.data(), line.size()) != static_cast<ssize_t>(line.size()) ||
        ::fdatasync(fd) != 0) {
        std::exit(1);
    }
    ::close(fd);
}

// The append-only click, in the program's own window: the Generate button draws, records and
// shows a password as the program does, strength read-out included, but checks nothing and
// appends with a plain open, write, flush and close. Only the no-repeat check and its lock
// differ.
int generate_reference(const std::string& folder) {
    Program ours(folder);
    app::frmMain& form = *ours.form;
    auto* button = ours.widget<QPushButton>("cmdOlustur");
    QObject::disconnect(button, &QPushButton::clicked, nullptr, nullptr);
    const std::string path = folder + "/sifreler.dat";
    // The window starts with every character class chosen.
    const std::string pool = app::character_pool(app::PoolOptions{}, "", ours.encoding);
    QObject::connect(button, &QPushButton::clicked, [&] {
        const int length = app::check_length(form.intUzunluk.text()).length;
        const std::string password = app::draw_password(pool, length, ours.random);
        append_plainly(path, password);
        form.txtSifre.set_text(password);
        const double bits = app::entropy_bits(pool, length);
        form.barStrength.set_value(app::meter_value(bits));
        form.barStrength.set_tooltip(app::strength_tooltip(bits));
    });
    click_and_report(button, ours.widget<QLineEdit>("txtSifre"),
                     [&] { return ours.index_ready(); });
    return 0;
}

// The same, in a bare window of the same size holding only a button and a text box.
int generate_bare_reference(const std::string& folder) {
    const std::string path = folder + "/sifreler.dat";
    platform::posix::PosixRandomSource random;
    const std::string pool =
        app::character_pool(app::PoolOptions{}, "", platform::posix::Utf8Encoding());
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* button = new QPushButton("Generate", &window);
    auto* shown = new QLineEdit(&window);
    layout->addWidget(button);
    layout->addWidget(shown);
    QObject::connect(button, &QPushButton::clicked, [&] {
        const std::string password = app::draw_password(pool, 8, random);
        append_plainly(path, password);
        shown->setText(QString::fromStdString(password));
    });
    window.resize(program_window_size());
    window.show();
    click_and_report(button, shown, [] { return true; });
    return 0;
}

// Shows the Records tab from another tab, then again with the file unchanged.
void show_tab_and_report(QTabWidget* tabs, QAbstractItemView* list, int expected_rows) {
    QTabBar* bar = tabs->tabBar();
    auto shown = [&] {
        if (tabs->currentIndex() != app::kTabRecords ||
            list->model()->rowCount() != expected_rows || QApplication::overrideCursor()) {
            return false;
        }
        list->viewport()->repaint();
        return true;
    };
    const double before = status_mb("VmRSS");
    reset_peak_memory();
    report("shown", {click_until(bar, bar->tabRect(app::kTabRecords).center(), shown)});
    report("peak", {status_mb("VmHWM") - before});
    report("kept", {status_mb("VmRSS") - before});
    std::vector<double> again;
    for (int i = 0; i < kTabChanges; ++i) {
        click_until(bar, bar->tabRect(app::kTabGenerate).center(),
                    [&] { return tabs->currentIndex() == app::kTabGenerate; });
        again.push_back(click_until(bar, bar->tabRect(app::kTabRecords).center(), shown));
    }
    report("again", again);
}

int tab(const std::string& folder, std::size_t count) {
    Program ours(folder);
    run_until([&] { return ours.index_ready(); });
    auto* tabs = ours.desktop.window.findChild<QTabWidget*>();
    show_tab_and_report(tabs, ours.widget<QAbstractItemView>("lstSifreler"),
                        static_cast<int>(count) + 1);
    return 0;
}

// The plain lazy list: the file's bytes and each line's place, a row's text made when drawn.
class LazyLines : public QAbstractListModel {
  public:
    void load(const std::string& path) {
        beginResetModel();
        bytes_ = doubles::read_file(path);
        spans_.clear();
        std::size_t start = 0;
        while (start <= bytes_.size()) {
            std::size_t end = bytes_.find("\r\n", start);
            std::size_t stop = end == std::string::npos ? bytes_.size() : end;
            if (std::string_view(bytes_).substr(start, stop - start) != "temppass") {
                spans_.push_back(
                    {static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(stop - start)});
            }
            start = end == std::string::npos ? bytes_.size() + 1 : end + 2;
        }
        endResetModel();
    }
    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(spans_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid()) {
            return {};
        }
        auto [start, length] = spans_[static_cast<std::size_t>(index.row())];
        return QString::fromUtf8(bytes_.data() + start, length);
    }

  private:
    std::string bytes_;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> spans_;
};

int tab_reference(const std::string& folder, std::size_t count) {
    QTabWidget tabs;
    tabs.addTab(new QWidget, "Generate");
    auto* list = new QListView;
    list->setUniformItemSizes(true);
    LazyLines lines;
    list->setModel(&lines);
    tabs.addTab(list, "Records");
    tabs.resize(program_window_size());
    QObject::connect(&tabs, &QTabWidget::currentChanged, [&](int index) {
        if (index == app::kTabRecords) {
            lines.load(folder + "/sifreler.dat");
        }
    });
    tabs.show();
    show_tab_and_report(&tabs, list, static_cast<int>(count) + 1);
    return 0;
}

}  // namespace

int measure_child(int argc, char** argv, const std::string& kind, const std::string& folder,
                  std::size_t count) {
    if (kind == "index" || kind == "index-ref") {
        return index_child(folder + "/sifreler.dat", kind == "index-ref");
    }
    if (kind == "private-on") {
        return private_on_child(folder + "/sifreler.dat");
    }
    ::alarm(600);  // a message box nobody answers must not hold the whole run
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    if (kind == "generate") {
        return generate(folder);
    }
    if (kind == "generate-ref") {
        return generate_reference(folder);
    }
    if (kind == "generate-bare") {
        return generate_bare_reference(folder);
    }
    if (kind == "tab") {
        return tab(folder, count);
    }
    if (kind == "tab-ref") {
        return tab_reference(folder, count);
    }
    return 2;
}

}  // namespace bench
