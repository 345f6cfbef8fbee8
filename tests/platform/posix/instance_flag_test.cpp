#include "platform/posix/posix_instance_flag.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "doubles.h"

namespace {

TEST(PosixInstanceFlag, OnlyASecondCopyOfTheSameProgramSeesAPreviousInstance) {
    doubles::TempFolder locks;
    auto first =
        std::make_unique<platform::posix::PosixInstanceFlag>("/opt/a/keymint", locks.path());
    EXPECT_FALSE(first->previous_instance());

    platform::posix::PosixInstanceFlag second("/opt/a/keymint", locks.path());
    EXPECT_TRUE(second.previous_instance());

    platform::posix::PosixInstanceFlag elsewhere("/opt/b/keymint", locks.path());
    EXPECT_FALSE(elsewhere.previous_instance());

    first.reset();
    platform::posix::PosixInstanceFlag after_exit("/opt/a/keymint", locks.path());
    EXPECT_FALSE(after_exit.previous_instance());
}

TEST(PosixInstanceFlag, ALockSomeoneElsePlacedDoesNotStopTheProgram) {
    doubles::TempFolder locks;
    std::string lock_name;
    {
        platform::posix::PosixInstanceFlag probe("/opt/a/keymint", locks.path());
        lock_name = std::filesystem::directory_iterator(locks.path())->path().string();
    }
    std::filesystem::remove(lock_name);
    doubles::TempFolder elsewhere;
    std::string held = elsewhere.file("held");
    int holder = ::open(held.c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    ASSERT_EQ(::symlink(held.c_str(), lock_name.c_str()), 0);

    platform::posix::PosixInstanceFlag flag("/opt/a/keymint", locks.path());
    EXPECT_FALSE(flag.previous_instance());
    ::close(holder);
}

TEST(PosixInstanceFlag, WithoutARuntimeFolderTheLocksLiveInAFolderOfTheUserAlone) {
    doubles::TempFolder cache;
    std::string runtime = std::getenv("XDG_RUNTIME_DIR") ? std::getenv("XDG_RUNTIME_DIR") : "";
    ::unsetenv("XDG_RUNTIME_DIR");
    ::setenv("XDG_CACHE_HOME", cache.path().c_str(), 1);
    std::string folder = platform::posix::PosixInstanceFlag::default_lock_folder();
    if (!runtime.empty()) {
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    }
    ::unsetenv("XDG_CACHE_HOME");

    EXPECT_EQ(folder, cache.file("keymint"));
    struct stat info {};
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

}  // namespace
