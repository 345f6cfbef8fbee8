#include "app/frm_main.h"

#include "ini/ini_write.h"

namespace app {

void frmMain::IniKaydet() {
    // In one rewrite, in the order the keys have always been written: a failure saves none.
    ini::WriteIniKeys(objFSO, places_.data_file("keymint.ini"), "Default",
                      {{"uppercase", IniKontrol(blnUpper)},
                       {"lovercase", IniKontrol(blnLower)},
                       {"numbers", IniKontrol(blnNumber)},
                       {"otherchars", IniKontrol(blnOzel)},
                       {"numberofchars", intUzunluk.text()}});
}

std::string frmMain::IniKontrol(const Control& box) const {
    return box.value() == 1 ? "1" : "0";
}

}  // namespace app
