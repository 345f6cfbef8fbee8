#include "platform/posix/run_key_registry.h"

#include <algorithm>
#include <utility>

#include "platform/posix/file_io.h"
#include "platform/posix/registry_answers.h"
#include "platform/posix/sqlite_registry.h"

namespace platform::posix {
namespace {

const std::vector<std::string> kRunPath = {"Software", "Microsoft", "Windows", "CurrentVersion",
                                           "Run"};

bool is_run_path(reg::Key root, const std::vector<std::string>& path) {
    return root == reg::kLocalMachine && path.size() == kRunPath.size() &&
           std::equal(path.begin(), path.end(), kRunPath.begin(),
                      [](const std::string& a, const std::string& b) {
                          return equal_ignoring_ascii_case(a, b);
                      });
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

}  // namespace

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
    std::string autostart_failure = autostart_.last_failure(result);
    return autostart_failure.empty() ? store_->describe(result) : autostart_failure;
}

std::unique_ptr<Registry> make_user_registry(const std::string& config_home) {
    return std::make_unique<RunKeyRegistry>(
        std::make_unique<SqliteRegistry>(SqliteRegistry::database_in(config_home)),
        XdgAutostartFolder(config_home + "/autostart"));
}

}  // namespace platform::posix
