#pragma once

#include <functional>
#include <memory>

#include "app/frm_main.h"
#include "app/services.h"

namespace app {

// The process entry: creates the main window, lets the backend build its widgets, and shows it.
// The window lives as long as the returned object.
std::unique_ptr<frmMain> Main(Services services, const std::function<void(frmMain&)>& build_window);

}  // namespace app
