#pragma once

#include <string>

#include "platform/file_system.h"

namespace ini {

// The text of an INI file, read once, for looking up many keys.
class IniText {
  public:
    explicit IniText(std::string text);
    // Reads the file at `path`; a missing file is created empty.
    static IniText load(platform::FileSystem& files, const std::string& path);

    // The value of `key` in `section`, or "" when the section or the key is missing.
    std::string value(const std::string& section, const std::string& key) const;

  private:
    std::string text_;
    std::string folded_;
};

// The value of `key` in `section` of the INI file at `path`, or "" when the file, the section or
// the key is missing. A missing file is created empty.
std::string ReadIni(platform::FileSystem& files, const std::string& path,
                    const std::string& section, const std::string& key);

}  // namespace ini
