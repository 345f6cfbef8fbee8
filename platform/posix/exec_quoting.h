#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::posix {

// The value of a desktop entry's Exec key for these arguments, quoted and escaped as freedesktop's
// desktop entry rules require, and back. Reading drops field codes such as %U; an unterminated
// quotation gives nothing.
std::string exec_from_arguments(const std::vector<std::string>& arguments);
std::optional<std::vector<std::string>> arguments_from_exec(std::string_view exec);

}  // namespace platform::posix
