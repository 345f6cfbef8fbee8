#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "app/batch.h"
#include "platform/file_system.h"
#include "platform/program_info.h"
#include "platform/random_source.h"

namespace program {

// `keymint --generate [options]`: passwords for scripts, without a window.
struct GenerateCommand {
    bool requested = false;  // --generate was given
    bool help = false;
    app::BatchRequest request;
    std::string error;  // one line when the options cannot be used
};

GenerateCommand parse_generate_command(int argc, const char* const* argv);

// The help lines of --generate and its options.
std::string generate_usage();

// Runs --generate when it was asked for, over the records file of `program`'s folder. Returns
// the exit code: 0 done, 1 refused (the window's messages), 2 unusable options; nothing when
// the window is to open.
std::optional<int> answer_generate(int argc, const char* const* argv,
                                   platform::ProgramInfo& program, platform::FileSystem& files,
                                   platform::RandomSource& random, std::ostream& out,
                                   std::ostream& errors);

}  // namespace program
