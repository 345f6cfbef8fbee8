#include "app/records_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <vector>

#include "app/line_splitter.h"
#include "doubles.h"
#include "native.h"

namespace {

TEST(HasLine, MatchesWholeLinesEndedByCrLfLfOrCr) {
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
        {"temppass\nabc\n", "abc", true},    // edited on Linux
        {"temppass\nab\nc", "b", false},
        {"abc\rx\r\n", "abc", true},  // a lone CR ends a line too
        {"abc\rx\r\n", "x", true},
        {"temppass\r\nab\rc\r\n", "ab\rc", false},
        {"ab\n\rcd", "cd", true},
        {"aa\r\naaa\r\n", "aaa", true},
        {"", "abc", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(app::has_line(c.text, c.line), c.expected) << c.line;
    }
}

// Long lines, every kind of line end at every place of an eight-byte word, tabs and high bytes
// beside them, fed whole and in chunks that cut lines and CR LF pairs anywhere.
TEST(LineSplitter, FindsEveryLineEndWhereverItFallsAndHoweverTheTextIsCut) {
    std::string text;
    std::vector<std::pair<std::string, std::uint64_t>> expected;
    const char* ends[] = {"\r\n", "\n", "\r"};
    for (int length = 0; length < 40; ++length) {
        expected.emplace_back(std::string(length, 'x'), text.size());
        expected.back().first.append("\t\xC4\xB1").push_back(static_cast<char>('a' + length % 26));
        text += expected.back().first + ends[length % 3];
    }
    expected.emplace_back("", text.size());
    for (std::size_t chunk : {text.size(), std::size_t{1}, std::size_t{7}, std::size_t{13}}) {
        std::vector<std::pair<std::string, std::uint64_t>> seen;
        app::LineSplitter splitter;
        auto line = [&](std::string_view piece, std::uint64_t start) {
            seen.emplace_back(std::string(piece), start);
        };
        for (std::size_t at = 0; at < text.size(); at += chunk) {
            splitter.feed(std::string_view(text).substr(at, chunk), line);
        }
        splitter.finish(line);
        EXPECT_EQ(seen, expected) << "in chunks of " << chunk;
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
    app::RecordsFile::append(*appending, app::PlainRecords(), "first");
    appending.reset();
    EXPECT_EQ(doubles::read_file(records.path()), "temppass\r\nfirst\r\n");

    doubles::write_file(records.path(), "temppass\r\nhand-edited");
    appending = records.open_for_append();
    app::RecordsFile::append(*appending, app::PlainRecords(), "second");
    EXPECT_EQ(doubles::read_file(records.path()), "temppass\r\nhand-edited\r\nsecond\r\n");
    EXPECT_TRUE(records.is_on_record("hand-edited"));
    EXPECT_TRUE(records.is_on_record("second"));
}

TEST_F(RecordsFileTest, AnEmptyFileHoldsNoRecordsAndGetsItsFirstLineBeforeAnAppend) {
    doubles::write_file(records.path(), "");
    EXPECT_FALSE(records.is_on_record("temppass"));
    auto appending = records.open_for_append();
    app::RecordsFile::append(*appending, app::PlainRecords(), "abc");
    EXPECT_EQ(doubles::read_file(records.path()), "temppass\r\nabc\r\n");
}

// Files the program did not write itself: every record is seen, listed and kept by a delete.
TEST_F(RecordsFileTest, HostileFilesLoseNoRecord) {
    struct Case {
        std::string file;
        std::vector<std::string> listed;
        std::string deleted;  // the record a delete asks for
        std::string after_delete;
        std::string after_append;  // of "new" to the file as it was
    };
    const Case cases[] = {
        {"", {""}, "x", "temppass\r\n", "temppass\r\nnew\r\n"},
        {"temppass\nabc\nxyz\n",
         {"abc", "xyz", ""},
         "ABC",
         "temppass\r\nxyz\r\n",
         "temppass\nabc\nxyz\nnew\r\n"},
        {"temppass\rabc\rxyz\r",
         {"abc", "xyz", ""},
         "xyz",
         "temppass\r\nabc\r\n",
         "temppass\rabc\rxyz\rnew\r\n"},
        {"temppass\r\nabc\r\nxyz",
         {"abc", "xyz"},
         "abc",
         "temppass\r\nxyz\r\n",
         "temppass\r\nabc\r\nxyz\r\nnew\r\n"},
        {"abc\r\nxyz\r\n",
         {"abc", "xyz", ""},
         "xyz",
         "temppass\r\nabc\r\n",
         "abc\r\nxyz\r\nnew\r\n"},
        {"abc\n\rxyz\r\r\n",
         {"abc", "", "xyz", "", ""},
         "q",
         "temppass\r\nabc\r\nxyz\r\n",
         "abc\n\rxyz\r\r\nnew\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        doubles::write_file(records.path(), c.file);
        records.make_sure_exists();
        const std::string started = doubles::read_file(records.path());
        EXPECT_EQ(started, c.file.empty() ? "temppass\r\n" : c.file);

        auto items = records.list();
        std::vector<std::string> listed;
        for (std::size_t i = 0; i < items.size(); ++i) {
            listed.emplace_back(items.at(i));
            EXPECT_TRUE(listed.back().empty() || records.is_on_record(listed.back()));
        }
        EXPECT_EQ(listed, c.listed);

        doubles::write_file(records.path(), c.file);
        app::RecordsFile::append(*records.open_for_append(), app::PlainRecords(), "new");
        EXPECT_EQ(doubles::read_file(records.path()), c.after_append);
        EXPECT_TRUE(records.is_on_record("new"));

        doubles::write_file(records.path(), started);
        records.delete_matching(c.deleted);
        EXPECT_EQ(doubles::read_file(records.path()), c.after_delete);
    }
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
