#pragma once

#include <string>

#include "platform/file_system.h"

namespace ini {

// Sets `key` in `section` of the INI file at `path` to `value`, creating the file, the section or
// the key as needed, and rewrites the whole file in one atomic step.
void WriteIni(platform::FileSystem& files, const std::string& path, const std::string& section,
              const std::string& key, const std::string& value);

}  // namespace ini
