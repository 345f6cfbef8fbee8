// The Linux store: the SQLite database and the XDG autostart folder behind the Run key.
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "platform/command_line.h"
#include "platform/posix/desktop_entry.h"
#include "platform/posix/exec_quoting.h"
#include "platform/posix/sqlite_registry.h"
#include "platform/posix/xdg_autostart.h"
#include "registry/autostart.h"
#include "registry/cregistry.h"
#include "tests/registry/registry_test_support.h"

namespace registry_test {
namespace {

namespace fs = std::filesystem;
using platform::posix::SqliteRegistry;

class PosixStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = fs::temp_directory_path() / "keymint-store-XXXXXX";
        home_ = ::mkdtemp(pattern.data());
        registry_ = platform::posix::make_user_registry(home_);
    }
    void TearDown() override {
        registry_.reset();
        fs::remove_all(home_);
    }

    fs::path entry_file(const std::string& name = "keymint") const {
        return home_ / "autostart" / (name + ".desktop");
    }
    fs::path database() const { return SqliteRegistry::database_in(home_); }
    static std::string read_file(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream contents;
        contents << in.rdbuf();
        return contents.str();
    }
    static void write_file(const fs::path& path, const std::string& contents) {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << contents;
    }
    std::string exec_line(const std::string& name = "keymint") const {
        std::istringstream lines(read_file(entry_file(name)));
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind("Exec=", 0) == 0) {
                return line.substr(5);
            }
        }
        return "<none>";
    }

    fs::path home_;
    std::unique_ptr<platform::Registry> registry_;
    FakeProgram program_{"/opt/tools", "keymint", '/'};
};

TEST_F(PosixStoreTest, TickingWritesADesktopEntryThatStartsTheProgram) {
    ASSERT_TRUE(registry::AutoRun(*registry_, program_, 1).ok());
    EXPECT_EQ(read_file(entry_file()),
              "[Desktop Entry]\nType=Application\nName=keymint\nExec=/opt/tools/keymint\n");
    ASSERT_TRUE(registry::AutoRun(*registry_, program_, 0).ok());
    EXPECT_FALSE(fs::exists(entry_file()));
}

TEST_F(PosixStoreTest, TheExecLineIsQuotedAndEscapedForTheDesktop) {
    struct Case {
        const char* folder;
        const char* exec;
    };
    for (const Case& c : {
             Case{"/opt/My Tools", "\"/opt/My Tools/keymint\""},
             Case{"/opt/50%off%", "/opt/50%%off%%/keymint"},
             Case{"/opt/a$b", "\"/opt/a\\\\$b/keymint\""},
             Case{"/opt/back\\slash", "\"/opt/back\\\\\\\\slash/keymint\""},
             Case{"/opt/it's", "\"/opt/it's/keymint\""},
         }) {
        SCOPED_TRACE(c.folder);
        FakeProgram there(c.folder, "keymint", '/');
        ASSERT_TRUE(registry::AutoRun(*registry_, there, 1).ok());
        EXPECT_EQ(exec_line(), c.exec);
        EXPECT_EQ(registry::AutoRun(*registry_, there), 1);
        registry::cRegistry entry(*registry_, there);
        entry.ClassKey(registry::kHkeyLocalMachine);
        entry.SectionKey(registry::kRunKey);
        entry.ValueKey("keymint");
        entry.ValueType(registry::kRegSz);
        // %off% is no variable: the expandable entry reads back as written
        EXPECT_EQ(entry.Value(), registry::Variant(registry::strAutoRunPath(there)));
    }
}

TEST_F(PosixStoreTest, ExecLinesAndCommandLinesConvertBothWays) {
    using platform::join_command_line;
    using platform::split_command_line;
    using platform::posix::arguments_from_exec;
    using platform::posix::exec_from_arguments;
    const std::vector<std::vector<std::string>> argument_lists = {
        {"/usr/bin/keymint"},
        {"/opt/My Tools/keymint", "--flag", ""},
        {"a\"b", "c\\", "d\\\"e", "`$HOME`", "50%", "new\nline", "tab\there", " lead"},
        {"C:\\Program Files\\x\\", "\\\\server\\share"},
    };
    for (const auto& arguments : argument_lists) {
        SCOPED_TRACE(arguments.front());
        EXPECT_EQ(split_command_line(join_command_line(arguments)), arguments);
        std::string exec = exec_from_arguments(arguments);
        EXPECT_EQ(exec.find('\n'), std::string::npos);
        EXPECT_EQ(arguments_from_exec(exec), arguments);
    }
    EXPECT_EQ(arguments_from_exec("/usr/bin/x %U --opt=\"a b\" %%"),
              (std::vector<std::string>{"/usr/bin/x", "--opt=a b", "%"}));
    EXPECT_EQ(arguments_from_exec("\"unterminated"), std::nullopt);
}

// A copied portable folder's entry is made to name the program where it now is; an entry that
// names it already, the program's arguments and the actions' groups stay as they are.
TEST(PortableEntry, FollowsTheProgramFolder) {
    const std::string built =
        "[Desktop Entry]\nName=Keymint\nExec=\"/old place/keymint\"\nIcon=/old place/keymint.png\n"
        "[Desktop Action New]\nExec=/elsewhere/tool\n";
    auto followed =
        platform::posix::entry_following(built, "/new $place/keymint", "/new $place/keymint.png");
    ASSERT_TRUE(followed);
    EXPECT_EQ(*followed,
              "[Desktop Entry]\nName=Keymint\nExec=\"/new \\\\$place/keymint\"\n"
              "Icon=/new $place/keymint.png\n[Desktop Action New]\nExec=/elsewhere/tool\n");
    EXPECT_EQ(platform::posix::arguments_from_exec(
                  platform::posix::parse_entry(*followed).exec.value_or("")),
              std::vector<std::string>{"/new $place/keymint"});
    EXPECT_FALSE(platform::posix::entry_following(*followed, "/new $place/keymint",
                                                  "/new $place/keymint.png"));
    EXPECT_FALSE(platform::posix::entry_following(
        "[Desktop Entry]\nExec=/p/keymint %U\nIcon=/p/keymint.png\n", "/p/keymint",
        "/p/keymint.png"));
}

TEST_F(PosixStoreTest, AnyProgramPathStartsExactlyThatProgram) {
    for (std::string folder :
         {"/opt/My Tools", "/opt/a\" \"b", "/opt/q\"uote", "/opt/bs\\\"q", "/opt/tail\\",
          "/opt/50%off", "/opt/$HOME", "/opt/`id`", "/opt/new\nline", "/opt/t\tab"}) {
        SCOPED_TRACE(folder);
        FakeProgram there(folder, "keymint", '/');
        ASSERT_TRUE(registry::AutoRun(*registry_, there, 1).ok());
        std::vector<std::string> started = {folder + "/keymint"};
        std::string exec = exec_line();
        EXPECT_EQ(platform::posix::arguments_from_exec(exec), started) << exec;
        EXPECT_EQ(platform::split_command_line(registry::strAutoRunPath(there)), started);
        EXPECT_EQ(registry::AutoRun(*registry_, there), 1);
    }

    fs::remove(entry_file());
    FakeProgram not_utf8("/opt/caf\xe9", "keymint", '/');
    registry::AutoRunChange refused = registry::AutoRun(*registry_, not_utf8, 1);
    EXPECT_NE(refused.error.find("UTF-8"), std::string::npos) << refused.error;
    EXPECT_EQ(refused.state, 0);
    EXPECT_FALSE(fs::exists(entry_file()));
}

TEST_F(PosixStoreTest, AnEntryWhoseLastArgumentEndsInABackslashReadsBack) {
    registry::cRegistry entry(*registry_, program_);
    entry.ClassKey(registry::kHkeyLocalMachine);
    entry.SectionKey(registry::kRunKey);
    entry.ValueKey("keymint");
    entry.ValueType(registry::kRegSz);
    const std::string command = platform::join_command_line({"/opt/tools/keymint", "C:\\dir\\"});
    entry.Value(command);
    EXPECT_EQ(entry.Value(), registry::Variant(command));
}

TEST_F(PosixStoreTest, AnAutostartPlaceThatIsNoFolderOrNoFileIsNamedInTheMessage) {
    struct Case {
        const char* what;
        std::function<void()> spoil;
        fs::path named;
    };
    const Case cases[] = {
        {"the autostart folder is a file", [&] { write_file(home_ / "autostart", "not a folder"); },
         home_ / "autostart"},
        {"the entry is a FIFO",
         [&] {
             fs::create_directories(home_ / "autostart");
             ::mkfifo(entry_file().c_str(), 0600);
         },
         entry_file()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(home_ / "autostart");
        c.spoil();
        registry::AutoRunChange change = registry::AutoRun(*registry_, program_, 1);
        EXPECT_NE(change.error.find("\"" + c.named.string() + "\""), std::string::npos)
            << change.error;
        EXPECT_EQ(change.state, 0);
    }
    fs::remove_all(home_ / "autostart");
}

TEST_F(PosixStoreTest, AnEntryRemovedOrSwitchedOffByTheDesktopReadsAsAbsent) {
    ASSERT_TRUE(registry::AutoRun(*registry_, program_, 1).ok());
    fs::remove(entry_file());
    EXPECT_EQ(registry::AutoRun(*registry_, program_), 0);

    for (const char* switched_off : {"Hidden=true", "X-GNOME-Autostart-enabled=false"}) {
        SCOPED_TRACE(switched_off);
        write_file(entry_file(), std::string("[Desktop Entry]\nType=Application\nName=k\n") +
                                     "Exec=/opt/tools/keymint\n" + switched_off + "\n");
        EXPECT_EQ(registry::AutoRun(*registry_, program_), 0);
        // Ticking again switches it back on.
        ASSERT_TRUE(registry::AutoRun(*registry_, program_, 1).ok());
        EXPECT_EQ(registry::AutoRun(*registry_, program_), 1);
    }
    for (const char* broken :
         {"", "[Desktop Entry]\nName=k\n", "[Desktop Entry]\nExec=\"a\n", "[Other]\nExec=/x\n"}) {
        write_file(entry_file(), broken);
        EXPECT_EQ(registry::AutoRun(*registry_, program_), 0) << broken;
    }
}

TEST_F(PosixStoreTest, RunValuesAreTheFolderEntriesAndRunOnceStaysInTheDatabase) {
    write_file(entry_file("Other App"),
               "[Desktop Entry]\nType=Application\nName=Other\n"
               "Exec=\"/opt/other app/run\" --tray %U\n");
    write_file(home_ / "autostart" / "notes.txt", "not an entry");
    ASSERT_TRUE(registry::AutoRun(*registry_, program_, 1).ok());

    registry::cRegistry run(*registry_, program_);
    run.ClassKey(registry::kHkeyLocalMachine);
    run.SectionKey(registry::kRunKey);
    std::vector<std::string> names;
    std::int32_t count = 0;
    run.EnumerateValues(names, count);
    EXPECT_EQ(names, (std::vector<std::string>{"keymint", "Other App"}));

    run.ValueKey("OTHER APP");
    EXPECT_EQ(run.Value(), registry::Variant(std::string("\"/opt/other app/run\" --tray")));
    EXPECT_TRUE(run.DeleteValue());
    EXPECT_FALSE(fs::exists(entry_file("Other App")));

    run.SectionKey(registry::kRunOnceKey);
    run.ValueKey("keymint");
    run.ValueType(registry::kRegSz);
    run.Value(std::string("/opt/tools/keymint"));
    int entries = 0;
    for (const auto& file : fs::directory_iterator(home_ / "autostart")) {
        entries += file.path().extension() == ".desktop";
    }
    EXPECT_EQ(entries, 1);
    EXPECT_EQ(exec_line(), "/opt/tools/keymint");

    // The Run key is the desktop's folder: it cannot go away.
    run.SectionKey(registry::kRunKey);
    EXPECT_THROW(run.DeleteKey(), registry::RegistryError);
    EXPECT_TRUE(run.KeyExists());
}

TEST_F(PosixStoreTest, TheDatabaseIsCreatedForItsOwnerOnly) {
    registry::cRegistry object(*registry_, program_);
    object.ClassKey(registry::kHkeyLocalMachine);
    object.SectionKey("Software\\KeymintTest");
    EXPECT_TRUE(object.CreateKey());
    ASSERT_TRUE(fs::exists(database()));
    EXPECT_EQ(fs::status(database().parent_path()).permissions() & fs::perms::all,
              fs::perms::owner_all);
}

TEST_F(PosixStoreTest, TwoProcessesWritingAtOnceLoseNothing) {
    constexpr int kWriters = 2;
    constexpr int kValues = 60;
    registry_.reset();
    std::vector<pid_t> children;
    for (int writer = 0; writer < kWriters; ++writer) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            int failures = 0;
            {
                auto own = platform::posix::make_user_registry(home_);
                registry::cRegistry object(*own, program_);
                object.ClassKey(registry::kHkeyLocalMachine);
                object.ValueType(registry::kRegDword);
                for (int i = 0; i < kValues; ++i) {
                    object.SectionKey("Software\\KeymintTest\\shared\\k" + std::to_string(i % 7));
                    object.ValueKey("w" + std::to_string(writer) + "-" + std::to_string(i));
                    try {
                        object.Value(std::int32_t{i});
                    } catch (const registry::RegistryError&) {
                        ++failures;
                    }
                }
            }
            ::_exit(failures == 0 ? 0 : 1);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    registry_ = platform::posix::make_user_registry(home_);
    registry::cRegistry object(*registry_, program_);
    object.ClassKey(registry::kHkeyLocalMachine);
    int total = 0;
    for (int k = 0; k < 7; ++k) {
        object.SectionKey("Software\\KeymintTest\\shared\\k" + std::to_string(k));
        std::vector<std::string> names;
        std::int32_t count = 0;
        object.EnumerateValues(names, count);
        total += count;
    }
    EXPECT_EQ(total, kWriters * kValues);
}

TEST_F(PosixStoreTest, ALockedDatabaseFailsWritesWithoutHangingAndRecovers) {
    SqliteRegistry store(database(), 50);
    registry::cRegistry object(store, program_);
    object.ClassKey(registry::kHkeyLocalMachine);
    object.SectionKey("Software\\KeymintTest");
    object.ValueKey("v");
    object.ValueType(registry::kRegSz);
    object.Value(std::string("before"));

    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(database().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    try {
        object.Value(std::string("during"));
        ADD_FAILURE() << "a write went through a held lock";
    } catch (const registry::RegistryError& error) {
        EXPECT_EQ(error.cause(), reg::kLockViolation);
        EXPECT_NE(store.describe(error.cause()).find(database().string()), std::string::npos);
    }
    object.Default(std::string("?"));
    registry::Variant during = object.Value();
    EXPECT_TRUE(during == registry::Variant(std::string("before")) ||
                during == registry::Variant(std::string("?")));
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);

    object.Value(std::string("after"));
    EXPECT_EQ(object.Value(), registry::Variant(std::string("after")));
}

TEST_F(PosixStoreTest, ADamagedDatabaseAnswersAsMissingAndAutostartStillWorks) {
    for (const std::string& damage :
         {std::string(4096, '\x5A'),
          std::string("SQLite format 3\0", 16) + std::string(200, 'x')}) {
        SCOPED_TRACE(damage.size());
        registry_.reset();
        for (const char* suffix : {"", "-wal", "-shm"}) {
            fs::remove(database().string() + suffix);
        }
        write_file(database(), damage);
        registry_ = platform::posix::make_user_registry(home_);
        registry::cRegistry object(*registry_, program_);
        object.ClassKey(registry::kHkeyLocalMachine);
        object.SectionKey("Software\\KeymintTest");
        object.ValueKey("v");
        object.Default(std::int16_t{-1});
        EXPECT_FALSE(object.KeyExists());
        EXPECT_EQ(object.Value(), registry::Variant(std::int16_t{-1}));
        std::vector<std::string> names;
        std::int32_t count = 0;
        EXPECT_TRUE(object.EnumerateSections(names, count));
        EXPECT_EQ(count, 0);
        object.ValueType(registry::kRegSz);
        try {
            object.Value(std::string("x"));
            ADD_FAILURE() << "a write into a damaged database succeeded";
        } catch (const registry::RegistryError& error) {
            EXPECT_EQ(error.number(), registry::kKeyError);
            EXPECT_EQ(error.cause(), reg::kBadDb);
        }
        EXPECT_EQ(read_file(database()), damage);

        EXPECT_TRUE(registry::AutoRun(*registry_, program_, 1).ok());
        EXPECT_EQ(registry::AutoRun(*registry_, program_), 1);
        EXPECT_TRUE(registry::AutoRun(*registry_, program_, 0).ok());

        // Once the file is gone the same store starts a new one.
        fs::remove(database());
        object.Value(std::string("x"));
        EXPECT_EQ(object.Value(), registry::Variant(std::string("x")));
    }
}

TEST_F(PosixStoreTest, RowsOfUnexpectedKindsReadAsMissing) {
    registry::cRegistry object(*registry_, program_);
    object.ClassKey(registry::kHkeyLocalMachine);
    object.SectionKey("Software\\KeymintTest");
    object.ValueKey("v");
    object.ValueType(registry::kRegSz);
    object.Value(std::string("x"));
    object.Default(std::string("?"));

    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(database().c_str(), &raw), SQLITE_OK);
    for (const char* damage : {"UPDATE vals SET type = 'one'", "UPDATE vals SET type = 1.5",
                               "UPDATE vals SET type = 1, data = 42"}) {
        SCOPED_TRACE(damage);
        ASSERT_EQ(sqlite3_exec(raw, damage, nullptr, nullptr, nullptr), SQLITE_OK);
        EXPECT_EQ(object.Value(), registry::Variant(std::string("?")));
    }
    ASSERT_EQ(
        sqlite3_exec(raw, "UPDATE vals SET type = -1, data = x'0102'", nullptr, nullptr, nullptr),
        SQLITE_OK);
    EXPECT_EQ(object.Value(), registry::Variant(registry::ByteArray{1, 2, 0}));
    EXPECT_EQ(object.ValueType(), -1);  // 0xFFFFFFFF
    sqlite3_close(raw);
}

}  // namespace
}  // namespace registry_test
