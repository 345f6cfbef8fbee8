#pragma once

#include <cstdint>
#include <string>

#include "platform/program_info.h"
#include "platform/registry.h"

namespace registry {

inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunOnceKey = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

// The command the Run entry holds: the program folder, a separator and the executable's base
// name; in quotation marks when it holds a space, a tab or a quotation mark (quotation marks and
// the backslashes before them escaped as the command-line rules require), so that splitting it
// gives back exactly this path and no other program can be started in its place.
std::string strAutoRunPath(const platform::ProgramInfo& program);

// 1 when the machine-wide Run key holds the program's entry, else 0. Never throws.
std::int32_t AutoRun(platform::Registry& registry, const platform::ProgramInfo& program);

struct AutoRunChange {
    std::int32_t state = 0;  // AutoRun as read back after the change
    std::string error;       // empty when the change took effect; else a sentence for the user

    bool ok() const { return error.empty(); }
};

// Adds the Run entry (`eType` non-zero) or removes it (0), removing an entry of the same name
// under RunOnce either way. Never throws: a change that did not take effect comes back as an
// error naming what failed and the registry's reason.
AutoRunChange AutoRun(platform::Registry& registry, const platform::ProgramInfo& program,
                      std::int32_t eType);

}  // namespace registry
