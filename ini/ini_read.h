#pragma once

#include <string>

#include "platform/file_system.h"

namespace ini {

// The value of `key` in `section` of the INI file at `path`, or "" when the file, the section or
// the key is missing. A missing file is created empty.
std::string ReadIni(platform::FileSystem& files, const std::string& path,
                    const std::string& section, const std::string& key);

}  // namespace ini
