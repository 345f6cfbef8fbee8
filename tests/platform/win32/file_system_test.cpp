#include "platform/win32/win32_file_system.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/records_file.h"
#include "app/records_index.h"
#include "doubles.h"

namespace {

std::size_t entries_in(const std::string& folder) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                                  std::filesystem::directory_iterator()));
}

class Win32FileSystemTest : public ::testing::Test {
  protected:
    doubles::TempFolder folder;
    platform::win32::Win32FileSystem files;
    std::string path = folder.file("data.txt");
};

TEST_F(Win32FileSystemTest, FilesHoldTheAnsiCodePageAndKeepTheirLineEnds) {
    struct Case {
        const char* utf8;
        const char* ansi;
        UINT code_page;  // 0: every Western and Turkish code page
    };
    const Case cases[] = {
        {"a\r\nb\n", "a\r\nb\n", 0},
        {"\xC2\xA3 \xE2\x82\xAC", "\xA3 \x80", 0},                       // £ €
        {"\xC5\x9E\xC4\x9F\xC4\xB0\xC4\xB1", "\xDE\xF0\xDD\xFD", 1254},  // Ş ğ İ ı
        {"\xF0\x9F\x98\x80!", "?\?!", 0},  // an emoji: one "?" for each of its UTF-16 halves
    };
    // The Wine run asks for the Turkish code page; make sure it got it.
    if (const char* expected = std::getenv("KEYMINT_TEST_CODE_PAGE")) {
        ASSERT_EQ(::GetACP(), std::stoul(expected));
    }
    for (const Case& c : cases) {
        if (c.code_page != 0 && c.code_page != ::GetACP()) {
            continue;
        }
        files.create(path, c.utf8, platform::FileAccess::Normal);
        EXPECT_EQ(doubles::read_file(path), c.ansi) << c.utf8;
        doubles::write_file(path, c.ansi);
        if (std::string(c.ansi).find('?') == std::string::npos) {
            EXPECT_EQ(files.read_all(path), c.utf8);
        }
    }
}

TEST_F(Win32FileSystemTest, ReplaceSwapsTheContentsInOneStepAndClearsLeftovers) {
    files.create(path, "old", platform::FileAccess::OwnerOnly);
    doubles::write_file(folder.file(".data.txt.tmp0123"), "copy of secrets");
    doubles::write_file(folder.file(".other.txt.tmp1"), "not ours");
    files.replace(path, "new \xE2\x82\xAC", platform::FileAccess::Normal);
    EXPECT_EQ(doubles::read_file(path), "new \x80");
    EXPECT_FALSE(std::filesystem::exists(folder.file(".data.txt.tmp0123")));
    EXPECT_EQ(entries_in(folder.path()), 2u) << "no temporary file of ours is left behind";

    std::string fresh = folder.file("fresh.txt");
    files.replace(fresh, "x", platform::FileAccess::OwnerOnly);
    EXPECT_EQ(doubles::read_file(fresh), "x");
}

TEST_F(Win32FileSystemTest, AReadOnlyFileIsNeverReplaced) {
    files.create(path, "keep me", platform::FileAccess::Normal);
    ASSERT_TRUE(::SetFileAttributesW(std::filesystem::path(path).c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_THROW(files.replace(path, "lost", platform::FileAccess::Normal), platform::FileError);
    EXPECT_EQ(doubles::read_file(path), "keep me");
    EXPECT_EQ(entries_in(folder.path()), 1u);

    files.make_writable(path);
    files.replace(path, "changed", platform::FileAccess::Normal);
    EXPECT_EQ(doubles::read_file(path), "changed");
}

TEST_F(Win32FileSystemTest, AppendCreatesAddsAtTheEndAndTailReadsBack) {
    auto file = files.open_for_append(path);
    EXPECT_TRUE(files.exists(path));
    EXPECT_EQ(file->tail(2), "");
    file->write("one\r\n");
    file->write("\xE2\x82\xAC\r\n");
    EXPECT_EQ(file->tail(3), "\xE2\x82\xAC\r\n");
    EXPECT_EQ(file->tail(100), "one\r\n\xE2\x82\xAC\r\n");
    char stored[8] = {};
    EXPECT_EQ(file->read_as_stored(3, stored, sizeof stored), 5u);
    EXPECT_EQ(std::string(stored, 5), "\r\n\x80\r\n");
    EXPECT_EQ(file->stamp().size, 8u);
    auto sealed = file->seal();
    ASSERT_TRUE(sealed.has_value());
    EXPECT_EQ(file->stamp(), *sealed);
    file.reset();
    EXPECT_EQ(doubles::read_file(path), "one\r\n\x80\r\n");
}

// The no-repeat index finds a line by where it lies on disk, where a Turkish letter is one byte,
// not the two it takes in UTF-8.
TEST_F(Win32FileSystemTest, TheRecordsIndexWorksInTheBytesOnDisk) {
    const std::string turkish = "\xC5\x9E\xC4\x9F\xC4\xB0\xC4\xB1";  // Şğİı
    files.create(path, "temppass\r\n" + turkish + "\r\nabcdefgh\r\n", platform::FileAccess::Normal);
    auto locked = files.open_for_append(path);
    app::LockedReader reading(*locked);
    auto index = app::RecordsFile::index(*locked);
    EXPECT_TRUE(index.contains(files.as_stored("abcdefgh"), reading));
    EXPECT_TRUE(index.contains(files.as_stored(turkish), reading));
    EXPECT_FALSE(index.contains(files.as_stored(turkish.substr(2)), reading));

    app::RecordsFile::append(*locked, app::PlainRecords(), "z" + turkish, &index);
    ASSERT_TRUE(index.up_to_date(reading));
    EXPECT_TRUE(index.contains(files.as_stored("z" + turkish), reading));
    EXPECT_TRUE(index.contains(files.as_stored("abcdefgh"), reading));
}

TEST_F(Win32FileSystemTest, ChunkedReadsAndWritesNeverSplitACharacter) {
    std::string euros;
    for (int i = 0; i < 5000; ++i) {
        euros += "\xE2\x82\xAC";
    }
    auto replacement = files.begin_replace(path, platform::FileAccess::Normal);
    for (char byte : euros) {
        replacement->write(std::string_view(&byte, 1));
    }
    replacement->commit();
    EXPECT_EQ(doubles::read_file(path), std::string(5000, '\x80'));

    auto file = files.open_for_read(path);
    std::string text;
    char buffer[2];
    while (std::size_t got = file->read(buffer, sizeof buffer)) {
        text.append(buffer, got);
    }
    EXPECT_TRUE(text == euros) << text.size() << " bytes read";
    file->seek(4999);  // offsets count the bytes on disk
    EXPECT_EQ(file->read(buffer, sizeof buffer), 2u);
    EXPECT_EQ(file->read(buffer, sizeof buffer), 1u);
    EXPECT_EQ(file->stamp(), files.stamp(path));
    EXPECT_EQ(files.stamp(path).size, 5000u);

    // Plain ASCII is handed out as it lies; the reads switch between that and converting.
    std::string mixed;
    for (int i = 0; i < 500; ++i) {
        mixed += i % 3 == 0 ? "ab\xE2\x82\xAC" : "abcd";
    }
    files.create(path, mixed, platform::FileAccess::Normal);
    for (std::size_t size : {1u, 3u, 7u, 4096u}) {
        auto again = files.open_for_read(path);
        std::string chunks(size, '\0');
        text.clear();
        while (std::size_t got = again->read(chunks.data(), size)) {
            text.append(chunks.data(), got);
        }
        EXPECT_TRUE(text == mixed) << "chunks of " << size;
    }
}

TEST_F(Win32FileSystemTest, AnUncommittedReplacementLeavesTheFileAsItWas) {
    files.create(path, "old", platform::FileAccess::Normal);
    platform::FileStamp before = files.stamp(path);
    files.begin_replace(path, platform::FileAccess::Normal)->write("new");
    EXPECT_EQ(doubles::read_file(path), "old");
    EXPECT_EQ(entries_in(folder.path()), 1u);
    EXPECT_EQ(files.stamp(path), before);
    files.replace(path, "newer", platform::FileAccess::Normal);
    EXPECT_NE(files.stamp(path).inode, before.inode) << "a new file took the name";
}

TEST_F(Win32FileSystemTest, OnlyFilesOnDiskAreOpened) {
    const wchar_t* pipe_name = L"\\\\.\\pipe\\keymint-test-pipe";
    HANDLE pipe =
        ::CreateNamedPipeW(pipe_name, PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 1, 0, 0, 0, nullptr);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    const std::string pipe_path = "\\\\.\\pipe\\keymint-test-pipe";
    try {
        files.read_all(pipe_path);
        ADD_FAILURE() << "a pipe was read";
    } catch (const platform::FileError& error) {
        EXPECT_NE(std::string(error.what()).find(pipe_path), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find("not a file"), std::string::npos) << error.what();
    }
    ::CloseHandle(pipe);

    EXPECT_THROW(files.create(folder.file("NUL"), "x", platform::FileAccess::Normal),
                 platform::FileError);
    EXPECT_THROW(files.read_all(folder.path()), platform::FileError);
    EXPECT_FALSE(files.exists(folder.path()));
}

TEST_F(Win32FileSystemTest, FailuresNameTheFileAndTheReason) {
    const std::string missing = folder.file("missing\\file.txt");
    try {
        files.read_all(missing);
        ADD_FAILURE() << "a missing file was read";
    } catch (const platform::FileError& error) {
        std::string text = error.what();
        EXPECT_EQ(text.rfind("Could not open \"" + missing + "\": ", 0), 0u) << text;
        EXPECT_GT(text.size(), missing.size() + 20) << "the system's reason follows";
        EXPECT_EQ(text.back(), '.');
    }
}

}  // namespace
