#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/file_system.h"

namespace ini {

// Sets `key` in `section` of the INI file at `path` to `value`, creating the file, the section or
// the key as needed, and rewrites the whole file in one atomic step.
void WriteIni(platform::FileSystem& files, const std::string& path, const std::string& section,
              const std::string& key, const std::string& value);

// Sets several keys of `section` as that many WriteIni calls in turn would, but rewrites the
// file once: a failure leaves the file as it was, never with some keys set and others not.
void WriteIniKeys(platform::FileSystem& files, const std::string& path, const std::string& section,
                  const std::vector<std::pair<std::string, std::string>>& keys);

}  // namespace ini
