#include "platform/win32/win32_instance_flag.h"

#include <windows.h>

#include <cstdint>
#include <cwchar>

#include "platform/win32/win32_text.h"

namespace platform::win32 {

std::wstring Win32InstanceFlag::mutex_name(const std::string& executable) {
    std::wstring path = wide(executable);
    if (!path.empty()) {
        ::CharLowerBuffW(path.data(), static_cast<DWORD>(path.size()));
    }
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a over the UTF-16 units
    for (wchar_t unit : path) {
        hash = (hash ^ static_cast<std::uint16_t>(unit)) * 1099511628211ull;
    }
    wchar_t name[64];
    std::swprintf(name, 64, L"Local\\Keymint-%016llx", static_cast<unsigned long long>(hash));
    return name;
}

Win32InstanceFlag::Win32InstanceFlag(const std::string& executable) {
    mutex_ = ::CreateMutexW(nullptr, FALSE, mutex_name(executable).c_str());
    // Without the mutex every start counts as the first.
    previous_ = mutex_ != nullptr && ::GetLastError() == ERROR_ALREADY_EXISTS;
}

Win32InstanceFlag::~Win32InstanceFlag() {
    if (mutex_ != nullptr) {
        ::CloseHandle(mutex_);
    }
}

}  // namespace platform::win32
