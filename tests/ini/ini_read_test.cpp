#include "ini/ini_read.h"

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "ini_test_support.h"
#include "native.h"

namespace ini {
namespace {

using namespace std::string_literals;
using testing::TempFolder;

struct ReadCase {
    const char* name;
    std::string content;
    std::string section;
    std::string key;
    std::string expected;
};

class ReadIniCases : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadIniCases, ReturnsTheValue) {
    const ReadCase& c = GetParam();
    TempFolder folder;
    const std::string path = folder.file("test.ini");
    native::FileSystem files;
    // In the system's narrow encoding, as an editor on that system saves it.
    files.create(path, c.content, platform::FileAccess::Normal);

    EXPECT_EQ(ReadIni(files, path, c.section, c.key), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Matching, ReadIniCases,
    ::testing::Values(
        ReadCase{"KeyInSection", "[Default]\r\nCopy=&Kopyala\r\n", "Default", "Copy", "&Kopyala"},
        ReadCase{"NamesIgnoreCaseValueKeepsIt", "[DEFAULT]\r\ncOPY=Mixed Case\r\n", "default",
                 "Copy", "Mixed Case"},
        ReadCase{"ValueIsRestOfLineUnchanged", "[s]\r\nk= a=\"b\"  \r\n", "s", "k", " a=\"b\"  "},
        ReadCase{"Utf8ValueUnchanged", "[Default]\r\nGenerate=Şifre &Oluştur\r\n", "Default",
                 "Generate", "Şifre &Oluştur"},
        ReadCase{"EmptyValueIsAMatch", "[s]\r\nk=\r\nk=2\r\n", "s", "k", ""},
        ReadCase{"FirstMatchWins", "[s]\r\nk=1\r\nk=2\r\n[s]\r\nk=3\r\n", "s", "k", "1"},
        ReadCase{"WholeKeyNameOnly", "[s]\r\nkey2=1\r\nmykey=2\r\nkey=3\r\n", "s", "key", "3"},
        ReadCase{"BlankBeforeEquals", "[s]\r\nk =1\r\n", "s", "k", ""},
        ReadCase{"IndentedKey", "[s]\r\n k=1\r\n", "s", "k", ""},
        ReadCase{"HeaderWithTrailingBlank", "[s] \r\nk=1\r\n", "s", "k", ""},
        ReadCase{"KeyBeforeFirstHeader", "k=1\r\n[s]\r\n", "s", "k", ""},
        ReadCase{"KeyOfAnotherSection", "[a]\r\nk=1\r\n[s]\r\nj=2\r\n", "s", "k", ""},
        ReadCase{"ValueWithBracket", "[s]\r\nk=[x]\r\n", "s", "k", ""},
        ReadCase{"BracketEndsSectionForLaterKeys", "[s]\r\na=x[y\r\nk=1\r\n", "s", "k", ""},
        ReadCase{"RepeatedHeaderResumesSection", "[s]\r\na=x[y\r\n[s]\r\nk=1\r\n", "s", "k", "1"},
        ReadCase{"LoneCrEndsLines", "[s]\rk=1\rj=2", "s", "j", "2"},
        ReadCase{"LoneLfEndsLines", "[s]\nk=1\nj=2\n", "s", "j", "2"},
        ReadCase{"UnterminatedLastLine", "[s]\r\nk=last", "s", "k", "last"},
        ReadCase{"ControlBytesKept", "[s]\r\nk=\t\0x\x01\r\n"s, "s", "k", "\t\0x\x01"s}),
    [](const ::testing::TestParamInfo<ReadCase>& info) { return info.param.name; });

TEST(ReadIni, MissingFileIsCreatedEmpty) {
    TempFolder folder;
    const std::string path = folder.file("lang.ini");
    native::FileSystem files;

    EXPECT_EQ(ReadIni(files, path, "Default", "Copy"), "");
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
}

TEST(ReadIni, FileThatCannotBeCreatedFails) {
    TempFolder folder;
    native::FileSystem files;

    EXPECT_THROW(ReadIni(files, folder.file("Language/lang.ini"), "Default", "Copy"),
                 platform::FileError);
}

TEST(ReadIni, FailedAttributeStepDoesNotStopTheRead) {
    TempFolder folder;
    const std::string path = folder.file("lang.ini");
    testing::write_bytes(path, "[Default]\r\nCopy=Kopyala\r\n");
    testing::make_read_only(path);
    testing::UnchangeableAttributes files;

    EXPECT_EQ(ReadIni(files, path, "Default", "Copy"), "Kopyala");
}

}  // namespace
}  // namespace ini
