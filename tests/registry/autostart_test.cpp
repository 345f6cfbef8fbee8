// The program's entry under the machine's Run key.
#include "registry/autostart.h"

#include "registry/cregistry.h"
#include "tests/registry/registry_test_support.h"

namespace registry_test {
namespace {

using registry::AutoRun;
using registry::kRunKey;
using registry::kRunOnceKey;

class AutostartTest : public RegistryTest {
  protected:
    void SetUp() override {
        RegistryTest::SetUp();
        for (const char* key : {kRunKey, kRunOnceKey}) {
            clean_up_value(reg::kLocalMachine, key, kProgramName);
            clean_up_value(reg::kLocalMachine, key, "pg2");
        }
        program_ = std::make_unique<FakeProgram>(program());
    }

    std::optional<StoredValue> run_entry(const char* key = kRunKey,
                                         const std::string& name = kProgramName) {
        return get(reg::kLocalMachine, key, name);
    }

    std::unique_ptr<FakeProgram> program_;
};

TEST(AutoRunPathTest, JoinsFolderAndBaseNameAndQuotesOnlyAPathWithASpace) {
    struct Case {
        const char* folder;
        char separator;
        const char* base_name;
        const char* data;
    };
    for (const Case& c : {
             Case{"C:\\Tools", '\\', "Keymint", "C:\\Tools\\Keymint"},
             Case{"C:\\", '\\', "Keymint", "C:\\Keymint"},
             Case{"C:\\Program Files\\Tools", '\\', "Keymint",
                  "\"C:\\Program Files\\Tools\\Keymint\""},
             Case{"D:\\x", '\\', "pg2", "D:\\x\\pg2"},
             Case{"/opt/tools", '/', "keymint", "/opt/tools/keymint"},
             Case{"/", '/', "keymint", "/keymint"},
             Case{"/home/ana/My Programs", '/', "keymint", "\"/home/ana/My Programs/keymint\""},
             Case{"/opt/tab\there", '/', "keymint", "\"/opt/tab\there/keymint\""},
         }) {
        EXPECT_EQ(registry::strAutoRunPath(FakeProgram(c.folder, c.base_name, c.separator)),
                  c.data);
    }
}

TEST_F(AutostartTest, TickingWritesTheEntryAndUntickingRemovesIt) {
    EXPECT_EQ(AutoRun(registry(), *program_), 0);

    registry::AutoRunChange change = AutoRun(registry(), *program_, 1);
    EXPECT_TRUE(change.ok()) << change.error;
    EXPECT_EQ(change.state, 1);
    EXPECT_EQ(run_entry(), (StoredValue{reg::kSz, registry::strAutoRunPath(*program_) + '\0'}));
    EXPECT_EQ(AutoRun(registry(), *program_), 1);

    change = AutoRun(registry(), *program_, 1);  // again: overwritten, still one entry
    EXPECT_TRUE(change.ok()) << change.error;

    change = AutoRun(registry(), *program_, 0);
    EXPECT_TRUE(change.ok()) << change.error;
    EXPECT_EQ(change.state, 0);
    EXPECT_FALSE(run_entry());

    change = AutoRun(registry(), *program_, 0);  // nothing left to remove: not an error
    EXPECT_TRUE(change.ok()) << change.error;
    EXPECT_EQ(change.state, 0);
}

TEST_F(AutostartTest, TheEntryHoldsThePlainRootAndSpacedCommand) {
    const char slash = environment_->separator();
    const std::string root = slash == '/' ? "/" : "C:\\";
    const std::string plain = environment_->program_folder();
    const std::string spaced = root + "My Tools";
    struct Case {
        std::string folder;
        std::string data;
    };
    for (const Case& c :
         {Case{plain, plain + slash + kProgramName}, Case{root, root + kProgramName},
          Case{spaced, "\"" + spaced + slash + kProgramName + "\""}}) {
        SCOPED_TRACE(c.folder);
        FakeProgram there = program_in(c.folder);
        EXPECT_TRUE(AutoRun(registry(), there, -1).ok());
        EXPECT_EQ(run_entry(), (StoredValue{reg::kSz, c.data + '\0'}));
    }
}

TEST_F(AutostartTest, AFolderWithTwoPercentSignsMakesTheEntryExpandable) {
    FakeProgram there =
        program_in(environment_->program_folder() + environment_->separator() + "50%off%");
    EXPECT_TRUE(AutoRun(registry(), there, 1).ok());
    auto entry = run_entry();
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->type, reg::kExpandSz);
    EXPECT_EQ(entry->bytes, registry::strAutoRunPath(there) + '\0');
    EXPECT_EQ(AutoRun(registry(), there), 1);
}

TEST_F(AutostartTest, TickingRemovesARunOnceEntryAndLeavesOtherProgramsAlone) {
    put(reg::kLocalMachine, kRunOnceKey, kProgramName, reg::kSz, std::string("old\0", 4));
    put(reg::kLocalMachine, kRunKey, "pg2", reg::kSz, std::string("/x/pg2\0", 7));
    EXPECT_TRUE(AutoRun(registry(), *program_, 1).ok());
    EXPECT_FALSE(run_entry(kRunOnceKey));
    EXPECT_TRUE(run_entry());
    EXPECT_EQ(run_entry(kRunKey, "pg2"), (StoredValue{reg::kSz, std::string("/x/pg2\0", 7)}));

    put(reg::kLocalMachine, kRunOnceKey, kProgramName, reg::kSz, std::string("old\0", 4));
    EXPECT_TRUE(AutoRun(registry(), *program_, 0).ok());
    EXPECT_FALSE(run_entry(kRunOnceKey));
    EXPECT_TRUE(run_entry(kRunKey, "pg2"));
}

TEST_F(AutostartTest, AnEntryHoldingOnlyAQuestionMarkReadsAsAbsent) {
    put(reg::kLocalMachine, kRunKey, kProgramName, reg::kSz, std::string("?\0", 2));
    EXPECT_EQ(AutoRun(registry(), *program_), 0);
    put(reg::kLocalMachine, kRunKey, kProgramName, reg::kSz, std::string("??\0", 3));
    EXPECT_EQ(AutoRun(registry(), *program_), 1);
}

TEST_F(AutostartTest, ARefusedChangeIsReportedAndTheStateShowsWhatIsThere) {
    InterceptingRegistry refusing(registry());
    refusing.refuse_value_change = [](const std::string&) { return reg::kAccessDenied; };

    registry::AutoRunChange change = AutoRun(refusing, *program_, 1);
    EXPECT_EQ(change.state, 0);
    EXPECT_FALSE(change.ok());
    EXPECT_NE(change.error.find("KeymintTest"), std::string::npos) << change.error;
    EXPECT_NE(change.error.find(registry().describe(reg::kAccessDenied)), std::string::npos)
        << change.error;

    ASSERT_TRUE(AutoRun(registry(), *program_, 1).ok());
    change = AutoRun(refusing, *program_, 0);
    EXPECT_EQ(change.state, 1);
    EXPECT_FALSE(change.ok());

    // Refused, but there was nothing to remove: the box may show what the user asked for.
    ASSERT_TRUE(AutoRun(registry(), *program_, 0).ok());
    change = AutoRun(refusing, *program_, 0);
    EXPECT_TRUE(change.ok()) << change.error;
    EXPECT_EQ(change.state, 0);
}

}  // namespace
}  // namespace registry_test
