#include "app/record_codec.h"

#include <gtest/gtest.h>

#include "app/generator.h"
#include "app/text.h"
#include "doubles.h"
#include "native.h"

namespace {

std::string bytes_0_to_31() {
    std::string master;
    for (int i = 0; i < 32; ++i) {
        master.push_back(static_cast<char>(i));
    }
    return master;
}

// The same key and passwords give these lines on every system: a private file moves between them.
struct Vector {
    const char* password;
    const char* line;
};
const Vector kVectors[] = {
    {"a", "bOviP9ichi9z23hSgyAGZ/NlSpxeg5YRl9oUxdM="},
    {"temppass", "R3LCBA+AQqmHtsJ1SFLD6gmkyxmRbnWtGuFfRgBqJ2A4EVPk"},
    {"Şifre-ğüşıöçİ", "5LxedlYLqS+hVhR7Lt6OBZxdP/t0SDAIXCsusZKIgyWF+l6V8ezMldVUQYhsfZeMQQ=="},
    {"!^+%&()=?_£#${[]}\\|*@€~",
     "Y46zyBJ3Ynqp01DTmB5rrSmmgEGNTlkw946smpaW64I5OUo1PSwNBh5G+qCaY3IB93rDxFW1"},
    {"", "9VoO/129NcIetbqGDZXpUYHcayZ7a/ordPAx2g=="},
};

TEST(PrivateRecords, GivesTheSharedVectorsAndReadsThemBack) {
    native::Crypto crypto;
    app::PrivateRecords records(crypto, bytes_0_to_31());
    EXPECT_EQ(records.first_line(), "keymint-private 1 b2ae185d4e053c5397c9731cc8153e46");
    EXPECT_EQ(app::recovery_code(crypto, bytes_0_to_31()),
              "000G-40R4-0M30-E209-185G-R38E-1W81-24GK-2GAH-C5RR-34D1-P70X-3RFX-WCV8");
    for (const auto& vector : kVectors) {
        EXPECT_EQ(records.line_of(vector.password), vector.line) << vector.password;
        EXPECT_EQ(records.password_of(vector.line), vector.password) << vector.password;
    }
}

TEST(PrivateRecords, EveryPoolCharacterRoundTripsAndDifferentPasswordsDiffer) {
    native::Crypto crypto;
    app::PrivateRecords records(crypto, bytes_0_to_31());
    app::PoolOptions all;
    const auto characters = app::code_points(
        app::character_pool(all, {}, doubles::FakeTextEncoding()) + "çğıöşüÇĞİÖŞÜ€£");
    std::set<std::string> lines;
    for (const auto& character : std::set<std::string>(characters.begin(), characters.end())) {
        const std::string line = records.line_of(character);
        EXPECT_EQ(line.find_first_of(std::string("\r\n\0 ", 4)), std::string::npos);
        EXPECT_EQ(records.password_of(line), character);
        EXPECT_TRUE(lines.insert(line).second) << character;
    }
}

TEST(PrivateRecords, LinesItDidNotWriteAreNotRecords) {
    native::Crypto crypto;
    app::PrivateRecords records(crypto, bytes_0_to_31());
    std::string flipped = kVectors[1].line;
    flipped[10] = flipped[10] == 'A' ? 'B' : 'A';
    app::PrivateRecords other(crypto, std::string(32, 'k'));
    for (const std::string& line :
         {flipped, std::string(kVectors[1].line).substr(4), std::string("abc"),
          std::string("temppass"), std::string("Zh=="), other.line_of("temppass")}) {
        EXPECT_FALSE(records.password_of(line)) << line;
    }
}

TEST(PrivateRecords, ADeleteReadsBackTheLinesOfEveryCaseOfItsTextAndFewOthers) {
    native::Crypto crypto;
    app::PrivateRecords records(crypto, bytes_0_to_31());
    const auto may_match = records.may_equal_ignoring_case("Şifre-ĞÜŞIÖÇİ abc");
    int same_cases = 0;
    for (const char* same : {"Şifre-ĞÜŞIÖÇİ abc", "şİFRE-ğüşıöçi ABC", "ŞIFRE-ĞÜŞIÖÇİ Abc"}) {
        if (app::equal_ignoring_case(same, "Şifre-ĞÜŞIÖÇİ abc")) {
            ++same_cases;
            EXPECT_TRUE(may_match(records.line_of(same))) << same;
        }
    }
    EXPECT_GE(same_cases, 2);
    EXPECT_TRUE(may_match("xy")) << "too short to tell";
    int passed = 0;
    for (int i = 0; i < 1000; ++i) {
        passed += may_match(records.line_of("other " + std::to_string(i)));
    }
    EXPECT_LT(passed, 5) << "two bytes of nonce pass about one line in 65536";
}

TEST(Base64, ReadsBackEveryLengthAndRefusesAnyOtherSpelling) {
    std::string bytes;
    for (int size = 0; size < 8; ++size) {
        EXPECT_EQ(app::from_base64(app::to_base64(bytes)), bytes) << size;
        bytes.push_back(static_cast<char>(0xFB - size * 37));
    }
    EXPECT_EQ(app::from_base64("+/8="), std::string("\xFB\xFF"));
    // Stray bits, a character outside the alphabet, padding out of place, a cut group.
    for (const char* text : {"Zh==", "Zm9=", "Zm9v!A==", "Zm=v", "====", "Zm9vY", "Z==="}) {
        EXPECT_FALSE(app::from_base64(text)) << text;
    }
}

TEST(RecoveryCode, ReadsAsTypedAndRefusesMistakes) {
    native::Crypto crypto;
    const std::string code = app::recovery_code(crypto, bytes_0_to_31());
    std::string typed = code;
    std::erase(typed, '-');
    for (auto& c : typed) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    std::string look_alikes = code;
    std::replace(look_alikes.begin(), look_alikes.end(), '0', 'O');
    std::string mistyped = code;
    mistyped[6] = mistyped[6] == 'X' ? 'Y' : 'X';
    EXPECT_EQ(app::master_from_recovery_code(crypto, code), bytes_0_to_31());
    EXPECT_EQ(app::master_from_recovery_code(crypto, " " + typed + "\r\n"), bytes_0_to_31());
    EXPECT_EQ(app::master_from_recovery_code(crypto, look_alikes), bytes_0_to_31());
    EXPECT_FALSE(app::master_from_recovery_code(crypto, mistyped));
    EXPECT_FALSE(app::master_from_recovery_code(crypto, code.substr(0, code.size() - 5)));
    EXPECT_FALSE(app::master_from_recovery_code(crypto, code + "-0000"));
}

// RFC 5869, test case 1.
TEST(Hkdf, GivesTheRfcVector) {
    native::Crypto crypto;
    const std::string okm = app::hkdf_sha256(crypto, std::string(22, '\x0b'),
                                             *app::from_hex("000102030405060708090a0b0c"),
                                             *app::from_hex("f0f1f2f3f4f5f6f7f8f9"), 42);
    EXPECT_EQ(app::to_hex(okm),
              "3cb25f25faacd57a90434f64d0362f2a2d2d0a90cf1a5a4c5db02d56ecc4c5bf3400"
              "7208d5b887185865");
}

}  // namespace
