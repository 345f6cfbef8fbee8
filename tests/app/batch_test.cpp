#include <gtest/gtest.h>

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

}  // namespace
