#include "ini/ini_write.h"

#include <string>

#include <gtest/gtest.h>

#include "ini/ini_read.h"
#include "ini_test_support.h"
#include "native.h"

namespace ini {
namespace {

using namespace std::string_literals;
using testing::TempFolder;

struct WriteCase {
    const char* name;
    std::string before;
    std::string section;
    std::string key;
    std::string value;
    std::string after;
};

class WriteIniCases : public ::testing::TestWithParam<WriteCase> {};

TEST_P(WriteIniCases, WritesTheFile) {
    const WriteCase& c = GetParam();
    TempFolder folder;
    const std::string path = folder.file("keymint.ini");
    testing::write_bytes(path, c.before);
    native::FileSystem files;

    WriteIni(files, path, c.section, c.key, c.value);

    EXPECT_EQ(testing::read_bytes(path), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Rewriting, WriteIniCases,
    ::testing::Values(
        WriteCase{"EmptyFile", "", "Default", "uppercase", "1", "[Default]\r\nuppercase=1\r\n"},
        WriteCase{"NewKeyGoesBelowHeader", "[Default]\r\nuppercase=1\r\n", "Default", "numbers",
                  "0", "[Default]\r\nnumbers=0\r\nuppercase=1\r\n"},
        WriteCase{"ExistingKeyChangesOnlyItsLine",
                  "; mine\r\n[DEFAULT]\r\na=1\r\nUpperCase=0\r\nb=2", "Default", "uppercase", "1",
                  "; mine\r\n[DEFAULT]\r\na=1\r\nuppercase=1\r\nb=2\r\n"},
        WriteCase{"EmptyValue", "[s]\r\nk=old\r\n", "s", "k", "", "[s]\r\nk=\r\n"},
        WriteCase{"WholeKeyNameOnly", "[s]\r\nkey2=1\r\n", "s", "key", "5",
                  "[s]\r\nkey=5\r\nkey2=1\r\n"},
        WriteCase{"KeyBeforeFirstHeaderIsNotTheKey", "k=0\r\n[s]\r\nx=1\r\n", "s", "k", "3",
                  "k=0\r\n[s]\r\nk=3\r\nx=1\r\n"},
        WriteCase{"KeyOfNextSectionIsNotTheKey", "[s]\r\nx=1\r\n[t]\r\nk=2\r\n", "s", "k", "3",
                  "[s]\r\nk=3\r\nx=1\r\n[t]\r\nk=2\r\n"},
        WriteCase{"BracketInValueEndsSection", "[s]\r\nx=[1]\r\nk=old\r\n", "s", "k", "new",
                  "[s]\r\nk=new\r\nx=[1]\r\nk=old\r\n"},
        WriteCase{"HeaderWithTrailingBlankGetsASecondHeader", "[s] \r\nk=1\r\n", "S", "k", "2",
                  "[s] \r\nk=1\r\n\r\n[S]\r\nk=2\r\n"},
        WriteCase{"KeyOnUnterminatedLastLine", "[s]\r\nx=1\r\nk=old", "s", "k", "new",
                  "[s]\r\nx=1\r\nk=new\r\n"},
        WriteCase{"BlankLineRunsShrinkToOne",
                  "\r\n\r\n[a]\r\nx=1\r\n\r\n\r\n\r\n\r\n[b]\r\ny=2\r\n\r\n\r\n", "a", "x", "3",
                  "[a]\r\nx=3\r\n\r\n[b]\r\ny=2\r\n"},
        WriteCase{"ControlBytesTrimmedAtEndsBlanksKept", "\x01\r\n\r\n ;top\r\n[a]\r\nx=1\r\n\t\0"s,
                  "a", "x", "2 ", " ;top\r\n[a]\r\nx=2 \r\n"}),
    [](const ::testing::TestParamInfo<WriteCase>& info) { return info.param.name; });

TEST(WriteIni, FirstSaveListsKeysInReverseOrderAndLaterSavesKeepIt) {
    TempFolder folder;
    const std::string path = folder.file("keymint.ini");
    native::FileSystem files;
    auto save = [&](const char* upper, const char* lower, const char* numbers, const char* other,
                    const char* length) {
        WriteIniKeys(files, path, "Default",
                     {{"uppercase", upper},
                      {"lovercase", lower},
                      {"numbers", numbers},
                      {"otherchars", other},
                      {"numberofchars", length}});
    };

    save("1", "1", "1", "0", "12");
    EXPECT_EQ(testing::read_bytes(path),
              "[Default]\r\nnumberofchars=12\r\notherchars=0\r\nnumbers=1\r\nlovercase=1\r\n"
              "uppercase=1\r\n");

    save("0", "1", "0", "1", "");
    EXPECT_EQ(testing::read_bytes(path),
              "[Default]\r\nnumberofchars=\r\notherchars=1\r\nnumbers=0\r\nlovercase=1\r\n"
              "uppercase=0\r\n");
}

TEST(WriteIni, LargeFileIsWrittenWhole) {
    std::string filler;
    for (int line = 0; filler.size() < 70'000; ++line) {
        filler += "; filler line " + std::to_string(line) + " keeps the key far from the start\r\n";
    }
    const std::string before_key = filler + "[Default]\r\na=1\r\n" + filler;
    const std::string after_key = "\r\n[Other]\r\nk=x\r\n";
    TempFolder folder;
    const std::string path = folder.file("big.ini");
    testing::write_bytes(path, before_key + "k=old" + after_key);
    native::FileSystem files;

    WriteIni(files, path, "Default", "k", "far");
    EXPECT_EQ(testing::read_bytes(path), before_key + "k=far" + after_key);

    WriteIni(files, path, "Default", "new", "near");
    EXPECT_EQ(testing::read_bytes(path).find("[Default]\r\nnew=near\r\na=1\r\n"), filler.size());
    EXPECT_EQ(ReadIni(files, path, "Default", "k"), "far");
}

TEST(WriteIni, ReadOnlyFileIsMadeWritableAndWritten) {
    TempFolder folder;
    const std::string path = folder.file("keymint.ini");
    testing::write_bytes(path, "[Default]\r\nnumbers=0\r\n");
    testing::make_read_only(path);
    native::FileSystem files;

    WriteIni(files, path, "Default", "numbers", "1");

    EXPECT_EQ(testing::read_bytes(path), "[Default]\r\nnumbers=1\r\n");
}

TEST(WriteIni, FailedAttributeStepIsLeftToTheWrite) {
    TempFolder folder;
    const std::string writable = folder.file("writable.ini");
    const std::string read_only = folder.file("read-only.ini");
    testing::write_bytes(writable, "[Default]\r\nnumbers=0\r\n");
    testing::write_bytes(read_only, "[Default]\r\nnumbers=0\r\n");
    testing::make_read_only(read_only);
    testing::UnchangeableAttributes files;

    WriteIni(files, writable, "Default", "numbers", "1");
    EXPECT_EQ(testing::read_bytes(writable), "[Default]\r\nnumbers=1\r\n");

    EXPECT_THROW(WriteIni(files, read_only, "Default", "numbers", "1"), platform::FileError);
    EXPECT_EQ(testing::read_bytes(read_only), "[Default]\r\nnumbers=0\r\n");
}

TEST(WriteIni, FileThatCannotBeCreatedFails) {
    TempFolder folder;
    native::FileSystem files;

    EXPECT_THROW(WriteIni(files, folder.file("missing/keymint.ini"), "Default", "numbers", "1"),
                 platform::FileError);
}

}  // namespace
}  // namespace ini
