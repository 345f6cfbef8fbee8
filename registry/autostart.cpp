#include "registry/autostart.h"

#include <exception>
#include <optional>

#include "platform/command_line.h"
#include "registry/cregistry.h"

namespace registry {

namespace {

// Why a registry error happened, in the registry's own words when it gave a reason.
std::string reason(platform::Registry& registry, const RegistryError& failure) {
    if (failure.cause() == platform::reg::kSuccess) {
        return failure.description();
    }
    return registry.describe(failure.cause()) + " (error " + std::to_string(failure.cause()) + ")";
}

void remove_quietly(cRegistry& entry, const char* key) {
    entry.SectionKey(key);
    try {
        entry.DeleteValue();
    } catch (const RegistryError&) {
        // a leftover RunOnce entry starts the program once at most; it does not block the change
    }
}

}  // namespace

std::string strAutoRunPath(const platform::ProgramInfo& program) {
    std::string path = program.folder();
    if (path.empty() || path.back() != program.separator()) {
        path += program.separator();
    }
    path += program.base_name();
    // Quoted so that the command-line rules give back exactly this path, whatever it holds.
    return platform::join_command_line({path});
}

std::int32_t AutoRun(platform::Registry& registry, const platform::ProgramInfo& program) {
    try {
        cRegistry entry(registry, program);
        entry.ClassKey(kHkeyLocalMachine);
        entry.SectionKey(kRunKey);
        entry.ValueKey(program.base_name());
        static const Variant kUnknown = std::string("?");
        entry.Default(kUnknown);
        entry.ValueType(kRegSz);
        const Variant value = entry.Value();
        const auto* text = std::get_if<std::string>(&value);
        return text != nullptr && *text == "?" ? 0 : 1;
    } catch (const std::exception&) {
        return 0;
    }
}

AutoRunChange AutoRun(platform::Registry& registry, const platform::ProgramInfo& program,
                      std::int32_t eType) {
    const bool wanted = eType != 0;
    const std::string name = program.base_name();
    std::optional<std::string> failure;
    try {
        const std::string command = strAutoRunPath(program);
        cRegistry entry(registry, program);
        entry.ClassKey(kHkeyLocalMachine);
        entry.ValueKey(name);
        if (wanted) {
            remove_quietly(entry, kRunOnceKey);
            entry.SectionKey(kRunKey);
            entry.ValueType(kRegSz);
            try {
                entry.Value(command);
            } catch (const RegistryError& error) {
                failure = reason(registry, error);
            }
        } else {
            entry.SectionKey(kRunKey);
            try {
                entry.DeleteValue();
            } catch (const RegistryError& error) {
                if (error.cause() != platform::reg::kFileNotFound) {
                    failure = reason(registry, error);
                }
            }
            remove_quietly(entry, kRunOnceKey);
        }
    } catch (const std::exception& error) {
        failure = error.what();
    }

    AutoRunChange change;
    change.state = AutoRun(registry, program);
    if (wanted && (failure || change.state != 1)) {
        change.error = "Could not set " + name + " to start with the system: " +
                       failure.value_or("the entry was written but cannot be read back.");
    } else if (!wanted && change.state != 0) {
        change.error = "Could not stop " + name + " from starting with the system: " +
                       failure.value_or("the entry is still there after it was removed.");
    }
    return change;
}

}  // namespace registry
