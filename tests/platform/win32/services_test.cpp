#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "platform/win32/win32_instance_flag.h"
#include "platform/win32/win32_program_info.h"
#include "platform/win32/win32_text_encoding.h"

namespace {

TEST(Win32InstanceFlag, OnlyASecondCopyOfTheSameProgramSeesAPreviousInstance) {
    auto first = std::make_unique<platform::win32::Win32InstanceFlag>("C:\\Apps\\A\\keymint.exe");
    EXPECT_FALSE(first->previous_instance());

    auto second = std::make_unique<platform::win32::Win32InstanceFlag>("c:\\apps\\a\\KEYMINT.EXE");
    EXPECT_TRUE(second->previous_instance()) << "paths compare without regard to case";

    platform::win32::Win32InstanceFlag elsewhere("C:\\Apps\\B\\keymint.exe");
    EXPECT_FALSE(elsewhere.previous_instance());

    first.reset();
    second.reset();
    platform::win32::Win32InstanceFlag after_exit("C:\\Apps\\A\\keymint.exe");
    EXPECT_FALSE(after_exit.previous_instance()) << "the flag goes with the last copy";
}

TEST(Win32ProgramInfo, NamesTheRunningExecutable) {
    platform::win32::Win32ProgramInfo program;
    EXPECT_EQ(program.base_name(), "win32_tests");
    EXPECT_EQ(program.path_of("win32_tests.exe"), program.executable());
    EXPECT_NE(program.folder().back(), '\\');
}

TEST(Win32TextEncoding, HoldsOnlyWhatTheCodePageHolds) {
    platform::win32::Win32TextEncoding encoding;
    struct Case {
        const char* code_point;
        bool encodable;
    };
    const Case cases[] = {
        {"a", true},
        {"?", true},
        {"\xE2\x82\xAC", true},       // €
        {"\xC2\xA3", true},           // £
        {"\xF0\x9F\x98\x80", false},  // an emoji
        {"\xD0\x96", false},          // Cyrillic Zhe
        {"\xE2\x84\xAA", false},      // Kelvin sign: would become "K" by best fit
    };
    for (const Case& c : cases) {
        EXPECT_EQ(encoding.can_encode(c.code_point), c.encodable) << c.code_point;
    }
    if (::GetACP() == 1254) {
        EXPECT_TRUE(encoding.can_encode("\xC4\xB1"));  // ı
    }
}

}  // namespace
