#pragma once

#include <functional>
#include <istream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "app/batch.h"
#include "app/record_codec.h"
#include "platform/file_system.h"
#include "platform/program_info.h"
#include "platform/random_source.h"
#include "platform/text_encoding.h"

namespace program {

// What the command line asks the program to do.
struct CommandLine {
    enum class Action { OpenWindow, ShowHelp, ShowVersion, Generate, SetPrivate, Recover, Refuse };
    Action action = Action::OpenWindow;
    app::BatchRequest batch;  // for Generate
    bool private_on = false;  // for SetPrivate
    std::string error;        // one line, for Refuse
};

CommandLine parse_command_line(int argc, const char* const* argv);
std::string usage_text();
std::string version_text();

// Prints the passwords a script asked for; returns the exit code.
using BatchRunner = std::function<int(const app::BatchRequest& request)>;
// Turns private records on or off, or puts their key back; returns the exit code.
using RecordsRunner = std::function<int(const CommandLine& line)>;

// Answers the options that need no window, printing to `out` or `error`: --generate through
// `generate`, --private and --recover through `records`. Returns the process's exit code for
// those (2 for options it cannot use), nothing when the window is to open.
std::optional<int> answer_without_window(int argc, const char* const* argv, std::ostream& out,
                                         std::ostream& error, const BatchRunner& generate = {},
                                         const RecordsRunner& records = {});

// --generate over the records file the window uses: 0 done, 1 refused with the window's message.
// Without `keys`, private records are refused.
int generate_passwords(const app::BatchRequest& request, platform::ProgramInfo& program,
                       platform::FileSystem& files, platform::RandomSource& random,
                       const platform::TextEncoding& encoding, std::ostream& out,
                       std::ostream& errors, std::shared_ptr<app::RecordKeys> keys = {});

// --private on, --private off and --recover (which reads the recovery key from `in`) over the
// records file the window uses: 0 done, 1 refused with a message on `errors`. The recovery key
// that --private on makes goes to `out` alone.
int change_records(const CommandLine& line, platform::ProgramInfo& program,
                   platform::FileSystem& files, platform::RandomSource& random,
                   std::shared_ptr<app::RecordKeys> keys, std::istream& in, std::ostream& out,
                   std::ostream& errors);

}  // namespace program
