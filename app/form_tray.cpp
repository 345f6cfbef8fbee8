#include "app/frm_main.h"

namespace app {

void frmMain::fill_tray_record() {
    TrayIcon = platform::NotifyIconData{};
    TrayIcon.cbSize = 88;
    TrayIcon.uID = 1;
    TrayIcon.uFlags = 7;
    TrayIcon.uCallbackMessage = 0x200;
    TrayIcon.szTip = "Keymint";
}

void frmMain::restore_window() {
    services_.window.set_window_state(platform::WindowState::Normal);
    if (!services_.window.window_visible()) {
        services_.window.show_window();
    }
}

void frmMain::Form_MouseMove(int Button, int Shift, float X, float Y) {
    (void)Shift, (void)X, (void)Y;
    if (Button == 1) {
        restore_window();
    } else if (Button == 2) {
        services_.window.popup_menu("systraymenu");
    }
}

void frmMain::systrayshow_Click() {
    restore_window();
}

void frmMain::systrayhide_Click() {
    services_.window.set_window_state(platform::WindowState::Minimized);
}

void frmMain::systrayolustur_Click() {
    Olustur();
    restore_window();
}

void frmMain::systrayexit_Click() {
    quit();
}

void frmMain::cmdGizle_Click() {
    services_.window.set_window_state(platform::WindowState::Minimized);
}

void frmMain::cmKapat_Click() {
    quit();
}

void frmMain::quit() {
    clear_own_clipboard();
    try {
        IniKaydet();
    } catch (const std::exception& error) {
        report(error, "The settings could not be saved; Keymint closes anyway.");
    }
    services_.tray.remove(TrayIcon);
    services_.window.end_process();
}

void frmMain::Form_QueryUnload(int& Cancel, int UnloadMode) {
    // Log-off and shutdown must not be held up by a program that only hides itself.
    if (UnloadMode == vbAppWindows) {
        return;
    }
    Cancel = -1;
    // Without a notification area a hidden window could never be found again.
    if (services_.tray.available()) {
        services_.window.hide_window();
    } else {
        services_.window.set_window_state(platform::WindowState::Minimized);
    }
}

void frmMain::Form_Unload(int& Cancel) {
    (void)Cancel;
    clear_own_clipboard();
    services_.tray.remove(TrayIcon);
}

void frmMain::Form_Terminate() {
    services_.tray.remove(TrayIcon);
}

}  // namespace app
