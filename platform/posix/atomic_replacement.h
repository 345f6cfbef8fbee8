#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/posix/file_io.h"

namespace platform::posix {

// The one way this program rewrites a file. The new contents go to a temporary file created
// exclusively, under an unpredictable name, in the folder of the file (of the file a link points
// to, so the link survives); commit() flushes it, renames it over the file and flushes the folder.
// Temporary files that an interrupted run left beside the file are removed first. A read-only
// file is refused at once.
class AtomicReplacement : public Replacement {
  public:
    // `new_mode` is the mode of a file that does not exist yet; an existing one keeps its own.
    AtomicReplacement(const std::string& path, mode_t new_mode);
    ~AtomicReplacement() override;
    AtomicReplacement(const AtomicReplacement&) = delete;
    AtomicReplacement& operator=(const AtomicReplacement&) = delete;

    void write(std::string_view bytes) override;
    void commit() override;

  private:
    void put(std::string_view bytes);
    [[noreturn]] void abandon(const std::string& what, int error);

    std::string path_;    // as the caller named it, for messages
    std::string target_;  // the file that is really replaced
    std::string temporary_;
    Descriptor file_;
    std::string buffer_;
};

}  // namespace platform::posix
