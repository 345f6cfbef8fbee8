#include "platform/posix/posix_file_system.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <functional>
#include <thread>

#include "doubles.h"

namespace {

unsigned mode_of(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 0777;
}

std::size_t entries_in(const std::string& folder) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                                  std::filesystem::directory_iterator()));
}

class PosixFileSystemTest : public ::testing::Test {
  protected:
    doubles::TempFolder folder;
    platform::posix::PosixFileSystem files;
    std::string path = folder.file("data.txt");
};

TEST_F(PosixFileSystemTest, ReplaceSwapsTheContentsAndKeepsThePermissions) {
    files.create(path, "old", platform::FileAccess::OwnerOnly);
    EXPECT_EQ(mode_of(path), 0600u);
    files.replace(path, "new contents", platform::FileAccess::Normal);
    EXPECT_EQ(doubles::read_file(path), "new contents");
    EXPECT_EQ(mode_of(path), 0600u);
    EXPECT_EQ(entries_in(folder.path()), 1u) << "no temporary file is left behind";

    std::string fresh = folder.file("fresh.txt");
    files.replace(fresh, "x", platform::FileAccess::OwnerOnly);
    EXPECT_EQ(mode_of(fresh), 0600u);
}

TEST_F(PosixFileSystemTest, AReplacementClearsWhatAnInterruptedOneLeftBehind) {
    files.create(path, "old", platform::FileAccess::OwnerOnly);
    doubles::write_file(folder.file(".data.txt.tmp123456"), "copy of secrets");
    doubles::write_file(folder.file(".other.txt.tmp1"), "not ours");
    files.replace(path, "new", platform::FileAccess::OwnerOnly);
    EXPECT_FALSE(std::filesystem::exists(folder.file(".data.txt.tmp123456")));
    EXPECT_TRUE(std::filesystem::exists(folder.file(".other.txt.tmp1")));
    EXPECT_EQ(doubles::read_file(path), "new");
}

TEST_F(PosixFileSystemTest, AReadOnlyFileIsNeverReplaced) {
    files.create(path, "keep me", platform::FileAccess::Normal);
    ::chmod(path.c_str(), 0444);
    EXPECT_THROW(files.replace(path, "lost", platform::FileAccess::Normal), platform::FileError);
    EXPECT_EQ(doubles::read_file(path), "keep me");
    EXPECT_EQ(entries_in(folder.path()), 1u);

    files.make_writable(path);
    EXPECT_EQ(mode_of(path) & 0200, 0200u);
    files.replace(path, "changed", platform::FileAccess::Normal);
    EXPECT_EQ(doubles::read_file(path), "changed");
}

TEST_F(PosixFileSystemTest, TouchCreatesButNeverTruncates) {
    files.touch(path, platform::FileAccess::Normal);
    EXPECT_EQ(doubles::read_file(path), "");
    doubles::write_file(path, "abc");
    files.touch(path, platform::FileAccess::Normal);
    EXPECT_EQ(doubles::read_file(path), "abc");
    ::chmod(path.c_str(), 0444);
    ::chmod(folder.path().c_str(), 0555);
    EXPECT_NO_THROW(files.touch(path, platform::FileAccess::Normal));
    ::chmod(folder.path().c_str(), 0755);
}

TEST_F(PosixFileSystemTest, FailuresNameTheFileAndTheReason) {
    struct Case {
        const char* what;
        std::function<void()> operation;
        const char* reason;
    };
    std::string missing = folder.file("missing/file.txt");
    const Case cases[] = {
        {"read", [&] { files.read_all(missing); }, "No such file or directory"},
        {"append", [&] { files.open_for_append(missing); }, "No such file"},
        {"create", [&] { files.create(missing, "x", platform::FileAccess::Normal); },
         "No such file"},
        {"replace", [&] { files.replace(missing, "x", platform::FileAccess::Normal); },
         "No such file"},
        {"read a folder", [&] { files.read_all(folder.path()); }, "Is a directory"},
    };
    for (const auto& c : cases) {
        try {
            c.operation();
            ADD_FAILURE() << c.what << ": no error";
        } catch (const platform::FileError& error) {
            std::string message = error.what();
            EXPECT_NE(message.find(c.reason), std::string::npos) << c.what << ": " << message;
            EXPECT_EQ(message.back(), '.') << message;
        }
    }
}

TEST_F(PosixFileSystemTest, ReadsLargeFilesWhole) {
    std::string big(3 * 1024 * 1024 + 7, 'k');
    doubles::write_file(path, big);
    EXPECT_EQ(files.read_all(path), big);
}

TEST_F(PosixFileSystemTest, ReplacesInChunksAndDropsAnUncommittedReplacement) {
    files.create(path, "old", platform::FileAccess::OwnerOnly);
    {
        auto dropped = files.begin_replace(path, platform::FileAccess::OwnerOnly);
        dropped->write("never");
    }
    EXPECT_EQ(doubles::read_file(path), "old");
    EXPECT_EQ(entries_in(folder.path()), 1u);

    std::string big(200 * 1024, 'b');
    auto replacement = files.begin_replace(path, platform::FileAccess::OwnerOnly);
    for (std::string_view chunk :
         {std::string_view("a"), std::string_view(big), std::string_view("c")}) {
        replacement->write(chunk);
    }
    EXPECT_EQ(doubles::read_file(path), "old") << "nothing changes before commit";
    replacement->commit();
    EXPECT_EQ(doubles::read_file(path), "a" + big + "c");
}

TEST_F(PosixFileSystemTest, ReadsInChunksAndStampsTheOpenFile) {
    doubles::write_file(path, "0123456789");
    auto reader = files.open_for_read(path);
    platform::FileStamp opened = reader->stamp();
    EXPECT_EQ(opened, files.stamp(path));
    EXPECT_EQ(opened.size, 10u);

    char buffer[4];
    EXPECT_EQ(reader->read(buffer, 4), 4u);
    reader->seek(8);
    EXPECT_EQ(reader->read(buffer, 4), 2u);
    EXPECT_EQ(std::string(buffer, 2), "89");
    EXPECT_EQ(reader->read(buffer, 4), 0u);

    files.replace(path, "0123456789", platform::FileAccess::Normal);
    EXPECT_NE(files.stamp(path), opened) << "a replacement is another file";
    EXPECT_EQ(reader->stamp().inode, opened.inode);
    EXPECT_THROW(files.stamp(folder.file("absent")), platform::FileError);
}

TEST_F(PosixFileSystemTest, WhatIsNotARegularFileIsRefusedWithoutWaiting) {
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    const std::pair<const char*, std::function<void()>> operations[] = {
        {"read", [&] { files.read_all(path); }},
        {"open for reading", [&] { files.open_for_read(path); }},
        {"append", [&] { files.open_for_append(path); }},
        {"touch", [&] { files.touch(path, platform::FileAccess::Normal); }},
        {"create", [&] { files.create(path, "x", platform::FileAccess::Normal); }},
        {"replace", [&] { files.replace(path, "x", platform::FileAccess::Normal); }},
    };
    for (const auto& [what, operation] : operations) {
        try {
            operation();
            ADD_FAILURE() << what << ": no error";
        } catch (const platform::FileError& error) {
            std::string message = error.what();
            EXPECT_NE(message.find("\"" + path + "\": it is not a regular file."),
                      std::string::npos)
                << what << ": " << error.what();
        }
    }
    EXPECT_EQ(entries_in(folder.path()), 1u);
}

TEST_F(PosixFileSystemTest, EveryOperationActsOnTheFileALinkPointsTo) {
    doubles::TempFolder elsewhere;
    std::string target = elsewhere.file("records.dat");
    files.create(target, "first\n", platform::FileAccess::OwnerOnly);
    ASSERT_EQ(::symlink(target.c_str(), path.c_str()), 0);

    files.open_for_append(path)->write("second\n");
    files.replace(path, files.read_all(path) + "third\n", platform::FileAccess::Normal);
    EXPECT_EQ(doubles::read_file(target), "first\nsecond\nthird\n");
    struct stat info {};
    ASSERT_EQ(::lstat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode)) << "the link survives the replacement";
    EXPECT_EQ(mode_of(target), 0600u);
    EXPECT_EQ(entries_in(elsewhere.path()), 1u);
    EXPECT_EQ(files.stamp(path), files.stamp(target));

    ::chmod(target.c_str(), 0400);
    files.make_writable(path);
    EXPECT_EQ(mode_of(target), 0600u);
}

// Runs `body` in a child process that may write at most `limit` bytes to any file, as on a disk
// that fills up; the child's exit code is what `body` returns.
int with_file_size_limit(rlim_t limit, const std::function<int()>& body) {
    pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit cap{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &cap);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
}

TEST_F(PosixFileSystemTest, OnAFullDiskNeitherAppendNorReplaceLeavesAPart) {
    files.create(path, "temppass\r\n", platform::FileAccess::OwnerOnly);
    int appended = with_file_size_limit(16, [&] {
        try {
            files.open_for_append(path)->write("0123456789\r\n");
            return 1;
        } catch (const platform::FileError&) {
            return 0;
        }
    });
    EXPECT_EQ(appended, 0) << "the append must fail";
    EXPECT_EQ(doubles::read_file(path), "temppass\r\n");

    int replaced = with_file_size_limit(16, [&] {
        try {
            files.replace(path, std::string(100, 'x'), platform::FileAccess::OwnerOnly);
            return 1;
        } catch (const platform::FileError&) {
            return 0;
        }
    });
    EXPECT_EQ(replaced, 0) << "the replacement must fail";
    EXPECT_EQ(doubles::read_file(path), "temppass\r\n");
    EXPECT_EQ(entries_in(folder.path()), 1u);
}

}  // namespace

namespace {

// Replacements on one thread while another creates files: the umask in force never changes.
TEST_F(PosixFileSystemTest, ReplacementsNeverLeaveOtherThreadsWithoutTheUmask) {
    const mode_t mask = ::umask(022);
    std::atomic<bool> done{false};
    std::thread replacing([&] {
        for (int i = 0; i < 5000; ++i) {
            files.begin_replace(path, platform::FileAccess::Normal);
        }
        done = true;
    });
    int created = 0, unmasked = 0;
    for (; !done; ++created) {
        const std::string made = folder.file("made" + std::to_string(created % 50));
        ::unlink(made.c_str());
        ::close(::open(made.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666));
        unmasked += mode_of(made) == 0666 ? 1 : 0;
    }
    replacing.join();
    ::umask(mask);
    EXPECT_EQ(unmasked, 0) << "of " << created << " files";
}

// In a folder everyone may write, a records file someone else left there is neither appended to
// nor replaced, and an own file others could read is made private when it is opened.
TEST_F(PosixFileSystemTest, FilesOfAnotherUserAreNotWrittenAndOwnFilesBecomePrivate) {
    ASSERT_EQ(::chmod(folder.path().c_str(), 01777), 0);
    doubles::write_file(path, "temppass\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    const bool as_root = ::geteuid() == 0;
    // As root the file becomes another user's; as an ordinary user it is one's own.
    if (as_root) {
        ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    }
    for (const auto& [name, write] : std::vector<std::pair<std::string, std::function<void()>>>{
             {"append", [&] { files.open_for_append(path)->write("secret\r\n"); }},
             {"replace", [&] { files.replace(path, "secret\r\n", platform::FileAccess::Normal); }},
         }) {
        SCOPED_TRACE(name);
        try {
            write();
            EXPECT_FALSE(as_root) << "written";
            EXPECT_EQ(mode_of(path), 0600u);
        } catch (const platform::FileError& error) {
            EXPECT_TRUE(as_root) << error.what();
            EXPECT_NE(std::string(error.what()).find("belongs to"), std::string::npos)
                << error.what();
            EXPECT_EQ(doubles::read_file(path), "temppass\r\n");
        }
    }
}

// An ordinary user (uid 65534) meets a file that root left, open to everyone, in a shared folder.
TEST_F(PosixFileSystemTest, AnOrdinaryUserDoesNotWriteAFileRootLeftOpen) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to become another user";
    }
    ASSERT_EQ(::chmod(folder.path().c_str(), 01777), 0);
    doubles::write_file(path, "temppass\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
            ::_exit(2);
        }
        try {
            files.open_for_append(path)->write("secret\r\n");
        } catch (const platform::FileError& error) {
            ::_exit(std::string(error.what()).find("belongs to the user \"root\"") !=
                            std::string::npos
                        ? 0
                        : 3);
        }
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    EXPECT_EQ(doubles::read_file(path), "temppass\r\n");
}

}  // namespace
