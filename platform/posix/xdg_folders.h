#pragma once

#include <string>

namespace platform::posix {

// One of the user's XDG base folders: the value of `variable` when it is an absolute path, else
// `below_home` inside $HOME (or the home folder of the account when $HOME is unusable).
std::string xdg_base_folder(const char* variable, const char* below_home);

}  // namespace platform::posix
