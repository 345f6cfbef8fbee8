#include "app/frm_main.h"

#include "app/inventory.h"
#include "registry/autostart.h"

namespace app {

std::int32_t frmMain::AutoRun() {
    return registry::AutoRun(services_.registry, services_.program);
}

void frmMain::AutoRun(std::int32_t eType) {
    strAutoRunPath = registry::strAutoRunPath(services_.program);
    registry::AutoRunChange change =
        registry::AutoRun(services_.registry, services_.program, eType);
    // The box shows whether the entry really is there.
    chkAutoStart.set_value(change.state);
    if (!change.ok()) {
        services_.messages.show(change.error, kWindowTitle, platform::MessageIcon::Critical);
    }
}

void frmMain::chkAutoStart_Click() {
    AutoRun(chkAutoStart.value() == 1 ? 1 : 0);
}

}  // namespace app
