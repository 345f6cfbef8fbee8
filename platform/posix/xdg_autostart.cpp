#include "platform/posix/xdg_autostart.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/command_line.h"
#include "platform/posix/atomic_replacement.h"
#include "platform/posix/desktop_entry.h"
#include "platform/posix/exec_quoting.h"
#include "platform/posix/file_io.h"
#include "platform/posix/registry_answers.h"
#include "platform/posix/xdg_folders.h"

namespace platform::posix {

namespace {

constexpr std::string_view kSuffix = ".desktop";
constexpr std::size_t kMaxEntryFileSize = 1 << 20;

bool valid_entry_name(std::string_view name) {
    return !name.empty() && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

std::string read_small_file(const std::string& path) {
    Descriptor fd = open_regular("Could not open", path, O_RDONLY);
    std::string contents;
    char buffer[4096];
    while (contents.size() <= kMaxEntryFileSize) {
        ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            fail("Could not read", path, errno);
        }
        if (got == 0) {
            break;
        }
        contents.append(buffer, static_cast<std::size_t>(got));
    }
    return contents;
}

}  // namespace

std::string xdg_config_home() {
    return xdg_base_folder("XDG_CONFIG_HOME", ".config");
}

XdgAutostartFolder::XdgAutostartFolder(std::string folder) : folder_(std::move(folder)) {}

reg::Result XdgAutostartFolder::failed(reg::Result result, std::string reason) const {
    last_failure_ = std::move(reason);
    last_failure_code_ = result;
    return result;
}

std::string XdgAutostartFolder::last_failure(reg::Result result) const {
    return result == last_failure_code_ ? last_failure_ : "";
}

std::optional<std::string> XdgAutostartFolder::file_of(std::string_view name) const {
    if (!valid_entry_name(name)) {
        return std::nullopt;
    }
    DIR* dir = ::opendir(folder_.c_str());
    if (dir == nullptr) {
        return std::nullopt;
    }
    std::optional<std::string> found;
    while (const dirent* item = ::readdir(dir)) {
        std::string_view file = item->d_name;
        if (file.size() <= kSuffix.size() || !file.ends_with(kSuffix)) {
            continue;
        }
        std::string_view base = file.substr(0, file.size() - kSuffix.size());
        if (base == name) {
            found = std::string(file);
            break;
        }
        if (!found && equal_ignoring_ascii_case(base, name)) {
            found = std::string(file);
        }
    }
    ::closedir(dir);
    if (found) {
        return folder_ + "/" + *found;
    }
    return std::nullopt;
}

reg::Result XdgAutostartFolder::read(std::string_view name, Entry* entry) const {
    std::optional<std::string> path = file_of(name);
    if (!path) {
        return reg::kFileNotFound;
    }
    std::string contents;
    try {
        contents = read_small_file(*path);
    } catch (const SystemFileError& error) {
        return failed(from_errno(error.error()), error.what());
    }
    if (contents.size() > kMaxEntryFileSize) {
        return reg::kFileNotFound;
    }
    ParsedEntry parsed = parse_entry(contents);
    if (parsed.hidden || !parsed.exec) {
        return reg::kFileNotFound;
    }
    std::optional<std::vector<std::string>> arguments = arguments_from_exec(*parsed.exec);
    if (!arguments || arguments->empty()) {
        return reg::kFileNotFound;
    }
    entry->command_line = join_command_line(*arguments);
    entry->type = parsed.type;
    return reg::kSuccess;
}

reg::Result XdgAutostartFolder::write(std::string_view name, const Entry& entry) const {
    if (!valid_entry_name(name)) {
        return reg::kInvalidName;
    }
    last_failure_.clear();
    if (!valid_utf8(name) || !valid_utf8(entry.command_line)) {
        return failed(reg::kNoUnicodeTranslation,
                      "The command \"" + entry.command_line +
                          "\" is not UTF-8 text, which a desktop entry cannot hold.");
    }
    std::vector<std::string> arguments = split_command_line(entry.command_line);
    if (arguments.empty()) {
        return reg::kInvalidData;
    }
    std::string exec = exec_from_arguments(arguments);
    // An entry that would start anything other than these arguments is never written.
    if (arguments_from_exec(exec) != arguments) {
        return reg::kInvalidData;
    }
    std::string contents =
        "[Desktop Entry]\nType=Application\nName=" + escape_value(name) + "\nExec=" + exec + "\n";
    if (entry.type == reg::kExpandSz) {
        contents += std::string(kTypeKey) + "=REG_EXPAND_SZ\n";
    }

    if (int error = make_folders(folder_, 0700); error != 0) {
        return failed(from_errno(error), "Could not create the folder \"" + folder_ +
                                             "\": " + std::strerror(error) + ".");
    }
    std::string target =
        file_of(name).value_or(folder_ + "/" + std::string(name) + std::string(kSuffix));
    try {
        AtomicReplacement replacement(target, 0644);
        replacement.write(contents);
        replacement.commit();
    } catch (const SystemFileError& error) {
        return failed(from_errno(error.error()), error.what());
    }
    return reg::kSuccess;
}

reg::Result XdgAutostartFolder::remove(std::string_view name) const {
    last_failure_.clear();
    Entry entry;
    if (reg::Result found = read(name, &entry); found != reg::kSuccess) {
        return found;
    }
    std::optional<std::string> path = file_of(name);
    if (!path) {
        return reg::kFileNotFound;
    }
    if (::unlink(path->c_str()) != 0) {
        return failed(from_errno(errno),
                      "Could not remove \"" + *path + "\": " + std::strerror(errno) + ".");
    }
    return reg::kSuccess;
}

std::vector<std::string> XdgAutostartFolder::names() const {
    std::vector<std::string> candidates;
    if (DIR* dir = ::opendir(folder_.c_str())) {
        while (const dirent* item = ::readdir(dir)) {
            std::string_view file = item->d_name;
            if (file.size() > kSuffix.size() && file.ends_with(kSuffix) && file.front() != '.') {
                candidates.emplace_back(file.substr(0, file.size() - kSuffix.size()));
            }
        }
        ::closedir(dir);
    }
    auto by_folded_name = [](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(
            a.begin(), a.end(), b.begin(), b.end(),
            [](char x, char y) { return ascii_lower(x) < ascii_lower(y); });
    };
    std::sort(candidates.begin(), candidates.end(), by_folded_name);
    std::vector<std::string> visible;
    Entry entry;
    for (const std::string& name : candidates) {
        if ((visible.empty() || !equal_ignoring_ascii_case(visible.back(), name)) &&
            read(name, &entry) == reg::kSuccess) {
            visible.push_back(name);
        }
    }
    return visible;
}

}  // namespace platform::posix
