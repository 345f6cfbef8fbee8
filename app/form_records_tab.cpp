#include "app/frm_main.h"

namespace app {

void frmMain::ListeDoldur() {
    lstSifreler.clear_items();
    try {
        lstSifreler.set_items(objSifreler.list());
    } catch (const platform::FileError& error) {
        report(error, "The recorded passwords could not be listed.");
    }
}

void frmMain::SSTab1_Click(int PreviousTab) {
    (void)PreviousTab;
    ListeDoldur();
}

void frmMain::lstSifreler_Click() {
    select_option(optSecililer);
}

void frmMain::cmdSifreSil_Click() {
    // The list is cleared only once the file holds the change, so a failure leaves both alone.
    try {
        if (optAll.value() != 0) {
            objSifreler.delete_all();
            lstSifreler.clear_items();
        } else {
            objSifreler.delete_matching(lstSifreler.list_text());
            lstSifreler.clear_items();
            ListeDoldur();
        }
    } catch (const platform::FileError& error) {
        report(error, "The records were not deleted; the file is unchanged.");
    }
}

}  // namespace app
