#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace program {

// What the command line asks the program to do.
struct CommandLine {
    enum class Action { OpenWindow, ShowHelp, ShowVersion, Refuse };
    Action action = Action::OpenWindow;
    std::string error;  // one line, for Refuse
};

CommandLine parse_command_line(int argc, const char* const* argv);
std::string usage_text();
std::string version_text();

// Answers the options that need no window, printing to `out` or `error`. Returns the process's
// exit code for those, nothing when the window is to open.
std::optional<int> answer_without_window(int argc, const char* const* argv, std::ostream& out,
                                         std::ostream& error);

}  // namespace program
