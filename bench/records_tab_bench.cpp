// Filling the Records tab (ListeDoldur through the real window, until the view has laid out and
// painted its rows) from files of 10,000, 100,000 and 1,000,000 records, against the toolkit's
// floor: a bare QListView over a QStringListModel loaded with the same lines, in the same run.
// Also the peak memory growth of a fill, relative to the file's size.
#include <malloc.h>

#include <QApplication>
#include <QFile>
#include <QListView>
#include <QStringListModel>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/inventory.h"
#include "app/mdl_visual_style.h"
#include "bench_support.h"
#include "doubles.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_random_source.h"
#include "platform/posix/utf8_encoding.h"
#include "platform/posix/xdg_autostart.h"
#include "platform/qt/qt_window.h"

namespace {

using bench::Clock;
using bench::make_records;
using bench::median;

// Kilobytes from /proc/self/status: "VmRSS" now, or "VmHWM" the peak since the last reset.
long status_kb(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, field.size() + 1, field + ":") == 0) {
            return std::stol(line.substr(field.size() + 1));
        }
    }
    return -1;
}

void reset_peak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Lays out and paints the view at once instead of at the next turn of the event loop.
void settle(QListView& view) {
    view.doItemsLayout();
    view.viewport()->repaint();
    QCoreApplication::processEvents();
}

// The file's lines but "temppass", as the tab shows them.
QStringList read_lines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        std::exit(1);
    }
    QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
    lines.removeAll(QStringLiteral("temppass"));
    return lines;
}

struct Memory {
    double peak_mb;
    double kept_mb;
};

Memory measure_memory(const std::function<void()>& fill) {
    malloc_trim(0);
    const long before = status_kb("VmRSS");
    reset_peak();
    fill();
    return {(status_kb("VmHWM") - before) / 1024.0, (status_kb("VmRSS") - before) / 1024.0};
}

double time_ms(const std::function<void()>& fill) {
    auto start = Clock::now();
    fill();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // A fixed threshold keeps large blocks in their own mappings, returned to the system when
    // freed, so that resident memory follows what a fill really holds.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    QApplication application(argc, argv);

    doubles::TempFolder folder;
    doubles::FakeProgramInfo program(folder.path());
    platform::posix::PosixFileSystem files;
    platform::posix::PosixRandomSource random;
    doubles::RecordingMessages messages;
    doubles::CountingSound sound;
    doubles::FixedInstanceFlag instance;
    doubles::FakeClipboard clipboard;
    doubles::FakeTray tray;
    doubles::FakeShell shell;
    platform::posix::Utf8Encoding encoding;
    auto registry = platform::posix::make_user_registry(folder.file("config"));
    platform::qt::QtWindow window;
    auto form = app::Main({program, files, random, messages, sound, instance, window, *registry,
                           clipboard, tray, shell, encoding},
                          [&window](app::frmMain& form) { window.build(form); });
    form->raise_activate();
    form->raise_tab_change(app::kTabRecords);
    auto* ours = qobject_cast<QListView*>(window.widget("lstSifreler"));

    // Uniform item sizes, as on the tab's view: without them a view measures every row.
    QListView floor_view;
    QStringListModel floor_model;
    floor_view.setModel(&floor_model);
    floor_view.setUniformItemSizes(true);
    floor_view.resize(ours->size());
    floor_view.show();

    const QString path = QString::fromStdString(folder.file("sifreler.dat"));
    int expected_rows = 0;
    auto check = [&](const QListView& view) {
        if (view.model()->rowCount() != expected_rows || !messages.shown.empty()) {
            std::fprintf(stderr, "a view holds %d rows, not %d %s\n", view.model()->rowCount(),
                         expected_rows,
                         messages.shown.empty() ? "" : messages.shown[0].text.c_str());
            std::exit(1);
        }
    };
    auto fill_ours = [&] {
        form->ListeDoldur();
        settle(*ours);
    };
    // The floor does the same job as the tab, from the file to the painted rows.
    auto fill_bare = [&] {
        floor_model.setStringList(read_lines(path));
        settle(floor_view);
    };
    auto empty_both = [&] {
        form->lstSifreler.clear_items();
        floor_model.setStringList({});
        settle(*ours);
        settle(floor_view);
    };

    std::printf("%-9s %8s %9s %9s %6s %10s %17s %17s %17s\n", "records", "file MB", "tab ms",
                "floor ms", "ratio", "view ms", "tab peak MB", "tab kept MB", "floor peak MB");
    for (std::size_t count : {10000u, 100000u, 1000000u}) {
        doubles::write_file(folder.file("sifreler.dat"), make_records(count));
        const double file_mb =
            std::filesystem::file_size(folder.file("sifreler.dat")) / (1024.0 * 1024.0);
        expected_rows = static_cast<int>(count) + 1;

        empty_both();
        Memory tab_memory = measure_memory(fill_ours);
        empty_both();
        Memory floor_memory = measure_memory(fill_bare);

        const int rounds = count >= 1000000 ? 7 : 15;
        std::vector<double> tab_times;
        std::vector<double> floor_times;
        std::vector<double> view_times;
        const QStringList lines = read_lines(path);
        for (int round = 0; round < rounds; ++round) {
            empty_both();
            tab_times.push_back(time_ms(fill_ours));
            check(*ours);
            empty_both();
            floor_times.push_back(time_ms(fill_bare));
            check(floor_view);
            empty_both();
            view_times.push_back(time_ms([&] {
                floor_model.setStringList(lines);
                settle(floor_view);
            }));
        }
        const double tab = median(tab_times);
        const double bare = median(floor_times);
        std::printf(
            "%-9zu %8.2f %9.2f %9.2f %6.2f %10.2f %9.1f (%4.1fx) %9.1f (%4.1fx) %9.1f (%4.1fx)\n",
            count, file_mb, tab, bare, tab / bare, median(view_times), tab_memory.peak_mb,
            tab_memory.peak_mb / file_mb, tab_memory.kept_mb, tab_memory.kept_mb / file_mb,
            floor_memory.peak_mb, floor_memory.peak_mb / file_mb);
    }
    std::printf(
        "ratio = tab / floor, both from the file to painted rows (target <= 1.3 at 1,000,000 "
        "records, the tab well under a second)\n"
        "view = the floor's view alone, its lines converted beforehand\n"
        "peak and kept = resident memory growth while filling and after it, (x the file's size; "
        "target <= 3x)\n");
    return 0;
}
