// The platform layer answers as the Win32 registry functions do.
#include <algorithm>

#include "tests/registry/registry_test_support.h"

namespace registry_test {
namespace {

class PlatformRegistryTest : public RegistryTest {
  protected:
    reg::Key create(const std::string& path, std::uint32_t* disposition = nullptr,
                    std::uint32_t access = reg::kAllKeyRights) {
        reg::Key key = 0;
        EXPECT_EQ(registry().create_key(reg::kLocalMachine, path, 0, "", 0, access, nullptr, &key,
                                        disposition),
                  reg::kSuccess)
            << path;
        return key;
    }
    reg::Key open(const std::string& path, std::uint32_t access) {
        reg::Key key = 0;
        EXPECT_EQ(registry().open_key(reg::kLocalMachine, path, 0, access, &key), reg::kSuccess)
            << path;
        return key;
    }
    std::string path(const std::string& below) { return std::string(kBase) + "\\" + below; }
};

TEST_F(PlatformRegistryTest, CreateMakesEveryMissingLevelThenOpensTheExistingKey) {
    std::uint32_t disposition = 0;
    reg::Key key = create(path("a\\b\\c"), &disposition);
    EXPECT_EQ(disposition, reg::kCreatedNewKey);
    registry().close_key(key);
    EXPECT_TRUE(key_exists(reg::kLocalMachine, path("a")));
    EXPECT_TRUE(key_exists(reg::kLocalMachine, path("a\\b")));

    key = create(path("a\\b\\c"), &disposition);
    EXPECT_EQ(disposition, reg::kOpenedExistingKey);
    registry().close_key(key);

    reg::Key missing = 0;
    EXPECT_EQ(registry().open_key(reg::kLocalMachine, path("a\\x"), 0, reg::kQueryValue, &missing),
              reg::kFileNotFound);
}

TEST_F(PlatformRegistryTest, KeyAndValueNamesIgnoreCaseAndKeepTheirSpelling) {
    put(reg::kLocalMachine, path("Mixed\\Case"), "ValueName", reg::kSz, std::string("x\0", 2));
    EXPECT_TRUE(key_exists(reg::kLocalMachine, path("MIXED\\case")));
    auto value = get(reg::kLocalMachine, path("mixed\\CASE"), "VALUENAME");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->bytes, std::string("x\0", 2));

    // Overwriting under another spelling keeps the first one.
    put(reg::kLocalMachine, path("mixed\\case"), "valuename", reg::kSz, std::string("y\0", 2));
    EXPECT_EQ(value_names(reg::kLocalMachine, path("Mixed\\Case")),
              std::vector<std::string>{"ValueName"});
    EXPECT_EQ(sub_keys(reg::kLocalMachine, path("Mixed")), std::vector<std::string>{"Case"});
}

TEST_F(PlatformRegistryTest, QueryReportsTheSizeAndCopiesOnlyIntoABufferThatFits) {
    put(reg::kLocalMachine, kBase, "five", reg::kBinary, "12345");
    reg::Key key = open(kBase, reg::kQueryValue);
    struct Case {
        bool with_buffer;
        std::uint32_t buffer_size;
        reg::Result result;
        bool copied;
    };
    for (const Case& c :
         {Case{false, 0, reg::kSuccess, false}, Case{true, 0, reg::kMoreData, false},
          Case{true, 4, reg::kMoreData, false}, Case{true, 5, reg::kSuccess, true},
          Case{true, 9, reg::kSuccess, true}}) {
        SCOPED_TRACE(c.buffer_size);
        std::uint8_t buffer[9] = {};
        std::uint32_t type = 0;
        std::uint32_t size = c.buffer_size;
        EXPECT_EQ(
            registry().query_value(key, "five", &type, c.with_buffer ? buffer : nullptr, &size),
            c.result);
        EXPECT_EQ(type, reg::kBinary);
        EXPECT_EQ(size, 5u);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), c.copied ? 5 : 0),
                  c.copied ? "12345" : "");
    }
    registry().close_key(key);
}

TEST_F(PlatformRegistryTest, FailuresCarryTheirWin32Codes) {
    put(reg::kLocalMachine, path("child"), "v", reg::kSz, std::string("1\0", 2));
    reg::Key read_only = open(kBase, reg::kQueryValue);
    std::uint32_t size = 0;
    EXPECT_EQ(registry().query_value(read_only, "missing", nullptr, nullptr, &size),
              reg::kFileNotFound);
    EXPECT_EQ(registry().set_value(read_only, "v", 0, reg::kSz,
                                   reinterpret_cast<const std::uint8_t*>("a"), 2),
              reg::kAccessDenied);
    EXPECT_EQ(registry().delete_value(read_only, "v"), reg::kAccessDenied);
    registry().close_key(read_only);

    EXPECT_EQ(registry().close_key(read_only), reg::kInvalidHandle);
    reg::Key never_opened = 0x7FFFFFF0;
    EXPECT_EQ(registry().query_value(never_opened, "v", nullptr, nullptr, &size),
              reg::kInvalidHandle);

    reg::Key writable = open(path("child"), reg::kAllKeyRights);
    EXPECT_EQ(registry().delete_value(writable, "absent"), reg::kFileNotFound);
    EXPECT_EQ(registry().delete_value(writable, "V"), reg::kSuccess);
    EXPECT_EQ(registry().query_value(writable, "v", nullptr, nullptr, &size), reg::kFileNotFound);
    registry().close_key(writable);
}

TEST_F(PlatformRegistryTest, DeleteKeyRemovesOnlyAKeyWithoutSubKeys) {
    registry().close_key(create(path("parent\\child")));
    EXPECT_EQ(registry().delete_key(reg::kLocalMachine, path("parent")), reg::kAccessDenied);
    EXPECT_EQ(registry().delete_key(reg::kLocalMachine, path("parent\\CHILD")), reg::kSuccess);
    EXPECT_EQ(registry().delete_key(reg::kLocalMachine, path("parent\\child")), reg::kFileNotFound);
    EXPECT_EQ(registry().delete_key(reg::kLocalMachine, path("parent")), reg::kSuccess);
    EXPECT_FALSE(key_exists(reg::kLocalMachine, path("parent")));
}

TEST_F(PlatformRegistryTest, AHandleToADeletedKeyAnswersKeyDeleted) {
    reg::Key key = create(path("gone"));
    ASSERT_EQ(registry().delete_key(reg::kLocalMachine, path("gone")), reg::kSuccess);
    std::uint32_t size = 0;
    EXPECT_EQ(registry().query_value(key, "", nullptr, nullptr, &size), reg::kKeyDeleted);
    EXPECT_EQ(registry().set_value(key, "v", 0, reg::kBinary, nullptr, 0), reg::kKeyDeleted);
    registry().close_key(key);
}

TEST_F(PlatformRegistryTest, EnumeratesSubKeysSortedAndStopsWithNoMoreItems) {
    for (const char* name : {"beta", "Alpha", "gamma"}) {
        registry().close_key(create(path(std::string("list\\") + name)));
    }
    EXPECT_EQ(sub_keys(reg::kLocalMachine, path("list")),
              (std::vector<std::string>{"Alpha", "beta", "gamma"}));

    reg::Key key = open(path("list"), reg::kEnumerateSubKeys);
    char name[6];
    EXPECT_EQ(registry().enum_key(key, 0, name, 5), reg::kMoreData);  // "Alpha" + terminator
    EXPECT_EQ(registry().enum_key(key, 0, name, 6), reg::kSuccess);
    EXPECT_STREQ(name, "Alpha");
    EXPECT_EQ(registry().enum_key(key, 3, name, 6), reg::kNoMoreItems);
    registry().close_key(key);

    key = open(path("list"), reg::kQueryValue);
    EXPECT_EQ(registry().enum_key(key, 0, name, 6), reg::kAccessDenied);
    registry().close_key(key);
}

TEST_F(PlatformRegistryTest, EnumeratesValuesWithTheirSizesAndCounts) {
    put(reg::kLocalMachine, kBase, "first", reg::kSz, std::string("abc\0", 4));
    put(reg::kLocalMachine, kBase, "second-longer", reg::kDword, std::string("\1\0\0\0", 4));
    put(reg::kLocalMachine, kBase, "", reg::kBinary, "123456");
    reg::Key key = open(kBase, reg::kQueryValue);

    reg::KeyInfo info;
    ASSERT_EQ(registry().query_info_key(key, nullptr, nullptr, &info), reg::kSuccess);
    EXPECT_EQ(info.values, 3u);
    EXPECT_EQ(info.max_value_name_length, 13u);
    EXPECT_EQ(info.max_value_length, 6u);
    EXPECT_EQ(info.sub_keys, 0u);

    char name[14];
    std::uint32_t size = 0;
    std::vector<std::string> names;
    reg::Result last = reg::kSuccess;
    for (std::uint32_t index = 0; index < 4 && last != reg::kNoMoreItems; ++index) {
        size = sizeof name;
        std::uint32_t type = 0;
        std::uint32_t data_size = 0;
        last = registry().enum_value(key, index, name, &size, &type, nullptr, &data_size);
        if (last == reg::kSuccess) {
            EXPECT_EQ(size, std::string(name).size());
            names.push_back(std::string(name) + "/" + std::to_string(type) + "/" +
                            std::to_string(data_size));
        }
    }
    EXPECT_EQ(last, reg::kNoMoreItems);
    // Windows lists values in the order they were made; Wine keeps them sorted by name.
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"/3/6", "first/1/4", "second-longer/4/4"}));

    bool refused = false;
    for (std::uint32_t index = 0; index < 3; ++index) {
        size = 13;  // no room for the terminator of the longest name
        refused = refused || registry().enum_value(key, index, name, &size, nullptr, nullptr,
                                                   nullptr) == reg::kMoreData;
    }
    EXPECT_TRUE(refused);
    registry().close_key(key);
}

TEST_F(PlatformRegistryTest, ClassesRootIsWhereMachineClassesAreWritten) {
    clean_up_key(reg::kClassesRoot, ".kmtest");
    put(reg::kClassesRoot, ".kmtest", "", reg::kSz, std::string("KmTest\0", 7));
    auto value = get(reg::kLocalMachine, "Software\\Classes\\.kmtest", "");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->bytes, std::string("KmTest\0", 7));
}

TEST_F(PlatformRegistryTest, ExpandsDefinedEnvironmentReferencesOnly) {
    set_environment("KEYMINT_TEST_DIR", "/srv/km");
    struct Case {
        const char* text;
        const char* expanded;
    };
    for (const Case& c : {Case{"%KEYMINT_TEST_DIR%\\bin", "/srv/km\\bin"},
                          Case{"a%KEYMINT_TEST_DIR%b%KEYMINT_TEST_DIR%", "a/srv/kmb/srv/km"},
                          Case{"%KEYMINT_UNDEFINED_VARIABLE%", "%KEYMINT_UNDEFINED_VARIABLE%"},
                          Case{"50%", "50%"}, Case{"%%", "%%"}, Case{"", ""}}) {
        SCOPED_TRACE(c.text);
        std::uint32_t needed = registry().expand_environment_strings(c.text, nullptr, 0);
        EXPECT_EQ(needed, std::string(c.expanded).size() + 1);
        std::string buffer(needed, '?');
        EXPECT_EQ(registry().expand_environment_strings(c.text, buffer.data(), needed), needed);
        EXPECT_EQ(buffer, std::string(c.expanded) + '\0');
    }
}

}  // namespace
}  // namespace registry_test
