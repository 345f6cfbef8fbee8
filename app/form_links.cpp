#include "app/frm_main.h"

#include "app/links.h"

namespace app {

void frmMain::Label1_Click() {
    open_link(kAdviceLink.address);
}

void frmMain::Label2_Click() {
    open_link(kMakerLink.address);
}

void frmMain::open_link(std::string_view address) {
    services_.shell.open("Open", std::string(address));
}

}  // namespace app
