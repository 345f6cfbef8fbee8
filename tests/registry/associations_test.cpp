// File-type registration under HKEY_CLASSES_ROOT and HKEY_LOCAL_MACHINE\SOFTWARE\Classes.
#include "registry/cregistry.h"
#include "tests/registry/registry_test_support.h"

namespace registry_test {
namespace {

using registry::cRegistry;
using registry::RegistryError;
using registry::Variant;

constexpr const char* kClass = "KeymintTestFile";
constexpr const char* kExtension = "kmtest";

class AssociationsTest : public RegistryTest {
  protected:
    void SetUp() override {
        RegistryTest::SetUp();
        for (const std::string& key : {std::string(".") + kExtension, std::string(kClass)}) {
            delete_tree(reg::kClassesRoot, key);
            clean_up_key(reg::kClassesRoot, key);
            clean_up_key(reg::kLocalMachine, "SOFTWARE\\Classes\\" + key);
        }
        program_ = std::make_unique<FakeProgram>(program());
    }

    // The default value of a class key as text, the same under both roots, with its type.
    std::string written(const std::string& key, std::uint32_t type = reg::kSz) {
        auto classes = get(reg::kClassesRoot, key, "");
        auto machine = get(reg::kLocalMachine, "SOFTWARE\\Classes\\" + key, "");
        EXPECT_EQ(classes, machine) << key;
        if (!classes) {
            return "<missing>";
        }
        EXPECT_EQ(classes->type, type) << key;
        EXPECT_FALSE(classes->bytes.empty()) << key;
        return classes->bytes.substr(0, classes->bytes.size() - 1);
    }

    std::unique_ptr<FakeProgram> program_;
};

TEST_F(AssociationsTest, RegistersExtensionClassVerbsAndIconUnderBothRoots) {
    cRegistry object(registry(), *program_);
    object.CreateEXEAssociation("C:\\App\\app.exe", kClass, "Keymint test file", kExtension, "",
                                true, "", true, "", true, "", 0);
    const std::string c = kClass;
    EXPECT_EQ(written(".kmtest"), c);
    EXPECT_EQ(written(c), "Keymint test file");
    EXPECT_EQ(written(c + "\\shell\\open"), "&Open");
    EXPECT_EQ(written(c + "\\shell\\open\\command"), "\"C:\\App\\app.exe\" \"%1\"");
    EXPECT_EQ(written(c + "\\shell\\print"), "&Print");
    EXPECT_EQ(written(c + "\\shell\\print\\command"), "\"C:\\App\\app.exe\" /p \"%1\"");
    EXPECT_EQ(written(c + "\\shell\\add"), "&Install kmtest");
    EXPECT_EQ(written(c + "\\shell\\add\\command"), "\"C:\\App\\app.exe\" /a \"%1\"");
    EXPECT_EQ(written(c + "\\shell\\new"), "&New");
    EXPECT_EQ(written(c + "\\shell\\new\\command"), "\"C:\\App\\app.exe\" /n \"%1\"");
    EXPECT_EQ(written(c + "\\DefaultIcon"), "\"C:\\App\\app.exe\",0");

    EXPECT_EQ(object.ClassKey(), registry::kHkeyLocalMachine);
    EXPECT_EQ(object.SectionKey(), c + "\\DefaultIcon");
    EXPECT_EQ(object.ValueKey(), "");
    EXPECT_EQ(object.ValueType(), registry::kRegSz);
}

TEST_F(AssociationsTest, WritesOnlyTheChosenVerbsInTheirOrderWithTheGivenTexts) {
    InterceptingRegistry recording(registry());
    cRegistry object(recording, *program_);
    object.CreateEXEAssociation("C:\\App\\app.exe", kClass, "d", kExtension, "Aç", false, "P", true,
                                "Yeni", true, "Kur", -1);
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < recording.written_values.size(); i += 2) {
        // each text goes first under HKEY_CLASSES_ROOT, then again under the machine's classes
        EXPECT_EQ(recording.written_values[i], recording.written_values[i + 1]);
        texts.push_back(recording.written_values[i]);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"1:=KeymintTestFile", "1:=d", "1:=Aç",
                                               "1:=\"C:\\App\\app.exe\" \"%1\"", "1:=Kur",
                                               "1:=\"C:\\App\\app.exe\" /a \"%1\"", "1:=Yeni",
                                               "1:=\"C:\\App\\app.exe\" /n \"%1\""}));
    EXPECT_FALSE(key_exists(reg::kClassesRoot, std::string(kClass) + "\\shell\\print"));
    EXPECT_FALSE(key_exists(reg::kClassesRoot, std::string(kClass) + "\\DefaultIcon"));
}

TEST_F(AssociationsTest, QuotesTheExecutablePathOnce) {
    struct Case {
        const char* path;
        const char* command;
    };
    for (const Case& c :
         {Case{"C:\\App\\app.exe", "\"C:\\App\\app.exe\" \"%1\""},
          Case{"\"C:\\My App\\app.exe\"", "\"C:\\My App\\app.exe\" \"%1\""},
          Case{"  C:\\App\\app.exe  ", "\"C:\\App\\app.exe\" \"%1\""},
          Case{"\"C:\\App\\app.exe", "\"C:\\App\\app.exe\" \"%1\""}, Case{"", "\" \"%1\""}}) {
        SCOPED_TRACE(c.path);
        cRegistry object(registry(), *program_);
        object.CreateEXEAssociation(c.path, kClass, "d", kExtension);
        EXPECT_EQ(written(std::string(kClass) + "\\shell\\open\\command"), c.command);
    }
}

TEST_F(AssociationsTest, APathWithAnEnvironmentReferenceMakesExpandableCommands) {
    cRegistry object(registry(), *program_);
    object.CreateEXEAssociation("%ProgramFiles%\\App\\app.exe", kClass, "d", kExtension, "", true,
                                "", false, "", false, "", 2);
    const std::string c = kClass;
    EXPECT_EQ(written(c + "\\shell\\open\\command", reg::kExpandSz),
              "\"%ProgramFiles%\\App\\app.exe\" \"%1\"");
    EXPECT_EQ(written(c + "\\shell\\print\\command", reg::kExpandSz),
              "\"%ProgramFiles%\\App\\app.exe\" /p \"%1\"");
    EXPECT_EQ(written(c + "\\DefaultIcon", reg::kExpandSz), "\"%ProgramFiles%\\App\\app.exe\",2");
    EXPECT_EQ(written(c + "\\shell\\open"), "&Open");
}

TEST_F(AssociationsTest, AdditionalVerbsNeedTriplesAndARegisteredClass) {
    cRegistry object(registry(), *program_);
    const std::vector<Variant> four{std::string("edit"), std::string("&Edit"), std::string("x"),
                                    std::string("extra")};
    try {
        object.CreateAdditionalEXEAssociations(kClass, four);
        ADD_FAILURE() << "four items were accepted";
    } catch (const RegistryError& error) {
        EXPECT_EQ(error.number(), -2147194452);
        EXPECT_EQ(error.source(), source());
        EXPECT_EQ(error.description(),
                  "Invalid parameter list passed to CreateAdditionalEXEAssociations - expected "
                  "Name/Text/Command");
    }
    try {
        object.CreateAdditionalEXEAssociations(kClass, {});
        ADD_FAILURE() << "an unregistered class was accepted";
    } catch (const RegistryError& error) {
        EXPECT_EQ(error.number(), -2147194451);
        EXPECT_EQ(error.description(),
                  "Error - attempt to create additional associations before class defined.");
    }
    EXPECT_FALSE(key_exists(reg::kClassesRoot, kClass));
}

TEST_F(AssociationsTest, AdditionalVerbsGoUnderBothRootsRightAfterTheClassIsRegistered) {
    cRegistry object(registry(), *program_);
    object.CreateEXEAssociation("C:\\App\\app.exe", kClass, "d", kExtension);
    ASSERT_EQ(object.ClassKey(), registry::kHkeyLocalMachine);
    object.CreateAdditionalEXEAssociations(kClass, {});
    object.CreateAdditionalEXEAssociations(
        kClass, {std::string("edit"), std::string("&Edit"), std::string("notepad \"%1\""),
                 std::string("view"), std::int16_t{5}, std::string("viewer %1%")});
    const std::string c = kClass;
    EXPECT_EQ(written(c + "\\shell\\edit"), "&Edit");
    EXPECT_EQ(written(c + "\\shell\\edit\\command"), "notepad \"%1\"");
    EXPECT_EQ(written(c + "\\shell\\view"), "5");
    EXPECT_EQ(written(c + "\\shell\\view\\command", reg::kExpandSz), "viewer %1%");
    EXPECT_EQ(object.SectionKey(), c + "\\shell\\view\\command");
}

TEST_F(AssociationsTest, AFailedAdditionalWriteIsSkippedAndTheRestIsWritten) {
    InterceptingRegistry refusing(registry());
    cRegistry object(refusing, *program_);
    object.CreateEXEAssociation("C:\\App\\app.exe", kClass, "d", kExtension);
    int calls = 0;
    refusing.refuse_value_change = [&](const std::string&) {
        return ++calls == 1 ? reg::kAccessDenied : reg::kSuccess;
    };
    object.CreateAdditionalEXEAssociations(
        kClass, {std::string("edit"), std::string("&Edit"), std::string("e"), std::string("view"),
                 std::string("&View"), std::string("v")});
    const std::string c = kClass;
    EXPECT_EQ(written(c + "\\shell\\edit"), "<missing>");
    EXPECT_EQ(written(c + "\\shell\\edit\\command"), "e");
    EXPECT_EQ(written(c + "\\shell\\view"), "&View");
    EXPECT_EQ(written(c + "\\shell\\view\\command"), "v");
}

TEST_F(AssociationsTest, AFailedWriteEndsTheRegistrationAndReachesTheCaller) {
    InterceptingRegistry refusing(registry());
    cRegistry object(refusing, *program_);
    int calls = 0;
    refusing.refuse_value_change = [&](const std::string&) {
        return ++calls == 4 ? reg::kAccessDenied : reg::kSuccess;  // the class, under the machine
    };
    try {
        object.CreateEXEAssociation("C:\\App\\app.exe", kClass, "d", kExtension);
        ADD_FAILURE() << "the refused write was not reported";
    } catch (const RegistryError& error) {
        EXPECT_EQ(error.number(), registry::kSetValueError);
        EXPECT_EQ(error.cause(), reg::kAccessDenied);
    }
    EXPECT_EQ(object.SectionKey(), std::string("SOFTWARE\\Classes\\") + kClass);
    EXPECT_EQ(written(".kmtest"), kClass);
    EXPECT_FALSE(key_exists(reg::kClassesRoot, std::string(kClass) + "\\shell"));
}

}  // namespace
}  // namespace registry_test
