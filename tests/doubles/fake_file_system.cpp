#include "fake_file_system.h"

#include <algorithm>
#include <cstring>

namespace doubles {
namespace {

[[noreturn]] void fail(const std::string& what, const std::string& path, const char* reason) {
    throw platform::FileError(what + " \"" + path + "\": " + reason + ".");
}

platform::FileStamp stamp_of(const FakeFileSystem::File& file) {
    return {1, file.inode, file.contents.size(), file.modified_ns, 0};
}

}  // namespace

class FakeAppendFile : public platform::AppendFile {
  public:
    FakeAppendFile(FakeFileSystem& owner, std::string path,
                   std::shared_ptr<FakeFileSystem::File> file)
        : owner_(owner), path_(std::move(path)), file_(std::move(file)) {}

    std::string tail(std::size_t count) override {
        const std::string& contents = file_->contents;
        return contents.substr(contents.size() - std::min(count, contents.size()));
    }

    void write(std::string_view bytes) override {
        owner_.reserve(path_, bytes.size());
        file_->contents += bytes;
        owner_.touched(*file_);
    }

    platform::FileStamp stamp() override { return stamp_of(*file_); }
    // Every change moves the clock already.
    std::optional<platform::FileStamp> seal() override { return stamp(); }

    std::size_t read_as_stored(std::uint64_t offset, char* buffer, std::size_t count) override {
        const std::string& contents = file_->contents;
        const std::string_view rest =
            std::string_view(contents).substr(std::min<std::size_t>(offset, contents.size()));
        return rest.copy(buffer, std::min(count, rest.size()));
    }

  private:
    FakeFileSystem& owner_;
    std::string path_;
    std::shared_ptr<FakeFileSystem::File> file_;
};

class FakeReadFile : public platform::ReadFile {
  public:
    FakeReadFile(std::shared_ptr<FakeFileSystem::File> file, std::size_t chunk)
        : file_(std::move(file)), chunk_(chunk) {}

    std::size_t read(char* buffer, std::size_t count) override {
        const std::string& contents = file_->contents;
        std::size_t take =
            std::min({count, chunk_, contents.size() - std::min(position_, contents.size())});
        std::memcpy(buffer, contents.data() + position_, take);
        position_ += take;
        return take;
    }
    void seek(std::uint64_t offset) override { position_ = static_cast<std::size_t>(offset); }
    platform::FileStamp stamp() override { return stamp_of(*file_); }

  private:
    std::shared_ptr<FakeFileSystem::File> file_;
    std::size_t chunk_;
    std::size_t position_ = 0;
};

class FakeReplacement : public platform::Replacement {
  public:
    FakeReplacement(FakeFileSystem& owner, std::string path, platform::FileAccess access)
        : owner_(owner), path_(std::move(path)), access_(access) {}

    void write(std::string_view bytes) override {
        owner_.reserve(path_, pending_.size() + bytes.size());
        pending_ += bytes;
    }

    void commit() override {
        auto& slot = owner_.files_[path_];
        auto access = slot ? slot->access : access_;
        slot = owner_.make_file(pending_, access);
    }

  private:
    FakeFileSystem& owner_;
    std::string path_;
    platform::FileAccess access_;
    std::string pending_;
};

void FakeFileSystem::put(const std::string& path, const std::string& contents, bool read_only) {
    auto file = make_file(contents, platform::FileAccess::Normal);
    file->read_only = read_only;
    files_[path] = file;
}

const std::string& FakeFileSystem::contents_of(const std::string& path) const {
    return find("Could not read", path)->contents;
}

std::shared_ptr<FakeFileSystem::File> FakeFileSystem::find(const std::string& what,
                                                           const std::string& path) const {
    auto found = files_.find(path);
    if (found == files_.end()) {
        fail(what, path, "No such file or directory");
    }
    return found->second;
}

std::shared_ptr<FakeFileSystem::File> FakeFileSystem::make_file(const std::string& contents,
                                                                platform::FileAccess access) {
    auto file = std::make_shared<File>();
    file->contents = contents;
    file->access = access;
    file->inode = next_inode_++;
    touched(*file);
    return file;
}

void FakeFileSystem::reserve(const std::string& path, std::size_t extra) const {
    std::size_t used = 0;
    for (const auto& [name, file] : files_) {
        used += file->contents.size();
    }
    if (used > capacity || extra > capacity - used) {
        fail("Could not write to", path, "No space left on device");
    }
}

bool FakeFileSystem::exists(const std::string& path) {
    return files_.count(path) != 0;
}

std::string FakeFileSystem::read_all(const std::string& path) {
    ++reads;
    return find("Could not open", path)->contents;
}

void FakeFileSystem::touch(const std::string& path, platform::FileAccess access) {
    if (!exists(path)) {
        files_[path] = make_file("", access);
    }
}

void FakeFileSystem::create(const std::string& path, std::string_view contents,
                            platform::FileAccess access) {
    auto found = files_.find(path);
    if (found != files_.end() && found->second->read_only) {
        fail("Could not write to", path, "Permission denied");
    }
    reserve(path, contents.size());
    files_[path] = make_file(std::string(contents), access);
}

std::unique_ptr<platform::AppendFile> FakeFileSystem::open_for_append(const std::string& path) {
    if (files_.count(path) == 0) {
        files_[path] = make_file("", platform::FileAccess::OwnerOnly);
    }
    auto file = find("Could not open", path);
    if (file->read_only) {
        fail("Could not open", path, "Permission denied");
    }
    return std::make_unique<FakeAppendFile>(*this, path, file);
}

platform::FileStamp FakeFileSystem::stamp(const std::string& path) {
    return stamp_of(*find("Could not read the attributes of", path));
}

std::unique_ptr<platform::ReadFile> FakeFileSystem::open_for_read(const std::string& path) {
    ++reads;
    return std::make_unique<FakeReadFile>(find("Could not open", path), read_chunk);
}

std::unique_ptr<platform::ReadFile> FakeFileSystem::open_as_stored(const std::string& path) {
    return open_for_read(path);
}

std::unique_ptr<platform::Replacement> FakeFileSystem::begin_replace(const std::string& path,
                                                                     platform::FileAccess access) {
    auto found = files_.find(path);
    if (found != files_.end() && found->second->read_only) {
        throw platform::FileError("The file \"" + path + "\" is read-only, so it was not changed.");
    }
    return std::make_unique<FakeReplacement>(*this, path, access);
}

void FakeFileSystem::make_writable(const std::string& path) {
    find("Could not read the attributes of", path)->read_only = false;
}

}  // namespace doubles
