#include "ini/ini_file.h"

namespace ini::detail {

std::string ascii_lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

void ensure_file_exists(platform::FileSystem& files, const std::string& path) {
    files.touch(path, platform::FileAccess::Normal);
    try {
        files.make_writable(path);
    } catch (const platform::FileError&) {
        // Reading does not need it, and a write that does need it fails on its own with the
        // real reason.
    }
}

}  // namespace ini::detail
