// INI files that are not what the program would have made: read-only, someone else's, a FIFO, a
// link. Run as an unprivileged user too, since root would get past the permission bits.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "ini/ini_read.h"
#include "ini/ini_write.h"
#include "ini_test_support.h"

namespace ini {
namespace {

using testing::TempFolder;

struct FileCase {
    const char* name;
    // Makes the file at the path; returns the path whose contents the write must change, or ""
    // when the write must be refused.
    std::function<std::string(const TempFolder&, const std::string&)> make;
    const char* read;           // what ReadIni must give, or nullptr when it must fail
    const char* error_mention;  // in the error of a refused write
};

const std::string kContents = "[Default]\r\nCopy=Kopyala\r\n";

std::string read_only(const TempFolder&, const std::string& path) {
    testing::write_bytes(path, kContents);
    testing::make_read_only(path);
    return path;
}

std::string someone_elses(const TempFolder&, const std::string& path) {
    testing::write_bytes(path, kContents);
    testing::make_read_only(path);
    if (::geteuid() == 0) {
        EXPECT_EQ(::chown(path.c_str(), 65534, 65534), 0);
        return "";
    }
    return path;  // an unprivileged user's own file: made writable as intended
}

std::string fifo(const TempFolder&, const std::string& path) {
    EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
    return "";
}

std::string link_elsewhere(const TempFolder& folder, const std::string& path) {
    std::string target = folder.file("real.ini");
    testing::write_bytes(target, kContents);
    EXPECT_EQ(::symlink(target.c_str(), path.c_str()), 0);
    return target;
}

TEST(IniFiles, HostileFilesAreReadWhereTheyCanBeAndNeverHangOrSplit) {
    const FileCase cases[] = {
        {"read-only", read_only, "Kopyala", ""},
        {"someone else's", someone_elses, "Kopyala", "belongs to the user"},
        {"FIFO", fifo, nullptr, "not a regular file"},
        {"link", link_elsewhere, "Kopyala", ""},
    };
    for (const FileCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const std::string path = folder.file("keymint.ini");
        const std::string written = c.make(folder, path);
        platform::posix::PosixFileSystem files;

        if (c.read != nullptr) {
            EXPECT_EQ(ReadIni(files, path, "Default", "Copy"), c.read);
        } else {
            EXPECT_THROW(ReadIni(files, path, "Default", "Copy"), platform::FileError);
        }
        try {
            WriteIni(files, path, "Default", "Copy", "Copy");
            ASSERT_FALSE(written.empty()) << "the write was not refused";
            EXPECT_EQ(testing::read_bytes(written), "[Default]\r\nCopy=Copy\r\n");
        } catch (const platform::FileError& error) {
            std::string message = error.what();
            EXPECT_TRUE(written.empty()) << message;
            EXPECT_NE(message.find(c.error_mention), std::string::npos) << message;
            EXPECT_EQ(message.find("create"), std::string::npos) << message;
        }
        struct stat info {};
        EXPECT_EQ(::lstat(path.c_str(), &info), 0);
        EXPECT_EQ(S_ISLNK(info.st_mode), std::string(c.name) == "link") << "a link stays a link";
    }
}

}  // namespace
}  // namespace ini
