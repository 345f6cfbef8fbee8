#pragma once

#include <windows.h>

namespace platform::win32 {

// The banner across the top of the window, drawn into `area` of `dc`.
void draw_banner(HDC dc, const RECT& area);

// The program icon at `side` pixels: the icon resource when the executable carries one, drawn
// otherwise. The caller destroys it.
HICON program_icon(int side);

}  // namespace platform::win32
