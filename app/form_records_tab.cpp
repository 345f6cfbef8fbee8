#include "app/frm_main.h"

namespace app {

void frmMain::ListeDoldur() {
    if (!lstSifreler.items().empty() && records.list_unchanged()) {
        // The file is as the list shows it: only the selection goes, as with a new list.
        lstSifreler.set_list_index(-1);
        return;
    }
    lstSifreler.clear_items();
    records.read_list([this](ListItems items) { lstSifreler.set_items(std::move(items)); },
                      [this](const std::exception& error) {
                          report(error, "The recorded passwords could not be listed.");
                      });
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
            records.list_cleared();
            return;
        }
    } catch (const platform::FileError& error) {
        report(error, "The records were not deleted; the file is unchanged.");
        return;
    }
    // A large file takes a while: the tab's controls rest until the new file is in place.
    Control* tab_controls[] = {&lstSifreler, &optSecililer, &optAll, &cmdSifreSil};
    for (Control* control : tab_controls) {
        control->set_enabled(false);
    }
    const std::string text = lstSifreler.list_text();
    records.rewrite([text](RecordsFile& file) { file.delete_matching(text); },
                    [this, tab_controls](std::exception_ptr failure) {
                        for (Control* control : tab_controls) {
                            control->set_enabled(true);
                        }
                        try {
                            if (failure) {
                                std::rethrow_exception(failure);
                            }
                            lstSifreler.clear_items();
                            ListeDoldur();
                        } catch (const std::exception& error) {
                            report(error, "The records were not deleted; the file is unchanged.");
                        }
                    });
}

}  // namespace app
