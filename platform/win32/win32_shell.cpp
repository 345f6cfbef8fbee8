#include "platform/win32/win32_shell.h"

#include <windows.h>

#include <shellapi.h>

#include "platform/win32/win32_window_text.h"

namespace platform::win32 {

void Win32Shell::open(const std::string& verb, const std::string& address) {
    ShellExecuteW(GetActiveWindow(), wide(verb).c_str(), wide(address).c_str(), nullptr, nullptr,
                  SW_SHOWNORMAL);
}

}  // namespace platform::win32
