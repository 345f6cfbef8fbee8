#include "platform/posix/posix_instance_flag.h"

#include <gtest/gtest.h>

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

}  // namespace
