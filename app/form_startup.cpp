#include "app/frm_main.h"

#include "app/messages.h"

namespace app {

void frmMain::Form_Initialize() {
    // A failure only costs the native look of the controls.
    services_.window.init_common_controls();
}

void frmMain::Form_Load() {
    Dil();
    show_about();
    try {
        objSifreler.make_sure_exists();
    } catch (const std::exception& error) {
        services_.messages.show(with_reason(kCantLoadFile, error), kApplicationTitle,
                                platform::MessageIcon::None);
    }
}

void frmMain::Form_Activate() {
    fill_tray_record();
    services_.tray.add(TrayIcon);
    if (services_.instance.previous_instance()) {
        services_.tray.remove(TrayIcon);
        services_.window.end_process();
        return;
    }
    update_copy_button();
}

}  // namespace app
