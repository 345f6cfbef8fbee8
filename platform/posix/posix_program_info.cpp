#include "platform/posix/posix_program_info.h"

#include <unistd.h>

#include <climits>
#include <string>

namespace platform::posix {

PosixProgramInfo::PosixProgramInfo() {
    std::string path(PATH_MAX, '\0');
    ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    path.resize(length > 0 ? static_cast<std::size_t>(length) : 0);

    auto slash = path.rfind('/');
    folder_ = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    auto dot = file.rfind('.');
    base_name_ = (dot == std::string::npos || dot == 0) ? file : file.substr(0, dot);
}

}  // namespace platform::posix
