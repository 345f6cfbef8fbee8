#include "tests/registry/registry_test_support.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

#include <algorithm>
#include <cstdlib>

namespace registry_test {

void set_environment(const char* name, const char* value) {
#ifdef _WIN32
    ::_putenv_s(name, value);
    // The registry layer on Windows reads the process environment through kernel32.
    ::SetEnvironmentVariableA(name, value);
#else
    ::setenv(name, value, 1);
#endif
}

void RegistryTest::SetUp() {
    environment_ = make_environment();
    delete_tree(reg::kLocalMachine, kBase);
    clean_up_key(reg::kLocalMachine, kBase);
}

void RegistryTest::TearDown() {
    for (const auto& [root, path, name] : values_to_remove_) {
        reg::Key key = 0;
        if (registry().open_key(root, path, 0, reg::kAllKeyRights, &key) == reg::kSuccess) {
            registry().delete_value(key, name);
            registry().close_key(key);
        }
    }
    for (auto it = keys_to_remove_.rbegin(); it != keys_to_remove_.rend(); ++it) {
        delete_tree(it->first, it->second);
    }
    environment_.reset();
}

FakeProgram RegistryTest::program() const {
    return program_in(environment_->program_folder());
}

FakeProgram RegistryTest::program_in(const std::string& folder) const {
    return FakeProgram(folder, kProgramName, environment_->separator());
}

void RegistryTest::clean_up_key(reg::Key root, const std::string& path) {
    keys_to_remove_.emplace_back(root, path);
}

void RegistryTest::clean_up_value(reg::Key root, const std::string& path, const std::string& name) {
    values_to_remove_.emplace_back(root, path, name);
}

void RegistryTest::put(reg::Key root, const std::string& path, const std::string& name,
                       std::uint32_t type, const std::string& bytes) {
    reg::Key key = 0;
    ASSERT_EQ(
        registry().create_key(root, path, 0, "", 0, reg::kAllKeyRights, nullptr, &key, nullptr),
        reg::kSuccess);
    EXPECT_EQ(registry().set_value(key, name, 0, type,
                                   reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                   static_cast<std::uint32_t>(bytes.size())),
              reg::kSuccess);
    registry().close_key(key);
}

std::optional<StoredValue> RegistryTest::get(reg::Key root, const std::string& path,
                                             const std::string& name) {
    reg::Key key = 0;
    if (registry().open_key(root, path, 0, reg::kQueryValue, &key) != reg::kSuccess) {
        return std::nullopt;
    }
    StoredValue value;
    std::uint32_t size = 0;
    reg::Result result = registry().query_value(key, name, &value.type, nullptr, &size);
    if (result == reg::kSuccess) {
        value.bytes.assign(size, '\0');
        result = registry().query_value(key, name, &value.type,
                                        reinterpret_cast<std::uint8_t*>(value.bytes.data()), &size);
        value.bytes.resize(size);
    }
    registry().close_key(key);
    if (result != reg::kSuccess) {
        return std::nullopt;
    }
    return value;
}

bool RegistryTest::key_exists(reg::Key root, const std::string& path) {
    reg::Key key = 0;
    if (registry().open_key(root, path, 0, reg::kQueryValue, &key) != reg::kSuccess) {
        return false;
    }
    registry().close_key(key);
    return true;
}

std::vector<std::string> RegistryTest::value_names(reg::Key root, const std::string& path) {
    std::vector<std::string> names;
    reg::Key key = 0;
    if (registry().open_key(root, path, 0, reg::kQueryValue, &key) != reg::kSuccess) {
        return names;
    }
    for (std::uint32_t index = 0;; ++index) {
        char name[16384];
        std::uint32_t size = sizeof name;
        if (registry().enum_value(key, index, name, &size, nullptr, nullptr, nullptr) !=
            reg::kSuccess) {
            break;
        }
        names.emplace_back(name, size);
    }
    registry().close_key(key);
    return names;
}

std::vector<std::string> RegistryTest::sub_keys(reg::Key root, const std::string& path) {
    std::vector<std::string> names;
    reg::Key key = 0;
    if (registry().open_key(root, path, 0, reg::kEnumerateSubKeys, &key) != reg::kSuccess) {
        return names;
    }
    for (std::uint32_t index = 0;; ++index) {
        char name[257];
        if (registry().enum_key(key, index, name, sizeof name) != reg::kSuccess) {
            break;
        }
        names.emplace_back(name);
    }
    registry().close_key(key);
    return names;
}

void RegistryTest::delete_tree(reg::Key root, const std::string& path) {
    for (const std::string& child : sub_keys(root, path)) {
        delete_tree(root, path + "\\" + child);
    }
    registry().delete_key(root, path);
}

reg::Result InterceptingRegistry::open_key(reg::Key key, std::string_view sub_key,
                                           std::uint32_t options, std::uint32_t access,
                                           reg::Key* result) {
    reg::Result code = inner_.open_key(key, sub_key, options, access, result);
    open_handles += code == reg::kSuccess;
    return code;
}

reg::Result InterceptingRegistry::create_key(reg::Key key, std::string_view sub_key,
                                             std::uint32_t reserved, std::string_view class_name,
                                             std::uint32_t options, std::uint32_t access,
                                             const reg::SecurityAttributes* security,
                                             reg::Key* result, std::uint32_t* disposition) {
    reg::Result code = inner_.create_key(key, sub_key, reserved, class_name, options, access,
                                         security, result, disposition);
    open_handles += code == reg::kSuccess;
    return code;
}

reg::Result InterceptingRegistry::close_key(reg::Key key) {
    reg::Result code = inner_.close_key(key);
    open_handles -= code == reg::kSuccess && (key < reg::kClassesRoot || key > reg::kDynData);
    return code;
}

reg::Result InterceptingRegistry::set_value(reg::Key key, std::string_view name,
                                            std::uint32_t reserved, std::uint32_t type,
                                            const std::uint8_t* data, std::uint32_t size) {
    if (refuse_value_change) {
        if (reg::Result refused = refuse_value_change(std::string(name)); refused != 0) {
            return refused;
        }
    }
    std::string text(reinterpret_cast<const char*>(data), size);
    text.erase(std::find(text.begin(), text.end(), '\0'), text.end());
    written_values.push_back(std::to_string(type) + ":" + std::string(name) + "=" + text);
    return inner_.set_value(key, name, reserved, type, data, size);
}

reg::Result InterceptingRegistry::delete_value(reg::Key key, std::string_view name) {
    if (refuse_value_change) {
        if (reg::Result refused = refuse_value_change(std::string(name)); refused != 0) {
            return refused;
        }
    }
    return inner_.delete_value(key, name);
}

}  // namespace registry_test
