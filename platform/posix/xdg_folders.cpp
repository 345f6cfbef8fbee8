#include "platform/posix/xdg_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace platform::posix {

std::string xdg_base_folder(const char* variable, const char* below_home) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/') {
        return value;
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
        const passwd* user = ::getpwuid(::getuid());
        home = user != nullptr ? user->pw_dir : "/";
    }
    std::string folder = home;
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder + below_home;
}

}  // namespace platform::posix
