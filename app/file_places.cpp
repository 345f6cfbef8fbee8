#include "app/file_places.h"

namespace app {

FilePlaces::FilePlaces(const platform::ProgramInfo& program, platform::FileSystem& files)
    : program_(program), data_folder_(program.folder()) {
    // An installer's folder is the installer's to change: a per-user install may be writable,
    // yet an update or an uninstall must never meet the user's records there.
    if (files.folder_writable(data_folder_) && !files.exists(program.path_of(kInstalledMark))) {
        return;
    }
    // Without a per-user folder the program folder stays, and start-up says it cannot be written.
    std::string user_folder = program.user_data_folder();
    if (!user_folder.empty()) {
        data_folder_ = user_folder;
        per_user_ = true;
    }
}

std::string FilePlaces::data_file(const std::string& name) const {
    return program_.join(data_folder_, name);
}

std::string FilePlaces::language_file(const std::string& name) const {
    return program_.join(program_.path_of("Language"), name);
}

void FilePlaces::prepare(platform::FileSystem& files) const {
    if (per_user_) {
        files.make_private_folder(data_folder_);
    }
}

}  // namespace app
