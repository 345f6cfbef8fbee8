#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <filesystem>
#include <memory>
#include <string>

#include "doubles.h"
#include "platform/win32/win32_clipboard.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_random_source.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_text_encoding.h"
#include "program/win32/win32_desktop.h"

// The real window under test doubles for what would block (message boxes) or end the process,
// in a fresh program folder holding the shipped language file.
class Win32WindowTest : public ::testing::Test {
  protected:
    void SetUp() override { start(); }
    void TearDown() override { stop(); }

    void start() {
        folder = std::make_unique<doubles::TempFolder>();
        program = std::make_unique<doubles::FakeProgramInfo>(folder->path());
        std::filesystem::create_directory(folder->file("Language"));
        std::filesystem::copy_file(KEYMINT_LANGUAGE_DIR "/lang.ini",
                                   folder->file("Language/lang.ini"));
        desktop = std::make_unique<program::win32::Win32Desktop>();
        desktop->window.on_end_process = [this] { ended = true; };
        form = desktop->start(*program, files, random, instance, registry, encoding, &messages);
        pump();
    }

    void stop() {
        form.reset();
        desktop.reset();
        folder.reset();
    }

    // Runs what the window has queued, as the program's message loop would.
    void pump() {
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (!desktop->window.translate(message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
    }

    // Pumps until `done` holds: the records' long jobs finish on a worker thread.
    template <class Condition>
    bool pump_until(Condition done) {
        for (int round = 0; round < 500 && !done(); ++round) {
            Sleep(5);
            pump();
        }
        return done();
    }

    HWND main_window() const { return desktop->window.handle(); }
    HWND handle(const std::string& name) const {
        HWND found = desktop->window.control_handle(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    std::wstring text_of(HWND window) const {
        wchar_t buffer[512] = {};
        GetWindowTextW(window, buffer, 512);
        return buffer;
    }
    std::wstring text_of(const std::string& name) const { return text_of(handle(name)); }

    void click(const std::string& name) {
        SendMessageW(handle(name), BM_CLICK, 0, 0);
        pump();
    }
    // A left click of the mouse at (x, y) of a control's client area.
    void mouse_click(HWND control, int x, int y) {
        SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        pump();
    }
    void click_tab(int index) {
        RECT item{};
        SendMessageW(handle("SSTab1"), TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
        mouse_click(handle("SSTab1"), (item.left + item.right) / 2, (item.top + item.bottom) / 2);
    }
    void type(const std::string& name, wchar_t character) {
        SendMessageW(handle(name), WM_CHAR, character, 1);
        pump();
    }
    std::string file_bytes(const std::string& name) const {
        return doubles::read_file(folder->file(name));
    }

    std::unique_ptr<doubles::TempFolder> folder;
    std::unique_ptr<doubles::FakeProgramInfo> program;
    platform::win32::Win32FileSystem files;
    platform::win32::Win32RandomSource random;
    doubles::FixedInstanceFlag instance;
    platform::win32::Win32Registry registry;
    platform::win32::Win32TextEncoding encoding;
    doubles::RecordingMessages messages;
    std::unique_ptr<program::win32::Win32Desktop> desktop;
    std::unique_ptr<app::frmMain> form;
    bool ended = false;
};
