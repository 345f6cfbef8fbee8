// The index answers as a scan of the file does, whatever another program did to the file.
#include "app/records_index.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/records_file.h"
#include "doubles.h"
#include "fake_file_system.h"
#include "native.h"

namespace {

const std::vector<std::string> kCandidates = {"abc", "ABC", "xyz",      "xy", "z",   "new",
                                              "b",   "q",   "temppass", "a",  "hand"};

void expect_same_answers_as_a_scan(app::RecordsIndex& index, platform::ReadFile& file,
                                   const std::string& text) {
    for (const auto& candidate : kCandidates) {
        EXPECT_EQ(index.contains(candidate, file), app::has_line(text, candidate)) << candidate;
    }
}

TEST(RecordsIndex, ReadInAnyChunksFindsEveryLine) {
    doubles::FakeFileSystem files;
    std::string many = "temppass\r\n";
    for (int i = 0; i < 5000; ++i) {
        many += std::to_string(i * 7919) + (i % 3 == 0 ? "\n" : "\r\n");
    }
    // Long lines first make the first chunk's guess of the line count far too low.
    const std::string texts[] = {"",
                                 "temppass\r\nabc\r\nxyz",
                                 "temppass\nabc\nABC\n",
                                 "temppass\rabc\r\rxy\r",
                                 "a\r\n\r\nb\n\rz",
                                 std::string(3 << 20, 'L') + "\r\n" + many,
                                 many};
    for (std::size_t chunk : {std::size_t{1}, std::size_t{3}, std::size_t{1} << 30}) {
        files.read_chunk = chunk;
        for (const auto& text : texts) {
            if (chunk < 4 && text.size() > 100000) {
                continue;
            }
            files.put("records", text);
            auto file = files.open_for_read("records");
            auto index = app::RecordsIndex::build(*file);
            SCOPED_TRACE(text.substr(0, 40));
            expect_same_answers_as_a_scan(index, *file, text);
            for (int i = 0; i < 5000; i += 37) {
                EXPECT_EQ(index.contains(std::to_string(i * 7919), *file),
                          app::has_line(text, std::to_string(i * 7919)));
            }
            EXPECT_FALSE(index.contains("7919x", *file));
            EXPECT_LE(index.memory_bytes(), std::max<std::size_t>(16 * index.lines() + 512, 8192));
        }
    }
}

// Whatever another program does to the file after it was indexed, the index either knows it
// is out of date or still answers as a scan does.
TEST(RecordsIndex, SeesWhatAnotherProgramDidToTheFile) {
    using Change = std::function<void(const std::string& path)>;
    auto append = [](const std::string& bytes) -> Change {
        return [bytes](const std::string& path) {
            std::ofstream(path, std::ios::binary | std::ios::app) << bytes;
        };
    };
    // Same length, in place, optionally followed by an append.
    auto overwrite = [](std::size_t at, const std::string& bytes,
                        const std::string& then = "") -> Change {
        return [=](const std::string& path) {
            std::fstream(path, std::ios::binary | std::ios::in | std::ios::out).seekp(at) << bytes;
            std::ofstream(path, std::ios::binary | std::ios::app) << then;
        };
    };
    auto truncate_and_regrow = [](const std::string& bytes) -> Change {
        return [bytes](const std::string& path) {
            std::filesystem::resize_file(path, 0);
            std::ofstream(path, std::ios::binary | std::ios::app) << bytes;
        };
    };
    // A new file of the same size given the old one's time stamp, renamed over it.
    auto replace = [](const std::string& bytes) -> Change {
        return [bytes](const std::string& path) {
            doubles::write_file(path + ".new", bytes);
            std::filesystem::last_write_time(path + ".new", std::filesystem::last_write_time(path));
            std::filesystem::rename(path + ".new", path);
        };
    };
    struct Case {
        std::string name;
        std::string before;
        Change change;
    };
    const Case cases[] = {
        {"append", "temppass\r\nabc\r\n", append("xyz\r\n")},
        {"append to an unfinished line", "temppass\r\nxy", append("z\r\nnew\r\n")},
        {"CR, then its LF", "temppass\r\nabc\r", append("\nxyz\r\n")},
        {"lone ends", "temppass\nabc\n", append("b\rq\n")},
        {"rewrite in place", "temppass\r\nabc\r\nxyz\r\n", overwrite(10, "new")},
        {"rewrite in place and append", "temppass\r\nabc\r\nxyz\r\n",
         overwrite(15, "hand", "q\r\n")},
        {"truncate and regrow", "temppass\r\nabc\r\nxyz\r\n",
         truncate_and_regrow("temppass\r\nABC\r\nnew\r\n")},
        {"replace, same size and time", "temppass\r\nabc\r\n", replace("temppass\r\nxyz\r\n")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        doubles::TempFolder folder;
        native::FileSystem files;
        app::RecordsFile records(files, folder.file("sifreler.dat"));
        doubles::write_file(records.path(), c.before);
        auto index = app::RecordsFile::index(*records.open_for_append());
        c.change(records.path());
        auto locked = records.open_for_append();
        app::LockedReader file(*locked);
        if (!index.up_to_date(file)) {
            index = app::RecordsFile::index(*locked);
        }
        const std::string text = doubles::read_file(records.path());
        expect_same_answers_as_a_scan(index, file, text);
        app::for_each_line(text, [&](std::string_view line, std::uint64_t) {
            EXPECT_EQ(index.contains(line, file), !line.empty()) << line;
        });
    }
}

// The index follows its own appends without reading the file again, and a change by anyone
// else after one still shows.
TEST(RecordsIndex, FollowsItsOwnAppendsOnly) {
    doubles::TempFolder folder;
    native::FileSystem files;
    app::RecordsFile records(files, folder.file("sifreler.dat"));
    auto locked = records.open_for_append();
    auto index = app::RecordsFile::index(*locked);
    app::RecordsFile::append(*locked, app::PlainRecords(), "first", &index);
    app::LockedReader file(*locked);
    ASSERT_TRUE(index.up_to_date(file));
    EXPECT_TRUE(index.contains("first", file));
    locked.reset();

    std::fstream(records.path(), std::ios::binary | std::ios::in | std::ios::out).seekp(10)
        << "FIRST";
    locked = records.open_for_append();
    app::LockedReader again(*locked);
    EXPECT_FALSE(index.up_to_date(again));
}

}  // namespace
