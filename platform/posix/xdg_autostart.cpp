#include "platform/posix/xdg_autostart.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <utility>

#include "platform/posix/registry_answers.h"
#include "platform/posix/sqlite_registry.h"
#include "platform/posix/xdg_folders.h"

namespace platform::posix {

namespace {

constexpr std::string_view kSuffix = ".desktop";
constexpr std::string_view kTypeKey = "X-Keymint-Value-Type";
constexpr std::size_t kMaxEntryFileSize = 1 << 20;
const std::vector<std::string> kRunPath = {"Software", "Microsoft", "Windows", "CurrentVersion",
                                           "Run"};

char ascii_lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool same_name(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return ascii_lower(x) == ascii_lower(y);
           });
}

bool is_run_path(reg::Key root, const std::vector<std::string>& path) {
    return root == reg::kLocalMachine && path.size() == kRunPath.size() &&
           std::equal(path.begin(), path.end(), kRunPath.begin(),
                      [](const std::string& a, const std::string& b) { return same_name(a, b); });
}

std::string join_path(const std::vector<std::string>& parts) {
    std::string joined;
    for (const std::string& part : parts) {
        if (!joined.empty()) {
            joined += '\\';
        }
        joined += part;
    }
    return joined;
}

reg::Result from_errno(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return reg::kFileNotFound;
        case EACCES:
        case EPERM:
            return reg::kAccessDenied;
        case EROFS:
            return reg::kWriteProtect;
        case ENOSPC:
        case EDQUOT:
            return reg::kDiskFull;
        case ENAMETOOLONG:
            return reg::kInvalidName;
        default:
            return reg::kCantWrite;
    }
}

bool valid_entry_name(std::string_view name) {
    return !name.empty() && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

// The general escapes of string values in desktop entries.
std::string escape_value(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    if (!out.empty() && out.front() == ' ') {
        out.replace(0, 1, "\\s");
    }
    return out;
}

std::string unescape_value(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        switch (text[++i]) {
            case 's':
                out += ' ';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case '\\':
                out += '\\';
                break;
            default:  // not an escape of this layer: left for the quoting rules
                out += '\\';
                out += text[i];
        }
    }
    return out;
}

struct ParsedEntry {
    std::optional<std::string> exec;
    bool hidden = false;
    std::uint32_t type = reg::kSz;
};

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

ParsedEntry parse_entry(std::string_view contents) {
    ParsedEntry entry;
    bool in_main_group = false;
    bool seen_group = false;
    while (!contents.empty()) {
        std::size_t end = contents.find('\n');
        std::string_view line = trim(contents.substr(0, end));
        contents.remove_prefix(end == std::string_view::npos ? contents.size() : end + 1);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (line.front() == '[') {
            // Only the first group is the entry; later groups are actions.
            in_main_group = !seen_group && line == "[Desktop Entry]";
            seen_group = true;
            continue;
        }
        std::size_t equals = line.find('=');
        if (!in_main_group || equals == std::string_view::npos) {
            continue;
        }
        std::string_view key = trim(line.substr(0, equals));
        std::string_view value = trim(line.substr(equals + 1));
        if (key == "Exec") {
            entry.exec = unescape_value(value);
        } else if (key == "Hidden") {
            entry.hidden = entry.hidden || value == "true";
        } else if (key == "X-GNOME-Autostart-enabled") {
            entry.hidden = entry.hidden || value == "false";
        } else if (key == kTypeKey && value == "REG_EXPAND_SZ") {
            entry.type = reg::kExpandSz;
        }
    }
    return entry;
}

std::optional<std::string> read_small_file(const std::string& path, reg::Result* result) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *result = from_errno(errno);
        return std::nullopt;
    }
    std::string contents;
    char buffer[4096];
    ssize_t got = 0;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0 && contents.size() <= kMaxEntryFileSize) {
        contents.append(buffer, static_cast<std::size_t>(got));
    }
    int error = errno;
    ::close(fd);
    if (got < 0) {
        *result = from_errno(error);
        return std::nullopt;
    }
    if (contents.size() > kMaxEntryFileSize) {
        *result = reg::kFileNotFound;
        return std::nullopt;
    }
    *result = reg::kSuccess;
    return contents;
}

reg::Result make_folder(const std::string& folder) {
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            return from_errno(errno);
        }
        if (slash == std::string::npos) {
            return reg::kSuccess;
        }
    }
}

reg::Result write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            return from_errno(errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return reg::kSuccess;
}

}  // namespace

std::vector<std::string> split_command_line(std::string_view line) {
    std::vector<std::string> arguments;
    std::size_t i = 0;
    const std::size_t n = line.size();
    while (true) {
        while (i < n && (line[i] == ' ' || line[i] == '\t')) {
            ++i;
        }
        if (i == n) {
            break;
        }
        std::string argument;
        bool quoted = false;
        while (i < n && (quoted || (line[i] != ' ' && line[i] != '\t'))) {
            if (line[i] == '\\') {
                std::size_t count = 0;
                while (i + count < n && line[i + count] == '\\') {
                    ++count;
                }
                if (i + count < n && line[i + count] == '"') {
                    // 2n backslashes and a quotation mark: n backslashes, and the mark quotes;
                    // 2n+1: n backslashes and a literal mark.
                    argument.append(count / 2, '\\');
                    i += count;
                    if (count % 2 == 1) {
                        argument += '"';
                        ++i;
                    }
                } else {
                    argument.append(count, '\\');
                    i += count;
                }
                continue;
            }
            if (line[i] == '"') {
                if (quoted && i + 1 < n && line[i + 1] == '"') {
                    argument += '"';
                    i += 2;
                    continue;
                }
                quoted = !quoted;
                ++i;
                continue;
            }
            argument += line[i++];
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

std::string join_command_line(const std::vector<std::string>& arguments) {
    std::string line;
    for (const std::string& argument : arguments) {
        if (!line.empty()) {
            line += ' ';
        }
        if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) {
            line += argument;
            continue;
        }
        line += '"';
        std::size_t backslashes = 0;
        for (char c : argument) {
            if (c == '\\') {
                ++backslashes;
                continue;
            }
            line.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
            backslashes = 0;
            line += c;
        }
        line.append(backslashes * 2, '\\');
        line += '"';
    }
    return line;
}

std::string exec_from_arguments(const std::vector<std::string>& arguments) {
    std::string exec;
    for (const std::string& argument : arguments) {
        if (!exec.empty()) {
            exec += ' ';
        }
        if (!argument.empty() &&
            argument.find_first_of(" \t\n\"'\\><~|&;$*?#()`") == std::string::npos) {
            exec += argument;
            continue;
        }
        exec += '"';
        for (char c : argument) {
            if (c == '"' || c == '`' || c == '$' || c == '\\') {
                exec += '\\';
            }
            exec += c;
        }
        exec += '"';
    }
    std::string with_percent;
    for (char c : exec) {
        with_percent += c;
        if (c == '%') {
            with_percent += '%';
        }
    }
    return escape_value(with_percent);
}

std::optional<std::vector<std::string>> arguments_from_exec(std::string_view exec) {
    std::string text = unescape_value(exec);
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%' || i + 1 == text.size()) {
            line += text[i];
        } else if (text[++i] == '%') {
            line += '%';
        }  // any other field code stands for arguments given at start-up: none at log-on
    }

    std::vector<std::string> arguments;
    std::size_t i = 0;
    const std::size_t n = line.size();
    auto is_space = [](char c) { return c == ' ' || c == '\t' || c == '\n'; };
    while (true) {
        while (i < n && is_space(line[i])) {
            ++i;
        }
        if (i == n) {
            break;
        }
        std::string argument;
        while (i < n && !is_space(line[i])) {
            if (line[i] == '"') {
                ++i;
                bool closed = false;
                while (i < n) {
                    char c = line[i++];
                    if (c == '"') {
                        closed = true;
                        break;
                    }
                    if (c == '\\' && i < n &&
                        (line[i] == '"' || line[i] == '`' || line[i] == '$' || line[i] == '\\')) {
                        c = line[i++];
                    }
                    argument += c;
                }
                if (!closed) {
                    return std::nullopt;
                }
            } else if (line[i] == '\\' && i + 1 < n) {
                argument += line[i + 1];
                i += 2;
            } else {
                argument += line[i++];
            }
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

std::string xdg_config_home() {
    return xdg_base_folder("XDG_CONFIG_HOME", ".config");
}

XdgAutostartFolder::XdgAutostartFolder(std::string folder) : folder_(std::move(folder)) {}

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
        if (!found && same_name(base, name)) {
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
    reg::Result result = reg::kSuccess;
    std::optional<std::string> contents = read_small_file(*path, &result);
    if (!contents) {
        return result;
    }
    ParsedEntry parsed = parse_entry(*contents);
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
    std::vector<std::string> arguments = split_command_line(entry.command_line);
    if (arguments.empty()) {
        return reg::kInvalidData;
    }
    std::string contents = "[Desktop Entry]\nType=Application\nName=" + escape_value(name) +
                           "\nExec=" + exec_from_arguments(arguments) + "\n";
    if (entry.type == reg::kExpandSz) {
        contents += std::string(kTypeKey) + "=REG_EXPAND_SZ\n";
    }

    if (reg::Result made = make_folder(folder_); made != reg::kSuccess) {
        return made;
    }
    std::string target =
        file_of(name).value_or(folder_ + "/" + std::string(name) + std::string(kSuffix));
    std::string temporary = folder_ + "/.keymint-XXXXXX";
    int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        return from_errno(errno);
    }
    reg::Result result = write_all(fd, contents);
    if (result == reg::kSuccess && ::fchmod(fd, 0644) != 0) {
        result = from_errno(errno);
    }
    if (result == reg::kSuccess && ::fsync(fd) != 0) {
        result = from_errno(errno);
    }
    if (::close(fd) != 0 && result == reg::kSuccess) {
        result = from_errno(errno);
    }
    if (result == reg::kSuccess && ::rename(temporary.c_str(), target.c_str()) != 0) {
        result = from_errno(errno);
    }
    if (result != reg::kSuccess) {
        ::unlink(temporary.c_str());
    }
    return result;
}

reg::Result XdgAutostartFolder::remove(std::string_view name) const {
    Entry entry;
    if (reg::Result found = read(name, &entry); found != reg::kSuccess) {
        return found;
    }
    std::optional<std::string> path = file_of(name);
    if (!path) {
        return reg::kFileNotFound;
    }
    return ::unlink(path->c_str()) == 0 ? reg::kSuccess : from_errno(errno);
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
        if ((visible.empty() || !same_name(visible.back(), name)) &&
            read(name, &entry) == reg::kSuccess) {
            visible.push_back(name);
        }
    }
    return visible;
}

RunKeyRegistry::RunKeyRegistry(std::unique_ptr<Registry> store, XdgAutostartFolder autostart)
    : store_(std::move(store)), autostart_(std::move(autostart)) {}

reg::Result RunKeyRegistry::full_path(reg::Key key, std::string_view sub_key, reg::Key* root,
                                      std::vector<std::string>* path) const {
    std::vector<std::string> parts;
    if (reg::Result split = split_key_path(sub_key, &parts); split != reg::kSuccess) {
        return split;
    }
    if (is_root(key)) {
        *root = key;
        path->clear();
    } else if (auto open = handles_.find(key); open != handles_.end()) {
        *root = open->second.root;
        *path = open->second.path;
    } else {
        return reg::kInvalidHandle;
    }
    path->insert(path->end(), parts.begin(), parts.end());
    return reg::kSuccess;
}

const RunKeyRegistry::OpenKey* RunKeyRegistry::run_key(reg::Key key) const {
    auto open = handles_.find(key);
    return open != handles_.end() && open->second.store_key == 0 ? &open->second : nullptr;
}

reg::Key RunKeyRegistry::store_key(reg::Key key) const {
    if (is_root(key)) {
        return key;
    }
    auto open = handles_.find(key);
    return open != handles_.end() ? open->second.store_key : 0;
}

reg::Key RunKeyRegistry::add_handle(OpenKey open) {
    reg::Key handle = next_handle_;
    next_handle_ += 4;
    handles_[handle] = std::move(open);
    return handle;
}

template <typename StoreCall>
reg::Result RunKeyRegistry::open_or_create(reg::Key key, std::string_view sub_key,
                                           std::uint32_t access, reg::Key* result,
                                           std::uint32_t* disposition, StoreCall store_call) {
    if (result == nullptr) {
        return reg::kInvalidParameter;
    }
    reg::Key root = 0;
    std::vector<std::string> path;
    if (reg::Result found = full_path(key, sub_key, &root, &path); found != reg::kSuccess) {
        return found;
    }
    if (is_run_path(root, path)) {
        if (disposition != nullptr) {
            *disposition = reg::kOpenedExistingKey;
        }
        *result = add_handle({root, std::move(path), access, 0});
        return reg::kSuccess;
    }
    reg::Key opened = 0;
    reg::Result code = run_key(key) != nullptr ? store_call(root, join_path(path), &opened)
                                               : store_call(store_key(key), sub_key, &opened);
    if (code == reg::kSuccess) {
        *result = add_handle({root, std::move(path), access, opened});
    }
    return code;
}

reg::Result RunKeyRegistry::open_key(reg::Key key, std::string_view sub_key, std::uint32_t options,
                                     std::uint32_t access, reg::Key* result) {
    return open_or_create(key, sub_key, access, result, nullptr,
                          [&](reg::Key at, std::string_view path, reg::Key* opened) {
                              return store_->open_key(at, path, options, access, opened);
                          });
}

reg::Result RunKeyRegistry::create_key(reg::Key key, std::string_view sub_key,
                                       std::uint32_t reserved, std::string_view class_name,
                                       std::uint32_t options, std::uint32_t access,
                                       const reg::SecurityAttributes* security, reg::Key* result,
                                       std::uint32_t* disposition) {
    return open_or_create(key, sub_key, access, result, disposition,
                          [&](reg::Key at, std::string_view path, reg::Key* created) {
                              return store_->create_key(at, path, reserved, class_name, options,
                                                        access, security, created, disposition);
                          });
}

reg::Result RunKeyRegistry::close_key(reg::Key key) {
    if (is_root(key)) {
        return reg::kSuccess;
    }
    auto open = handles_.find(key);
    if (open == handles_.end()) {
        return reg::kInvalidHandle;
    }
    reg::Key inner = open->second.store_key;
    handles_.erase(open);
    return inner != 0 ? store_->close_key(inner) : reg::kSuccess;
}

reg::Result RunKeyRegistry::query_value(reg::Key key, std::string_view name, std::uint32_t* type,
                                        std::uint8_t* data, std::uint32_t* size) {
    const OpenKey* run = run_key(key);
    if (run == nullptr) {
        return store_->query_value(store_key(key), name, type, data, size);
    }
    if ((run->access & reg::kQueryValue) == 0) {
        return reg::kAccessDenied;
    }
    XdgAutostartFolder::Entry entry;
    if (reg::Result found = autostart_.read(name, &entry); found != reg::kSuccess) {
        return found;
    }
    std::string stored = entry.command_line + '\0';
    return answer_query(entry.type, stored, type, data, size);
}

reg::Result RunKeyRegistry::set_value(reg::Key key, std::string_view name, std::uint32_t reserved,
                                      std::uint32_t type, const std::uint8_t* data,
                                      std::uint32_t size) {
    const OpenKey* run = run_key(key);
    if (run == nullptr) {
        return store_->set_value(store_key(key), name, reserved, type, data, size);
    }
    if ((run->access & reg::kSetValue) == 0) {
        return reg::kAccessDenied;
    }
    if (data == nullptr && size > 0) {
        return reg::kNoAccess;
    }
    if (type != reg::kSz && type != reg::kExpandSz) {
        return reg::kInvalidData;
    }
    std::string_view text(reinterpret_cast<const char*>(data), data == nullptr ? 0 : size);
    std::size_t terminator = text.find('\0');
    if (terminator != std::string_view::npos) {
        if (text.find_first_not_of('\0', terminator) != std::string_view::npos) {
            return reg::kInvalidData;
        }
        text = text.substr(0, terminator);
    }
    return autostart_.write(name, {std::string(text), type});
}

reg::Result RunKeyRegistry::delete_key(reg::Key key, std::string_view sub_key) {
    reg::Key root = 0;
    std::vector<std::string> path;
    if (reg::Result found = full_path(key, sub_key, &root, &path); found != reg::kSuccess) {
        return found;
    }
    if (is_run_path(root, path)) {
        return reg::kAccessDenied;
    }
    return run_key(key) != nullptr ? store_->delete_key(root, join_path(path))
                                   : store_->delete_key(store_key(key), sub_key);
}

reg::Result RunKeyRegistry::delete_value(reg::Key key, std::string_view name) {
    const OpenKey* run = run_key(key);
    if (run == nullptr) {
        return store_->delete_value(store_key(key), name);
    }
    if ((run->access & reg::kSetValue) == 0) {
        return reg::kAccessDenied;
    }
    return autostart_.remove(name);
}

reg::Result RunKeyRegistry::enum_value(reg::Key key, std::uint32_t index, char* name,
                                       std::uint32_t* name_size, std::uint32_t* type,
                                       std::uint8_t* data, std::uint32_t* data_size) {
    const OpenKey* run = run_key(key);
    if (run == nullptr) {
        return store_->enum_value(store_key(key), index, name, name_size, type, data, data_size);
    }
    if (name == nullptr || name_size == nullptr) {
        return reg::kInvalidParameter;
    }
    if ((run->access & reg::kQueryValue) == 0) {
        return reg::kAccessDenied;
    }
    std::vector<std::string> names = autostart_.names();
    if (index >= names.size()) {
        return reg::kNoMoreItems;
    }
    const std::string& found = names[index];
    if (reg::Result copied = copy_name(found, name, *name_size); copied != reg::kSuccess) {
        return copied;
    }
    *name_size = static_cast<std::uint32_t>(found.size());
    if (type == nullptr && data == nullptr && data_size == nullptr) {
        return reg::kSuccess;
    }
    XdgAutostartFolder::Entry entry;
    if (reg::Result read = autostart_.read(found, &entry); read != reg::kSuccess) {
        return read;
    }
    return answer_query(entry.type, entry.command_line + '\0', type, data, data_size);
}

reg::Result RunKeyRegistry::enum_key(reg::Key key, std::uint32_t index, char* name,
                                     std::uint32_t name_size) {
    const OpenKey* run = run_key(key);
    if (run == nullptr) {
        return store_->enum_key(store_key(key), index, name, name_size);
    }
    if ((run->access & reg::kEnumerateSubKeys) == 0) {
        return reg::kAccessDenied;
    }
    reg::Key opened = 0;
    if (store_->open_key(run->root, join_path(run->path), 0, reg::kEnumerateSubKeys, &opened) !=
        reg::kSuccess) {
        return reg::kNoMoreItems;
    }
    reg::Result result = store_->enum_key(opened, index, name, name_size);
    store_->close_key(opened);
    return result;
}

reg::Result RunKeyRegistry::query_info_key(reg::Key key, char* class_name,
                                           std::uint32_t* class_size, reg::KeyInfo* info) {
    const OpenKey* run = run_key(key);
    if (run == nullptr) {
        return store_->query_info_key(store_key(key), class_name, class_size, info);
    }
    if ((run->access & reg::kQueryValue) == 0) {
        return reg::kAccessDenied;
    }
    reg::KeyInfo counts;
    reg::Key opened = 0;
    if (store_->open_key(run->root, join_path(run->path), 0, reg::kQueryValue, &opened) ==
        reg::kSuccess) {
        store_->query_info_key(opened, nullptr, nullptr, &counts);
        store_->close_key(opened);
    }
    counts.values = 0;
    counts.max_value_name_length = 0;
    counts.max_value_length = 0;
    for (const std::string& name : autostart_.names()) {
        XdgAutostartFolder::Entry entry;
        if (autostart_.read(name, &entry) != reg::kSuccess) {
            continue;
        }
        ++counts.values;
        counts.max_value_name_length =
            std::max(counts.max_value_name_length, static_cast<std::uint32_t>(name.size()));
        counts.max_value_length = std::max(
            counts.max_value_length, static_cast<std::uint32_t>(entry.command_line.size() + 1));
    }
    if (reg::Result answered = answer_empty_class(class_name, class_size);
        answered != reg::kSuccess) {
        return answered;
    }
    if (info != nullptr) {
        *info = counts;
    }
    return reg::kSuccess;
}

std::uint32_t RunKeyRegistry::expand_environment_strings(std::string_view source, char* destination,
                                                         std::uint32_t size) {
    return store_->expand_environment_strings(source, destination, size);
}

std::string RunKeyRegistry::describe(reg::Result result) {
    return store_->describe(result);
}

std::unique_ptr<Registry> make_user_registry(const std::string& config_home) {
    return std::make_unique<RunKeyRegistry>(
        std::make_unique<SqliteRegistry>(SqliteRegistry::database_in(config_home)),
        XdgAutostartFolder(config_home + "/autostart"));
}

}  // namespace platform::posix
