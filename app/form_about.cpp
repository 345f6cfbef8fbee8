#include "app/frm_main.h"

namespace app {

namespace {

// The only key the folder box lets through: Ctrl+C, so the path can be copied.
constexpr int kCopyKey = 3;

}  // namespace

void frmMain::show_about() {
    txtFolder.set_text(places_.data_folder());
}

void frmMain::cmdFolder_Click() {
    services_.shell.open("Open", places_.data_folder());
}

void frmMain::txtFolder_KeyPress(int& KeyAscii) {
    if (KeyAscii != kCopyKey) {
        KeyAscii = 0;
    }
}

void frmMain::txtFolder_Change() {
    // The box only shows where the files are; whatever reached it otherwise is undone.
    show_about();
}

}  // namespace app
