#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/accessibility.h"

namespace platform::win32 {

// What a screen reader is told of one control, asked afresh each time it asks.
struct AccessibleSource {
    std::function<app::AccessibleControl()> describe;
    std::function<std::string()> value;              // empty: the standard value
    std::function<std::string(int item)> item_text;  // list boxes: the rows' text
    std::vector<std::string> part_names;             // the up-down control's arrows
};

// Answers MSAA for `control` (WM_GETOBJECT) with the standard object of its class, but with the
// role, name, description and value the source gives, and a list box's rows. The source lives
// as long as the control.
void make_accessible(HWND control, const AccessibleSource* source);

// The MSAA role of an accessible role.
long msaa_role(app::AccessibleRole role);

}  // namespace platform::win32
