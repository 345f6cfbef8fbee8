#pragma once

#include <string>

#include "platform/file_system.h"
#include "platform/program_info.h"

namespace app {

// The file an installer leaves beside the program: the folder counts as installed, not portable.
inline constexpr const char* kInstalledMark = "installed.txt";

// Where the program's files are. A program folder the user may write, without an installer's
// mark, is portable and holds everything; an installed one only provides the language files, and
// the user's records and settings go to the user's data folder.
class FilePlaces {
  public:
    FilePlaces(const platform::ProgramInfo& program, platform::FileSystem& files);

    // The folder of the records file and the settings file.
    const std::string& data_folder() const { return data_folder_; }
    std::string data_file(const std::string& name) const;
    std::string language_file(const std::string& name) const;
    // Creates the user's data folder when the program keeps its files there; throws
    // platform::FileError when it cannot.
    void prepare(platform::FileSystem& files) const;

  private:
    const platform::ProgramInfo& program_;
    std::string data_folder_;
    bool per_user_ = false;
};

}  // namespace app
