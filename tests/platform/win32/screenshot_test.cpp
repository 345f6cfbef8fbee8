#include <cstdio>
#include <cstdlib>
#include <string>

#include "window_fixture.h"

namespace {

// Writes the screen's pixels under `area` as a 24-bit bitmap file.
bool write_bitmap(const RECT& area, const wchar_t* path) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP picture = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, picture);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFOHEADER header{sizeof header, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    std::string pixels(static_cast<std::size_t>((width * 3 + 3) & ~3) * height, '\0');
    GetDIBits(memory, picture, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
              DIB_RGB_COLORS);
    DeleteObject(picture);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof header;
    BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(offset + pixels.size()), 0, 0, offset};
    FILE* out = _wfopen(path, L"wb");
    if (out == nullptr) {
        return false;
    }
    bool written = std::fwrite(&file, sizeof file, 1, out) == 1 &&
                   std::fwrite(&header, sizeof header, 1, out) == 1 &&
                   std::fwrite(pixels.data(), pixels.size(), 1, out) == 1;
    return std::fclose(out) == 0 && written;
}

// Not a check: renders the window with a fresh password for the README, when asked to.
TEST_F(Win32WindowTest, Screenshot) {
    const wchar_t* path = _wgetenv(L"KEYMINT_SCREENSHOT");
    if (path == nullptr) {
        GTEST_SKIP() << "KEYMINT_SCREENSHOT names no file";
    }
    SetWindowPos(main_window(), nullptr, 16, 16, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    click("cmdOlustur");
    SetFocus(handle("cmdOlustur"));
    // Let the window and its frame paint before the picture is taken.
    for (int round = 0; round < 20; ++round) {
        pump();
        Sleep(25);
    }
    RECT area{};
    GetWindowRect(main_window(), &area);
    ASSERT_TRUE(write_bitmap(area, path));
}

}  // namespace
