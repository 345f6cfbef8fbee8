#include "platform/win32/win32_program_info.h"

#include <windows.h>
// windows.h first
#include <knownfolders.h>
#include <shlobj.h>

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

std::string Win32ProgramInfo::user_data_folder() const {
    PWSTR found = nullptr;
    std::string folder;
    if (::SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr, &found) == S_OK) {
        folder = narrow(found) + "\\Keymint";
    }
    ::CoTaskMemFree(found);
    return folder;
}

}  // namespace platform::win32
