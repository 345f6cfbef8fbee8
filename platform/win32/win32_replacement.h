#pragma once

#include <string>

#include "platform/file_system.h"
#include "platform/win32/win32_file_io.h"

namespace platform::win32 {

// A new version of a file, written to a temporary file with an unpredictable name beside it
// (beside the file a link points to) and swapped in by commit(). Windows keeps no owner-only
// mode bits: a new file gets the folder's inherited access rights, a replaced one keeps its own.
class Win32Replacement : public Replacement {
  public:
    explicit Win32Replacement(std::string path);
    ~Win32Replacement() override;
    Win32Replacement(const Win32Replacement&) = delete;
    Win32Replacement& operator=(const Win32Replacement&) = delete;

    void write(std::string_view bytes) override;
    void commit() override;

  private:
    [[noreturn]] void discard(const char* what, DWORD error);

    std::string path_;
    std::string target_;
    std::string temporary_;
    Handle file_;
    std::string carry_;  // the start of a character split between two writes
    bool existed_ = false;
    bool committed_ = false;
};

}  // namespace platform::win32
