#include "platform/posix/posix_program_info.h"

#include <unistd.h>

#include <climits>
#include <string>

#include "platform/posix/xdg_folders.h"

namespace platform::posix {
namespace {

std::string running_executable() {
    std::string path(PATH_MAX, '\0');
    ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    path.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return path;
}

}  // namespace

PosixProgramInfo::PosixProgramInfo() : PosixProgramInfo(running_executable()) {}

PosixProgramInfo::PosixProgramInfo(const std::string& executable) {
    auto slash = executable.rfind('/');
    folder_ = slash == std::string::npos ? "." : (slash == 0 ? "/" : executable.substr(0, slash));
    std::string file = slash == std::string::npos ? executable : executable.substr(slash + 1);
    auto dot = file.rfind('.');
    base_name_ = (dot == std::string::npos || dot == 0) ? file : file.substr(0, dot);
}

std::string PosixProgramInfo::user_data_folder() const {
    std::string data_home = xdg_base_folder("XDG_DATA_HOME", ".local/share");
    if (data_home.back() != '/') {
        data_home += '/';
    }
    return data_home + "keymint";
}

}  // namespace platform::posix
