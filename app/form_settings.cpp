#include "app/frm_main.h"

#include "ini/ini_write.h"

namespace app {

void frmMain::IniKaydet() {
    // In one rewrite, in the order the keys have always been written: a failure saves none.
    std::vector<std::pair<std::string, std::string>> keys;
    for (std::size_t i = 0; i < kClassCount; ++i) {
        keys.emplace_back(kCharClasses[i].ini_key, IniKontrol(class_box(i)));
    }
    keys.emplace_back("numberofchars", intUzunluk.text());
    ini::WriteIniKeys(objFSO, places_.data_file("keymint.ini"), "Default", keys);
}

std::string frmMain::IniKontrol(const Control& box) const {
    return box.value() == 1 ? "1" : "0";
}

}  // namespace app
