#include "app/frm_main.h"

#include "ini/ini_read.h"

namespace app {

void frmMain::Dil() {
    const std::pair<const char*, Control*> captions[] = {
        {"AllChars", &blnTumKarakterler},
        {"UCases", &blnUpper},
        {"LCases", &blnLower},
        {"Numbers", &blnNumber},
        {"OtherChars", &blnOzel},
        {"OnlyChars", &blnOzelKarakterler},
        {"Generate", &cmdOlustur},
        {"Copy", &cmdKopyala},
        {"Minimize", &cmdGizle},
        {"Close", &cmKapat},
        {"Selected", &optSecililer},
        {"All", &optAll},
        {"Delete", &cmdSifreSil},
        {"NoReGenerate", &blnOncekilerOlmasin},
        {"AutoStart", &chkAutoStart},
        {"CharSettings", &Frame1},
        {"LngChar", &Frame2},
        {"Records", &Frame3},
        {"Options", &Frame4},
    };
    const std::string path = places_.language_file("lang.ini");
    for (const auto& [key, control] : captions) {
        try {
            control->set_caption(ini::ReadIni(objFSO, path, "Default", key));
        } catch (const platform::FileError&) {
            // Without a readable language file the built-in captions stay.
            return;
        }
    }
}

}  // namespace app
