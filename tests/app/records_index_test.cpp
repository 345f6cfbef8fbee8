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

TEST(RecordsIndex, SeesWhatAnotherProgramDidToTheFile) {
    using Change = std::function<void(const std::string& path)>;
    auto append = [](const std::string& bytes) -> Change {
        return [bytes](const std::string& path) {
            std::ofstream(path, std::ios::binary | std::ios::app) << bytes;
        };
    };
    // In place, keeping the file; the time is set back to the old one, as a clock too coarse to
    // see the change would leave it.
    auto rewrite_in_place = [](const std::string& bytes) -> Change {
        return [bytes](const std::string& path) {
            auto time = std::filesystem::last_write_time(path);
            std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
            std::filesystem::last_write_time(path, time);
        };
    };
    auto replace = [](const std::string& bytes) -> Change {
        return [bytes](const std::string& path) {
            doubles::write_file(path + ".new", bytes);
            std::filesystem::rename(path + ".new", path);
        };
    };
    struct Case {
        std::string before;
        Change change;
    };
    const Case cases[] = {
        {"temppass\r\nabc\r\n", append("xyz\r\n")},
        {"temppass\r\nxy", append("z\r\nnew\r\n")},  // the unfinished line grows
        {"temppass\r\nabc\r", append("\nxyz\r\n")},  // CR, then its LF
        {"temppass\nabc\n", append("b\rq\n")},
        {"temppass\r\nabc\r\nxyz\r\n", rewrite_in_place("temppass\r\nabc\r\n")},
        {"temppass\r\nabc\r\nxyz\r\n", rewrite_in_place("temppass\r\nABC\r\nnew\r\n")},
        {"temppass\r\nabc\r\nxyz\r\n", rewrite_in_place("temppass\r\nABC\r\nxyz\r\nq\r\n")},
        {"temppass\r\nabc\r\n", replace("temppass\r\nhand\r\n")},
        {"temppass\r\nabc\r\n", replace("temppass\r\nabc\r\nz\r\n")},
        {"temppass\r\nabc\r\n",
         append(std::string(app::RecordsIndex::kLargestTail, 'x') + "\r\nq\r\n")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.before);
        doubles::TempFolder folder;
        native::FileSystem files;
        const std::string path = folder.file("sifreler.dat");
        doubles::write_file(path, c.before);
        auto index = app::RecordsIndex::build(*files.open_for_read(path));
        c.change(path);
        auto file = files.open_for_read(path);
        if (!index.catch_up(*file)) {
            index = app::RecordsIndex::build(*file);
        }
        expect_same_answers_as_a_scan(index, *file, doubles::read_file(path));
    }
}

}  // namespace
