#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "app/batch.h"
#include "platform/file_system.h"
#include "platform/program_info.h"
#include "platform/random_source.h"
#include "platform/text_encoding.h"

namespace program {

// What the command line asks the program to do.
struct CommandLine {
    enum class Action { OpenWindow, ShowHelp, ShowVersion, Generate, Refuse };
    Action action = Action::OpenWindow;
    app::BatchRequest batch;  // for Generate
    std::string error;        // one line, for Refuse
};

CommandLine parse_command_line(int argc, const char* const* argv);
std::string usage_text();
std::string version_text();

// Prints the passwords a script asked for; returns the exit code.
using BatchRunner = std::function<int(const app::BatchRequest& request)>;

// Answers the options that need no window, printing to `out` or `error`: --generate through
// `generate`. Returns the process's exit code for those (2 for options it cannot use), nothing
// when the window is to open.
std::optional<int> answer_without_window(int argc, const char* const* argv, std::ostream& out,
                                         std::ostream& error, const BatchRunner& generate = {});

// --generate over the records file the window uses: 0 done, 1 refused with the window's message.
int generate_passwords(const app::BatchRequest& request, platform::ProgramInfo& program,
                       platform::FileSystem& files, platform::RandomSource& random,
                       const platform::TextEncoding& encoding, std::ostream& out,
                       std::ostream& errors);

}  // namespace program
