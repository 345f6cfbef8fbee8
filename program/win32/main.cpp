// Stand-in until the Win32 window backend arrives: proves the services start, then says so.
#include <windows.h>

#include "platform/win32/win32_program_info.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    platform::win32::Win32ProgramInfo program;
    std::wstring text = L"Keymint has no window in this build yet.\n\nProgram folder: ";
    text += std::wstring(program.folder().begin(), program.folder().end());
    ::MessageBoxW(nullptr, text.c_str(), L"Keymint", MB_OK | MB_ICONINFORMATION);
    return 0;
}
