#pragma once

#include <windows.h>

namespace platform::win32 {

// The banner across the top of the window, drawn into `area` of `dc`.
void draw_banner(HDC dc, const RECT& area);

// The password's strength: `value` hundredths of the width in its level's colour, nothing at 0.
void draw_meter(HDC dc, const RECT& area, int value);

// Whether the user chose a high-contrast theme, whose system colours the window then draws in.
bool high_contrast();

// The program icon at `side` pixels: the icon resource when the executable carries one, drawn
// otherwise. The caller destroys it.
HICON program_icon(int side);

}  // namespace platform::win32
