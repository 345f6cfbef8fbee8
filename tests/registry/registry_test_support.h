#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/program_info.h"
#include "platform/registry.h"

namespace registry_test {

namespace reg = platform::reg;

// True when the suite runs against the real Windows registry (under Wine), false against the
// Linux store.
bool real_registry();

void set_environment(const char* name, const char* value);

// The registry the suite runs against, in a state of its own for each test.
class Environment {
  public:
    virtual ~Environment() = default;
    virtual platform::Registry& registry() = 0;
    // Folder and separator the fake program lives in on this platform.
    virtual std::string program_folder() const = 0;
    virtual char separator() const = 0;
};
std::unique_ptr<Environment> make_environment();

class FakeProgram : public platform::ProgramInfo {
  public:
    FakeProgram(std::string folder, std::string base_name, char separator)
        : folder_(std::move(folder)), base_name_(std::move(base_name)), separator_(separator) {}
    std::string folder() const override { return folder_; }
    std::string base_name() const override { return base_name_; }
    char separator() const override { return separator_; }
    std::string user_data_folder() const override { return folder_; }

  private:
    std::string folder_;
    std::string base_name_;
    char separator_;
};

struct StoredValue {
    std::uint32_t type = 0;
    std::string bytes;
    bool operator==(const StoredValue&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const StoredValue& value) {
        return out << "type " << value.type << " " << ::testing::PrintToString(value.bytes);
    }
};

// Every test works below HKLM\Software\KeymintTest (and the few fixed places the program
// itself uses), all removed again when the test ends.
class RegistryTest : public ::testing::Test {
  protected:
    static constexpr const char* kBase = "Software\\KeymintTest";
    static constexpr const char* kProgramName = "KeymintTest";

    void SetUp() override;
    void TearDown() override;

    platform::Registry& registry() { return environment_->registry(); }
    FakeProgram program() const;
    FakeProgram program_in(const std::string& folder) const;
    std::string source() const { return std::string(kProgramName) + ".cRegistry"; }

    // Registers a key (root and path) or a value to be removed when the test ends.
    void clean_up_key(reg::Key root, const std::string& path);
    void clean_up_value(reg::Key root, const std::string& path, const std::string& name);

    // Direct access through the platform interface, for arranging and checking.
    void put(reg::Key root, const std::string& path, const std::string& name, std::uint32_t type,
             const std::string& bytes);
    std::optional<StoredValue> get(reg::Key root, const std::string& path, const std::string& name);
    bool key_exists(reg::Key root, const std::string& path);
    std::vector<std::string> value_names(reg::Key root, const std::string& path);
    std::vector<std::string> sub_keys(reg::Key root, const std::string& path);
    // Deletes a key with everything below it.
    void delete_tree(reg::Key root, const std::string& path);

    std::unique_ptr<Environment> environment_;

  private:
    std::vector<std::pair<reg::Key, std::string>> keys_to_remove_;
    std::vector<std::tuple<reg::Key, std::string, std::string>> values_to_remove_;
};

// Passes every call to another registry, counting open handles and letting a test make
// chosen calls fail.
class InterceptingRegistry : public platform::Registry {
  public:
    explicit InterceptingRegistry(platform::Registry& inner) : inner_(inner) {}

    // Called before set_value and delete_value with the value name; a non-zero answer is
    // returned instead of doing the call.
    std::function<reg::Result(const std::string&)> refuse_value_change;
    std::vector<std::string> written_values;  // "type:name=data" of each set_value, in order
    int open_handles = 0;

    reg::Result open_key(reg::Key key, std::string_view sub_key, std::uint32_t options,
                         std::uint32_t access, reg::Key* result) override;
    reg::Result create_key(reg::Key key, std::string_view sub_key, std::uint32_t reserved,
                           std::string_view class_name, std::uint32_t options, std::uint32_t access,
                           const reg::SecurityAttributes* security, reg::Key* result,
                           std::uint32_t* disposition) override;
    reg::Result close_key(reg::Key key) override;
    reg::Result query_value(reg::Key key, std::string_view name, std::uint32_t* type,
                            std::uint8_t* data, std::uint32_t* size) override {
        return inner_.query_value(key, name, type, data, size);
    }
    reg::Result set_value(reg::Key key, std::string_view name, std::uint32_t reserved,
                          std::uint32_t type, const std::uint8_t* data,
                          std::uint32_t size) override;
    reg::Result delete_key(reg::Key key, std::string_view sub_key) override {
        return inner_.delete_key(key, sub_key);
    }
    reg::Result delete_value(reg::Key key, std::string_view name) override;
    reg::Result enum_value(reg::Key key, std::uint32_t index, char* name, std::uint32_t* name_size,
                           std::uint32_t* type, std::uint8_t* data,
                           std::uint32_t* data_size) override {
        return inner_.enum_value(key, index, name, name_size, type, data, data_size);
    }
    reg::Result enum_key(reg::Key key, std::uint32_t index, char* name,
                         std::uint32_t name_size) override {
        return inner_.enum_key(key, index, name, name_size);
    }
    reg::Result query_info_key(reg::Key key, char* class_name, std::uint32_t* class_size,
                               reg::KeyInfo* info) override {
        return inner_.query_info_key(key, class_name, class_size, info);
    }
    std::uint32_t expand_environment_strings(std::string_view source, char* destination,
                                             std::uint32_t size) override {
        return inner_.expand_environment_strings(source, destination, size);
    }
    std::string describe(reg::Result result) override { return inner_.describe(result); }

  private:
    platform::Registry& inner_;
};

}  // namespace registry_test
