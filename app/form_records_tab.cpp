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
    // A large file takes a while, and a script may hold the file's lock: the tab's controls rest
    // until the new file is in place. The list is cleared only once the file holds the change,
    // so a failure leaves both alone.
    Control* tab_controls[] = {&lstSifreler, &optSecililer, &optAll, &cmdSifreSil};
    for (Control* control : tab_controls) {
        control->set_enabled(false);
    }
    const bool all = optAll.value() != 0;
    const std::string text = lstSifreler.list_text();
    records.rewrite(
        [all, text](RecordsFile& file) -> std::size_t {
            if (all) {
                file.delete_all();
                return 0;
            }
            return file.delete_matching(text);
        },
        [this, all, tab_controls](std::exception_ptr failure, std::size_t unreadable) {
            for (Control* control : tab_controls) {
                control->set_enabled(true);
            }
            try {
                if (failure) {
                    std::rethrow_exception(failure);
                }
                lstSifreler.clear_items();
                tell_unreadable(unreadable);
                if (all) {
                    records.list_cleared();
                } else {
                    ListeDoldur();
                }
            } catch (const std::exception& error) {
                report(error, "The records were not deleted; the file is unchanged.");
            }
        });
}

}  // namespace app
