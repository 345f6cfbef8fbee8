#include "app/frm_main.h"

#include "app/generator.h"

namespace app {

void frmMain::KutuDurumu() {
    bool any_class = false;
    for (std::size_t i = 0; i < kClassCount; ++i) {
        any_class = any_class || class_box(i).value() != 0;
    }
    cmdOlustur.set_enabled(any_class);
}

void frmMain::blnUpper_Click() {
    KutuDurumu();
}

void frmMain::blnLower_Click() {
    KutuDurumu();
}

void frmMain::blnNumber_Click() {
    KutuDurumu();
}

void frmMain::blnOzel_Click() {
    KutuDurumu();
}

void frmMain::blnTumKarakterler_Click() {
    for (std::size_t i = 0; i < kClassCount; ++i) {
        class_box(i).set_enabled(true);
    }
    blnOzelKarakterler.set_value(0);
    arrOzelKarakterler.set_enabled(false);
    arrOzelKarakterler.set_background(SystemColour::InactiveBorder);
    KutuDurumu();
}

void frmMain::blnOzelKarakterler_Click() {
    for (std::size_t i = 0; i < kClassCount; ++i) {
        class_box(i).set_enabled(false);
    }
    arrOzelKarakterler.set_enabled(true);
    arrOzelKarakterler.set_background(SystemColour::WindowBackground);
    blnTumKarakterler.set_value(0);
    cmdOlustur.set_enabled(!arrOzelKarakterler.text().empty());
}

void frmMain::arrOzelKarakterler_Change() {
    cmdOlustur.set_enabled(!arrOzelKarakterler.text().empty());
}

void frmMain::txtSifre_Change() {
    update_copy_button();
    show_strength();
}

void frmMain::arrOzelKarakterler_KeyPress(int& KeyAscii) {
    // The codes below the space come from editing keys (Backspace, the clipboard shortcuts), which
    // type nothing into the list.
    bool editing_key = KeyAscii > 0 && KeyAscii < ' ';
    if (!editing_key && !pool_character(static_cast<char32_t>(KeyAscii), services_.encoding)) {
        KeyAscii = 0;
        services_.sound.beep();
    }
}

void frmMain::intUzunluk_KeyPress(int& KeyAscii) {
    if (KeyAscii < '0' || KeyAscii > '9') {
        KeyAscii = 0;
        services_.sound.beep();
    }
}

void frmMain::txtWordCount_KeyPress(int& KeyAscii) {
    intUzunluk_KeyPress(KeyAscii);
}

void frmMain::txtSifre_KeyPress(int& KeyAscii) {
    KeyAscii = 0;
}

void frmMain::UpDown1_Change(int step) {
    int length = spin_length(intUzunluk.text(), step);
    intUzunluk.set_text(std::to_string(length));
}

void frmMain::update_copy_button() {
    cmdKopyala.set_enabled(!txtSifre.text().empty());
}

}  // namespace app
