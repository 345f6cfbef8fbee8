#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform::posix {

// A Windows command line split into its arguments (quotation marks and backslashes as
// CommandLineToArgvW reads them), and back.
std::vector<std::string> split_command_line(std::string_view command_line);
std::string join_command_line(const std::vector<std::string>& arguments);

}  // namespace platform::posix
