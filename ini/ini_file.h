#pragma once

#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace ini::detail {

// Only ASCII letters are folded, so every byte keeps its position and UTF-8 text stays intact.
std::string ascii_lower(std::string_view text);

// Creates the file empty when it is missing and makes it writable by its owner. Only the creation
// can fail: a file that cannot be made writable may still be readable.
void ensure_file_exists(platform::FileSystem& files, const std::string& path);

}  // namespace ini::detail
