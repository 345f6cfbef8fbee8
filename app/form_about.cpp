#include "app/frm_main.h"
#include "app/window_plan.h"

namespace app {

void frmMain::show_about() {
    txtFolder.set_text(places_.data_folder());
}

void frmMain::cmdFolder_Click() {
    services_.shell.open("Open", places_.data_folder());
}

void frmMain::txtFolder_KeyPress(int& KeyAscii) {
    // The only key the folder box lets through, so the path can be copied.
    if (KeyAscii != keys::kCopy) {
        KeyAscii = 0;
    }
}

void frmMain::txtFolder_Change() {
    // The box only shows where the files are; whatever reached it otherwise is undone.
    show_about();
}

}  // namespace app
