// The Windows window under Wine, one measurement per process:
//   startup            program start until Keymint's window is shown and painted
//   startup-reference  the same for a bare window holding a four-tab tab control
//   startup-controls   the same for a bare window holding Keymint's controls, plainly made:
//                      what any window with these controls costs, without the program
//   records N          filling the Records tab from a file of N records, until painted
// Prints the milliseconds; scripts/wine-bench.sh runs each several times and prints the ratios.
#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "app/frm_main.h"
#include "app/inventory.h"
#include "doubles.h"
#include "platform/win32/win32_controls.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_instance_flag.h"
#include "platform/win32/win32_random_source.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_text_encoding.h"
#include "program/win32/win32_desktop.h"

namespace {

void pump() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Taken before main runs, so the figures hold the program's own start-up, not Wine's loader,
// whose time swings by seconds between runs and is the same for both programs.
const auto process_start = std::chrono::steady_clock::now();

double since_process_start() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() -
                                                     process_start)
        .count();
}

LRESULT CALLBACK plain_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return DefWindowProcW(window, message, wparam, lparam);
}

// Every control of the inventory, each made with one call where it lies, shown when it lies on
// the first tab: no model, fonts, tooltips, tray or files.
void add_plain_controls(HWND window) {
    const auto& inventory = app::frmMain_inventory();
    std::map<std::string, POINT> origins;
    int id = 100;
    for (const auto& definition : inventory) {
        if (definition.kind == app::ControlKind::MenuItem) {
            continue;
        }
        POINT at{definition.rect.left / app::kTwipsPerPixelAt96Dpi,
                 definition.rect.top / app::kTwipsPerPixelAt96Dpi};
        if (auto outer = origins.find(definition.container); outer != origins.end()) {
            at.x += outer->second.x;
            at.y += outer->second.y;
        }
        origins[definition.name] = at;
        app::Control control(definition);
        RECT place{at.x, at.y, at.x + definition.rect.width / app::kTwipsPerPixelAt96Dpi,
                   at.y + definition.rect.height / app::kTwipsPerPixelAt96Dpi};
        bool shown = definition.tab == app::kOnEveryTab || definition.tab == app::kTabGenerate;
        platform::win32::create_control(window, control, id++, place, shown ? WS_VISIBLE : 0);
    }
}

double reference_startup(bool with_controls) {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_TAB_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&classes);
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = plain_procedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = L"Reference";
    RegisterClassExW(&window_class);
    HWND window = CreateWindowExW(0, L"Reference", L"Reference", WS_OVERLAPPEDWINDOW, 0, 0, 330,
                                  540, nullptr, nullptr, window_class.hInstance, nullptr);
    if (with_controls) {
        add_plain_controls(window);
    } else {
        HWND tabs = CreateWindowExW(0, WC_TABCONTROLW, nullptr, WS_CHILD | WS_VISIBLE, 8, 80, 299,
                                    377, window, nullptr, window_class.hInstance, nullptr);
        for (const wchar_t* caption : {L"Generate", L"Records", L"Options", L"About"}) {
            TCITEMW item{TCIF_TEXT, 0, 0, const_cast<wchar_t*>(caption), 0, 0, 0};
            SendMessageW(tabs, TCM_INSERTITEMW, SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0),
                         reinterpret_cast<LPARAM>(&item));
        }
    }
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    pump();
    return since_process_start();
}

struct Program {
    doubles::TempFolder folder;
    doubles::FakeProgramInfo program{folder.path()};
    platform::win32::Win32FileSystem files;
    platform::win32::Win32RandomSource random;
    doubles::FixedInstanceFlag instance;
    platform::win32::Win32Registry registry;
    platform::win32::Win32TextEncoding encoding;
    doubles::RecordingMessages messages;
    program::win32::Win32Desktop desktop;
    std::unique_ptr<app::frmMain> form;

    void start() {
        form = desktop.start(program, files, random, instance, registry, encoding, &messages);
        UpdateWindow(desktop.window.handle());
        pump();
    }
};

double keymint_startup() {
    Program keymint;
    keymint.start();
    return since_process_start();
}

double records_fill(std::size_t count) {
    Program keymint;
    std::string text = "temppass\r\n";
    for (std::size_t i = 0; i < count; ++i) {
        text += std::to_string(10000000 + i) + "\r\n";
    }
    std::ofstream(keymint.folder.file("sifreler.dat"), std::ios::binary) << text;
    keymint.start();
    // As on Linux, the tab is shown once the records are indexed (the index and the list are
    // read by the same worker), with the window at rest for a moment, as a user finds it.
    for (int round = 0; round < 20000 && !keymint.form->records.index_ready(); ++round) {
        pump();
        Sleep(1);
    }
    for (auto rest = std::chrono::steady_clock::now();
         std::chrono::steady_clock::now() - rest < std::chrono::milliseconds(300);) {
        pump();
        Sleep(1);
    }
    HWND tabs = keymint.desktop.window.control_handle("SSTab1");
    RECT item{};
    SendMessageW(tabs, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
    auto start = std::chrono::steady_clock::now();
    SendMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(item.left + 4, item.top + 4));
    SendMessageW(tabs, WM_LBUTTONUP, 0, MAKELPARAM(item.left + 4, item.top + 4));
    // The file is read on the worker thread; the list is filled when its result comes back.
    HWND list = keymint.desktop.window.control_handle("lstSifreler");
    const auto expected = static_cast<LRESULT>(count + 1);
    for (int round = 0; round < 20000 && SendMessageW(list, LB_GETCOUNT, 0, 0) != expected;
         ++round) {
        pump();
        Sleep(1);
    }
    UpdateWindow(keymint.desktop.window.handle());
    pump();
    double elapsed =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (SendMessageW(list, LB_GETCOUNT, 0, 0) != expected) {
        std::fprintf(stderr, "the list holds the wrong number of rows\n");
        return -1;
    }
    return elapsed;
}

}  // namespace

int main(int argc, char** argv) {
    std::string mode = argc > 1 ? argv[1] : "";
    double result = -1;
    if (mode == "startup") {
        result = keymint_startup();
    } else if (mode == "startup-reference") {
        result = reference_startup(false);
    } else if (mode == "startup-controls") {
        result = reference_startup(true);
    } else if (mode == "records" && argc > 2) {
        result = records_fill(std::strtoul(argv[2], nullptr, 10));
    } else {
        std::fprintf(
            stderr,
            "usage: win32_window_bench startup|startup-reference|startup-controls|records N\n");
        return 2;
    }
    std::printf("%.1f\n", result);
    return result < 0 ? 1 : 0;
}
