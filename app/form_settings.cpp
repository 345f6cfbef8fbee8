#include "app/frm_main.h"

#include "ini/ini_write.h"

namespace app {

void frmMain::IniKaydet() {
    const std::string path = places_.data_file("keymint.ini");
    ini::WriteIni(objFSO, path, "Default", "uppercase", IniKontrol(blnUpper));
    ini::WriteIni(objFSO, path, "Default", "lovercase", IniKontrol(blnLower));
    ini::WriteIni(objFSO, path, "Default", "numbers", IniKontrol(blnNumber));
    ini::WriteIni(objFSO, path, "Default", "otherchars", IniKontrol(blnOzel));
    ini::WriteIni(objFSO, path, "Default", "numberofchars", intUzunluk.text());
}

std::string frmMain::IniKontrol(const Control& box) const {
    return box.value() == 1 ? "1" : "0";
}

}  // namespace app
