#include "app/mdl_visual_style.h"

namespace app {

std::unique_ptr<frmMain> Main(Services services,
                              const std::function<void(frmMain&)>& build_window) {
    // Only the look of the controls depends on this; start-up goes on either way.
    services.window.init_common_controls();
    auto form = std::make_unique<frmMain>(services);
    build_window(*form);
    form->Show();
    return form;
}

}  // namespace app
