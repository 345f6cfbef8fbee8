// cRegistry over the platform registry: answers, errors, the "%" rule and byte order.
#include "registry/cregistry.h"

#include <algorithm>

#include "tests/registry/registry_test_support.h"

namespace registry_test {
namespace {

using registry::ByteArray;
using registry::cRegistry;
using registry::RegistryError;
using registry::Variant;

constexpr std::int32_t kLocalMachine = registry::kHkeyLocalMachine;

class CRegistryTest : public RegistryTest {
  protected:
    void SetUp() override {
        RegistryTest::SetUp();
        program_ = std::make_unique<FakeProgram>(program());
        object_ = std::make_unique<cRegistry>(registry(), *program_);
    }

    cRegistry& at(const std::string& below, const std::string& value = "") {
        object_->ClassKey(kLocalMachine);
        object_->SectionKey(below.empty() ? kBase : std::string(kBase) + "\\" + below);
        object_->ValueKey(value);
        return *object_;
    }

    // Runs `operation` and returns the RegistryError it throws.
    template <typename Operation>
    RegistryError error_of(Operation operation) {
        try {
            operation();
        } catch (const RegistryError& error) {
            return error;
        }
        ADD_FAILURE() << "no RegistryError was thrown";
        return RegistryError(0, "", "");
    }

    std::unique_ptr<FakeProgram> program_;
    std::unique_ptr<cRegistry> object_;
};

TEST_F(CRegistryTest, ANewObjectStartsEmptyAndReadsAMissingValueAsDefault) {
    cRegistry fresh(registry(), *program_);
    EXPECT_EQ(fresh.ClassKey(), 0);
    EXPECT_EQ(fresh.SectionKey(), "");
    EXPECT_EQ(fresh.ValueKey(), "");
    EXPECT_EQ(fresh.ValueType(), 0);
    EXPECT_EQ(fresh.Default(), Variant{});

    fresh.Default(std::string("?"));
    EXPECT_EQ(fresh.Value(), Variant(std::string("?")));  // ClassKey 0 is no root at all
    fresh.ClassKey(kLocalMachine);
    fresh.SectionKey(kBase);
    fresh.ValueKey("missing");
    EXPECT_EQ(fresh.Value(), Variant(std::string("?")));
    EXPECT_EQ(fresh.ValueType(), 0);
}

TEST_F(CRegistryTest, ReadsEachTypeAsItsVariant) {
    struct Case {
        const char* name;
        std::uint32_t type;
        std::string stored;
        Variant expected;
    };
    const Case cases[] = {
        {"sz", reg::kSz, std::string("abc\0", 4), std::string("abc")},
        {"empty sz", reg::kSz, "", std::string()},
        {"multi sz", reg::kMultiSz, std::string("a\0b\0\0", 5), std::string("a\0b\0", 4)},
        {"dword", reg::kDword, "\x44\x33\x22\x11", std::int32_t{0x11223344}},
        {"negative dword", reg::kDword, "\xFE\xFF\xFF\xFF", std::int32_t{-2}},
        {"long dword", reg::kDword, "\x01\x00\x00\x00\x99\x99\x99\x99", std::int32_t{1}},
        {"short dword", reg::kDword, "\x07\x01", std::int32_t{0x0107}},
        {"empty dword", reg::kDword, "", std::int32_t{0}},
        {"big endian", reg::kDwordBigEndian, std::string("\0\0\1\0", 4), std::int32_t{256}},
        {"big endian order", reg::kDwordBigEndian, "\x11\x22\x33\x44", std::int32_t{0x11223344}},
        {"binary", reg::kBinary, "\x01\x02\xFF", ByteArray{1, 2, 255, 0}},
        {"empty binary", reg::kBinary, "", ByteArray{0}},
        {"none", reg::kNone, "\x05", ByteArray{5, 0}},
        {"link", reg::kLink, "ab", ByteArray{'a', 'b', 0}},
        {"type 8", 8, "x", ByteArray{'x', 0}},
        {"type 0x1234", 0x1234, "", ByteArray{0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        put(reg::kLocalMachine, kBase, c.name, c.type, c.stored);
        cRegistry& object = at("", c.name);
        object.ValueType(99);
        EXPECT_EQ(object.Value(), c.expected);
        EXPECT_EQ(object.ValueType(), static_cast<std::int32_t>(c.type));
    }
}

TEST_F(CRegistryTest, ATextStoredWithoutTerminatorLosesItsLastCharacterWhereKeptAsGiven) {
    put(reg::kLocalMachine, kBase, "bare", reg::kSz, "abc");
    // Wine's RegSetValueExW appends the terminator a text lacks; the Linux store keeps the bytes
    // as given, and the read then drops the last one as it would drop the terminator.
    EXPECT_EQ(get(reg::kLocalMachine, kBase, "bare"),
              (StoredValue{reg::kSz, real_registry() ? std::string("abc\0", 4) : "abc"}));
    EXPECT_EQ(at("", "bare").Value(), Variant(std::string(real_registry() ? "abc" : "ab")));
}

TEST_F(CRegistryTest, ReadsAnExpandableTextWithItsReferencesReplaced) {
    set_environment("KEYMINT_TEST_HOME", "/home/km");
    put(reg::kLocalMachine, kBase, "path", reg::kExpandSz,
        std::string("%KEYMINT_TEST_HOME%\\x;%KEYMINT_NOT_SET%") + '\0');
    EXPECT_EQ(at("", "path").Value(), Variant(std::string("/home/km\\x;%KEYMINT_NOT_SET%")));
    EXPECT_EQ(object_->ValueType(), registry::kRegExpandSz);
}

TEST_F(CRegistryTest, WritesTextAsExpandableOnlyWhenTwoPercentSignsEncloseSomething) {
    struct Case {
        std::int32_t value_type;
        std::string text;
        std::uint32_t stored_type;
    };
    const Case cases[] = {
        {registry::kRegSz, "50%", reg::kSz},        {registry::kRegSz, "%TEMP%\\x", reg::kExpandSz},
        {registry::kRegSz, "%%", reg::kSz},         {registry::kRegSz, "a%%b", reg::kSz},
        {registry::kRegSz, "%%%", reg::kExpandSz},  {registry::kRegSz, "%a%", reg::kExpandSz},
        {registry::kRegSz, "%%a%", reg::kExpandSz}, {registry::kRegExpandSz, "abc", reg::kSz},
        {registry::kRegExpandSz, "", reg::kSz},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        cRegistry& object = at("texts", "v");
        object.ValueType(c.value_type);
        object.Value(c.text);
        EXPECT_EQ(object.ValueType(), c.value_type);
        EXPECT_EQ(get(reg::kLocalMachine, std::string(kBase) + "\\texts", "v"),
                  (StoredValue{c.stored_type, c.text + '\0'}));
    }
}

TEST_F(CRegistryTest, WritesIntegersAsLittleEndianDwords) {
    struct Case {
        std::int32_t value_type;
        Variant value;
        std::string bytes;
    };
    const Case cases[] = {
        {registry::kRegDword, std::int32_t{0x11223344}, "\x44\x33\x22\x11"},
        {registry::kRegDwordBigEndian, std::int16_t{5}, std::string("\5\0\0\0", 4)},
        {registry::kRegDword, std::int16_t{-1}, "\xFF\xFF\xFF\xFF"},
        {registry::kRegDword, std::int32_t{-2147483647 - 1}, std::string("\0\0\0\x80", 4)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.size());
        cRegistry& object = at("numbers", "n");
        object.ValueType(c.value_type);
        object.Value(c.value);
        EXPECT_EQ(get(reg::kLocalMachine, std::string(kBase) + "\\numbers", "n"),
                  (StoredValue{reg::kDword, c.bytes}));
    }
    // What went in as big-endian comes back through the swap only when stored as such.
    put(reg::kLocalMachine, kBase, "be", reg::kDwordBigEndian, std::string("\0\0\0\5", 4));
    EXPECT_EQ(at("", "be").Value(), Variant(std::int32_t{5}));
}

TEST_F(CRegistryTest, ANonIntegerDwordWriteStoresNothingButCreatesTheKey) {
    cRegistry& object = at("made\\by\\write", "n");
    object.ValueType(registry::kRegDword);
    object.Value(std::string("12"));
    EXPECT_TRUE(object.KeyExists());
    EXPECT_FALSE(get(reg::kLocalMachine, object.SectionKey(), "n"));
}

TEST_F(CRegistryTest, WritesBytesAndRefusesAnythingElseAsBinary) {
    cRegistry& object = at("bin", "b");
    object.ValueType(registry::kRegBinary);
    object.Value(ByteArray{0, 1, 2});
    EXPECT_EQ(get(reg::kLocalMachine, object.SectionKey(), "b"),
              (StoredValue{reg::kBinary, std::string("\0\1\2", 3)}));
    EXPECT_EQ(object.Value(), Variant(ByteArray{0, 1, 2, 0}));

    object.ValueType(registry::kRegBinary);
    RegistryError error = error_of([&] { object.Value(std::string("text")); });
    EXPECT_EQ(error.number(), registry::kKeyError);
    EXPECT_EQ(error.source(), source());
    error = error_of([&] { object.Value(ByteArray{}); });
    EXPECT_EQ(error.number(), registry::kSubscriptOutOfRangeError);
}

TEST_F(CRegistryTest, AnUnwritableTypeCreatesTheKeyThenRaisesWithTheValueInTheDescription) {
    const std::string section = std::string(kBase) + "\\typed";
    for (std::int32_t type : {0, 6, 7, 8, 255}) {
        SCOPED_TRACE(type);
        cRegistry& object = at("typed", "name");
        object.ValueType(type);
        RegistryError error = error_of([&] { object.Value(std::int16_t{7}); });
        EXPECT_EQ(error.number(), -2147194455);
        EXPECT_EQ(error.source(), "KeymintTest.cRegistry");
        EXPECT_EQ(error.description(),
                  "Failed to set registry value Key: '-2147483646',Section: '" + section +
                      "',Key: 'name' to value: '7'");
        EXPECT_EQ(error.cause(), reg::kInvalidData);
        EXPECT_TRUE(key_exists(reg::kLocalMachine, section));
        EXPECT_EQ(object.ValueType(), type);
        EXPECT_EQ(object.SectionKey(), section);
    }
}

TEST_F(CRegistryTest, KeyOperationsAnswerTrueOrRaiseTheirDescriptions) {
    const std::string section = std::string(kBase) + "\\k";
    cRegistry& object = at("k", "value");
    EXPECT_FALSE(object.KeyExists());

    RegistryError error = error_of([&] { object.DeleteValue(); });
    EXPECT_EQ(error.number(), registry::kKeyError);
    EXPECT_EQ(error.description(), "Anahtar Açılamadı '-2147483646',Bölüm: '" + section + "'");
    EXPECT_EQ(error.cause(), reg::kFileNotFound);

    error = error_of([&] { object.DeleteKey(); });
    EXPECT_EQ(error.number(), registry::kKeyError);
    EXPECT_EQ(error.description(), "Anahtar Silinemedi: '-2147483646',Bölüm: '" + section);

    EXPECT_TRUE(object.CreateKey());
    EXPECT_TRUE(object.CreateKey());
    EXPECT_TRUE(object.KeyExists());

    error = error_of([&] { object.DeleteValue(); });
    EXPECT_EQ(error.description(),
              "Anahtar Silinemedi: '-2147483646'\r\nBölüm: '" + section + "'\r\nAnahtar: 'value");
    EXPECT_EQ(error.source(), source());

    object.ValueType(registry::kRegSz);
    object.Value(std::string("x"));
    EXPECT_TRUE(object.DeleteValue());
    EXPECT_FALSE(get(reg::kLocalMachine, section, "value"));
    EXPECT_TRUE(object.DeleteKey());
    EXPECT_FALSE(object.KeyExists());

    object.ClassKey(0);
    error = error_of([&] { object.CreateKey(); });
    EXPECT_EQ(error.description(), "Anahtar Oluşturulamadı: '" + section);
}

TEST_F(CRegistryTest, EveryOperationClosesTheKeysItOpens) {
    InterceptingRegistry counting(registry());
    cRegistry object(counting, *program_);
    object.ClassKey(kLocalMachine);
    object.SectionKey(std::string(kBase) + "\\closing");
    object.ValueKey("v");
    std::vector<std::string> names;
    std::int32_t count = 0;

    auto attempt = [&](auto operation) {
        try {
            operation();
        } catch (const RegistryError&) {
        }
        EXPECT_EQ(counting.open_handles, 0);
    };
    attempt([&] { object.DeleteValue(); });  // missing key
    object.ValueType(registry::kRegSz);
    attempt([&] { object.Value(std::string("x")); });
    attempt([&] { object.Value(); });
    attempt([&] { object.KeyExists(); });
    attempt([&] { object.EnumerateValues(names, count); });
    attempt([&] { object.EnumerateSections(names, count); });
    object.ValueKey("other");
    attempt([&] { object.DeleteValue(); });  // missing value
    object.ValueType(0);
    attempt([&] { object.Value(std::string("x")); });
    object.ValueType(registry::kRegBinary);
    attempt([&] { object.Value(std::string("x")); });
}

TEST_F(CRegistryTest, EnumerateValuesListsTheNamesAndStartsFromAnEmptyList) {
    std::vector<std::string> names{"stale"};
    std::int32_t count = 7;
    EXPECT_TRUE(at("missing").EnumerateValues(names, count));
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(names.empty());

    for (const char* name : {"zeta", "Alpha", "", "middle name"}) {
        put(reg::kLocalMachine, kBase, name, reg::kSz, std::string("\0", 1));
    }
    EXPECT_TRUE(at("").EnumerateValues(names, count));
    EXPECT_EQ(count, 4);
    // Windows gives the order of creation, Wine sorts by name: only the set is the same.
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"", "Alpha", "middle name", "zeta"}));
}

TEST_F(CRegistryTest, EnumerateSectionsListsNamesThatFitInto255Characters) {
    const std::string longest(254, 'a');
    const std::string too_long(255, 'b');
    for (const std::string& name : {std::string("Child"), longest, too_long}) {
        registry::cRegistry& object = at("sections\\" + name);
        object.CreateKey();
    }
    std::vector<std::string> sections{"stale"};
    std::int32_t count = 0;
    EXPECT_TRUE(at("sections").EnumerateSections(sections, count));
    // Sorted, the 255-character name follows the 254-character one and ends the listing.
    EXPECT_EQ(count, 1);
    EXPECT_EQ(sections, (std::vector<std::string>{longest}));

    EXPECT_TRUE(at("missing").EnumerateSections(sections, count));
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(sections.empty());
}

}  // namespace
}  // namespace registry_test
