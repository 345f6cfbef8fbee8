#include "app/records_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "doubles.h"
#include "native.h"

namespace {

TEST(HasLine, MatchesWholeLinesSplitAtCrLfOnly) {
    struct Case {
        std::string text;
        std::string line;
        bool expected;
    };
    const Case cases[] = {
        {"temppass\r\nabc\r\nABC\r\n", "abc", true},
        {"temppass\r\nabc\r\nABC\r\n", "ABC", true},
        {"temppass\r\nabc\r\nABC\r\n", "aBc", false},
        {"temppass\r\nabc\r\n", "temppass", true},
        {"temppass\r\nabcd\r\n", "abc", false},  // a prefix of a line
        {"temppass\r\nxabc\r\n", "abc", false},  // a suffix of a line
        {"temppass\r\nab\r\nc\r\n", "ab\r\nc", false},
        {"temppass\r\nlast", "last", true},  // no final line break
        {"temppass\nabc\n", "abc", false},   // LF alone does not end a line
        {"abc\rx\r\n", "abc", false},
        {"temppass\r\nab\rc\r\n", "ab\rc", true},
        {"aa\r\naaa\r\n", "aaa", true},
        {"", "abc", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(app::has_line(c.text, c.line), c.expected) << c.line;
    }
}

class RecordsFileTest : public ::testing::Test {
  protected:
    doubles::TempFolder folder;
    native::FileSystem files;
    app::RecordsFile records{files, folder.file("sifreler.dat")};
};

TEST_F(RecordsFileTest, IsCreatedWithTheFirstLineForItsOwnerOnly) {
    records.make_sure_exists();
    EXPECT_EQ(doubles::read_file(records.path()), "temppass\r\n");
#ifndef _WIN32  // no owner-only mode bits there
    struct stat info {};
    ASSERT_EQ(::stat(records.path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
#endif

    doubles::write_file(records.path(), "temppass\r\nkept\r\n");
    records.make_sure_exists();
    EXPECT_EQ(doubles::read_file(records.path()), "temppass\r\nkept\r\n");
}

TEST_F(RecordsFileTest, AppendingRecreatesAMissingFileAndNeverJoinsAnUnfinishedLine) {
    auto appending = records.open_for_append();
    app::RecordsFile::append(*appending, "first");
    appending.reset();
    EXPECT_EQ(doubles::read_file(records.path()), "temppass\r\nfirst\r\n");

    doubles::write_file(records.path(), "temppass\r\nhand-edited");
    appending = records.open_for_append();
    app::RecordsFile::append(*appending, "second");
    EXPECT_EQ(doubles::read_file(records.path()), "temppass\r\nhand-edited\r\nsecond\r\n");
    EXPECT_TRUE(records.is_on_record("hand-edited"));
    EXPECT_TRUE(records.is_on_record("second"));
}

TEST_F(RecordsFileTest, AnEmptyFileHoldsNoRecords) {
    doubles::write_file(records.path(), "");
    EXPECT_FALSE(records.is_on_record("temppass"));
    auto appending = records.open_for_append();
    app::RecordsFile::append(*appending, "abc");
    EXPECT_EQ(doubles::read_file(records.path()), "abc\r\n");
}

TEST_F(RecordsFileTest, ReadingAMissingFileIsAnErrorNamingTheFile) {
    try {
        records.is_on_record("abc");
        FAIL() << "no error";
    } catch (const platform::FileError& error) {
        EXPECT_NE(std::string(error.what()).find("sifreler.dat"), std::string::npos);
    }
}

}  // namespace
