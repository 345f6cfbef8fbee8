#pragma once

#include <windows.h>

#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

namespace program::win32 {

// Standard output or error of a program built for the window system, which Windows starts
// without a console. Text goes where it was sent from: to the redirected file or pipe, in the
// ANSI code page with CR LF, or else to the console of the command prompt that started the
// program, as it is. Nothing is attached until something is written.
class StandardOutput : public std::streambuf {
  public:
    explicit StandardOutput(DWORD which) : which_(which) {}
    ~StandardOutput() override { sync(); }

  protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

  private:
    HANDLE target();
    void write(std::string_view utf8);

    DWORD which_;
    HANDLE handle_ = nullptr;
    bool looked_ = false;
    std::string pending_;
};

// The command line's arguments in UTF-8.
class Arguments {
  public:
    Arguments();
    int count() const { return static_cast<int>(pointers_.size()) - 1; }
    const char* const* values() const { return pointers_.data(); }

  private:
    std::vector<std::string> values_;
    std::vector<const char*> pointers_;
};

}  // namespace program::win32
