#pragma once

#include <windows.h>

#include "app/controls.h"

namespace platform::win32 {

// Creates the native control for one control of the model as a child of `parent`, at `place`,
// with `style` (visibility, grouping) added to its kind's own.
HWND create_control(HWND parent, const app::Control& control, int id, const RECT& place,
                    DWORD style);

// Shows a model property on the native control. The tab control's selection, the list's
// items and the background colour are the window's business.
void show_property(HWND native, const app::Control& control, app::Property property);

// A native control's text, in the program's encoding.
std::string window_text(HWND native);

}  // namespace platform::win32
