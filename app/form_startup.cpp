#include "app/frm_main.h"

#include "app/messages.h"

namespace app {

void frmMain::Form_Initialize() {
    // A failure only costs the native look of the controls.
    services_.window.init_common_controls();
}

void frmMain::Form_Load() {
    Dil();
    try {
        places_.prepare(services_.files);
        objSifreler.make_sure_exists();
    } catch (const std::exception& error) {
        const std::string text = std::string(kCantLoadFile) +
                                 "\r\n\r\nKeymint keeps its records in \"" + places_.data_folder() +
                                 "\".";
        services_.messages.show(with_reason(text, error), kApplicationTitle,
                                platform::MessageIcon::None);
    }
    records.start();
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
