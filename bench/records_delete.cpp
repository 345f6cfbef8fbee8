// Our selective delete as a small program of its own, timed against grep -vixF, sync and mv. With
// no arguments it only starts and ends, which gives its memory at rest.
#include <cstdio>

#include "app/records_file.h"
#include "platform/posix/posix_file_system.h"

int main(int argc, char** argv) {
    if (argc == 1) {
        return 0;
    }
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s [FILE TEXT]\n", argv[0]);
        return 2;
    }
    try {
        platform::posix::PosixFileSystem files;
        app::RecordsFile(files, argv[1]).delete_matching(argv[2]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
