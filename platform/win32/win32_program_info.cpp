#include "platform/win32/win32_program_info.h"

#include <windows.h>

#include "platform/win32/win32_text.h"

namespace platform::win32 {

Win32ProgramInfo::Win32ProgramInfo() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);  // truncated: a long path
    }
    executable_ = narrow(path);

    auto slash = executable_.find_last_of("\\/");
    if (slash == std::string::npos) {
        folder_ = ".";
    } else {
        folder_ = executable_.substr(0, slash);
        if (folder_.size() == 2 && folder_[1] == ':') {
            folder_ += '\\';  // a drive's root keeps its separator
        }
    }
    std::string file = slash == std::string::npos ? executable_ : executable_.substr(slash + 1);
    auto dot = file.rfind('.');
    base_name_ = (dot == std::string::npos || dot == 0) ? file : file.substr(0, dot);
}

}  // namespace platform::win32
