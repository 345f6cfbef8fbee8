#pragma once

#include <string>
#include <vector>

#include "app/controls.h"

namespace app {

inline constexpr const char* kWindowTitle = "Keymint v0.3";
inline constexpr int kClientWidthTwips = 4680;
inline constexpr int kClientHeightTwips = 7545;
inline constexpr int kTwipsPerPixelAt96Dpi = 15;

enum TabIndex { kTabGenerate = 0, kTabRecords = 1, kTabOptions = 2, kTabAbout = 3 };

// The captions of SSTab1's tabs, in order.
const std::vector<std::string>& tab_captions();

// Every control of the main window, containers before what they contain.
const std::vector<ControlDefinition>& frmMain_inventory();

}  // namespace app
