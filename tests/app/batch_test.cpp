#include <gtest/gtest.h>

#include <limits>
#include <set>
#include <sstream>

#include "app/batch.h"
#include "doubles.h"
#include "native.h"

namespace {

const doubles::FakeTextEncoding encoding;

std::vector<std::string> lines(const std::string& text, const std::string& end) {
    std::vector<std::string> found;
    for (std::size_t start = 0, stop; (stop = text.find(end, start)) != std::string::npos;
         start = stop + end.size()) {
        found.push_back(text.substr(start, stop - start));
    }
    return found;
}

TEST(Batch, AThousandWithRepeatsRefusedAreAllDistinctNewAndRecorded) {
    doubles::TempFolder folder;
    native::FileSystem files;
    native::RandomSource secure;
    app::BufferedRandom random(secure);
    // 2,048 passwords are possible, some are on record already (one in a line ended by a lone
    // LF): repeats are certain.
    doubles::write_file(folder.file("sifreler.dat"), "temppass\r\naaaaaaaaaaa\nbbbbbbbbbbb\r\n");
    app::RecordsFile records(files, folder.file("sifreler.dat"));
    const app::BatchRequest request{.length = "11", .custom_list = "a b", .count = 1000};
    std::ostringstream out, errors;

    ASSERT_EQ(app::generate_batch(request, records, random, encoding, out, errors), 0)
        << errors.str();
    auto printed = lines(out.str(), "\n");
    std::set<std::string> distinct(printed.begin(), printed.end());
    EXPECT_EQ(printed.size(), 1000u);
    EXPECT_EQ(distinct.size(), 1000u);
    EXPECT_FALSE(distinct.count("aaaaaaaaaaa") || distinct.count("bbbbbbbbbbb"));
    auto recorded = lines(doubles::read_file(folder.file("sifreler.dat")), "\r\n");
    ASSERT_EQ(recorded.size(), 1002u);  // temppass, the two old records, the new ones
    EXPECT_EQ(std::vector<std::string>(recorded.begin() + 2, recorded.end()), printed);
}

TEST(Batch, WithRepeatsAllowedARecordedPasswordIsPrintedButNotRecordedTwice) {
    doubles::TempFolder folder;
    native::FileSystem files;
    doubles::ScriptedRandom random;  // the pool "xy" gives x, y, x, y, ...
    app::RecordsFile records(files, folder.file("sifreler.dat"));
    const app::BatchRequest request{
        .length = "1", .custom_list = "xy", .count = 4, .allow_repeats = true};
    std::ostringstream out, errors;

    ASSERT_EQ(app::generate_batch(request, records, random, encoding, out, errors), 0);
    EXPECT_EQ(out.str(), "x\ny\nx\ny\n");
    EXPECT_EQ(doubles::read_file(folder.file("sifreler.dat")), "temppass\r\nx\r\ny\r\n");
}

// Counts near the largest number neither wrap around nor make a batch run for ever, and the
// figure of what is left counts a password on record twice only once.
TEST(Batch, CountsTooLargeForThePoolOrTheMemoryAreRefusedAtOnce) {
    auto request = [](std::string length, std::string classes, std::optional<std::string> list,
                      std::uint64_t count) {
        app::BatchRequest made;
        made.length = std::move(length);
        made.classes = std::move(classes);
        made.custom_list = std::move(list);
        made.count = count;
        return made;
    };
    struct Case {
        std::string name;
        app::BatchRequest request;
        std::string message;
    };
    const Case cases[] = {
        {"largest count", request("8", "ULDO", {}, std::numeric_limits<std::uint64_t>::max()),
         "At most 100000000"},
        {"wrapping possible", request("10", "ULDO", {}, 10'000'000'000'000'000'000u), "At most"},
        {"a repeat on record", request("1", "", "ab", 2), "Only 1 of the 2"},
        {"ten digits", request("1", "D", {}, 11), "Only 10 of the 11"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        doubles::TempFolder folder;
        native::FileSystem files;
        doubles::write_file(folder.file("sifreler.dat"), "temppass\r\na\r\na\r\n");
        app::RecordsFile records(files, folder.file("sifreler.dat"));
        native::RandomSource random;
        std::ostringstream out, errors;
        EXPECT_EQ(app::generate_batch(c.request, records, random, encoding, out, errors), 1);
        EXPECT_EQ(errors.str().rfind(c.message, 0), 0u) << errors.str();
        EXPECT_EQ(out.str(), "");
    }
}

// Output that cannot be written (a full disk, a closed pipe) is said on the error stream; the
// passwords stay on record.
TEST(Batch, OutputThatCannotBeWrittenIsReported) {
    struct Refusing : std::streambuf {
        int overflow(int) override { return traits_type::eof(); }
        std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
    } refusing;
    std::ostream out(&refusing);
    std::ostringstream errors;
    doubles::TempFolder folder;
    native::FileSystem files;
    native::RandomSource random;
    app::RecordsFile records(files, folder.file("sifreler.dat"));
    app::BatchRequest request;
    request.count = 3;

    EXPECT_EQ(app::generate_batch(request, records, random, encoding, out, errors), 1);
    EXPECT_NE(errors.str().find("could not be written"), std::string::npos) << errors.str();
    EXPECT_NE(errors.str().find("on record"), std::string::npos) << errors.str();
    EXPECT_EQ(lines(doubles::read_file(folder.file("sifreler.dat")), "\r\n").size(), 4u);
}

}  // namespace
