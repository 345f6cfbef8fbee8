#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/posix/registry_answers.h"

namespace platform::posix {
namespace {

constexpr std::size_t kMaxKeyNameLength = 255;

}  // namespace

reg::Result answer_query(std::uint32_t stored_type, std::string_view stored, std::uint32_t* type,
                         std::uint8_t* data, std::uint32_t* size) {
    if (data != nullptr && size == nullptr) {
        return reg::kInvalidParameter;
    }
    if (stored.size() > UINT32_MAX) {
        return reg::kBadDb;
    }
    auto needed = static_cast<std::uint32_t>(stored.size());
    if (type != nullptr) {
        *type = stored_type;
    }
    if (size == nullptr) {
        return reg::kSuccess;
    }
    if (data != nullptr) {
        if (*size < needed) {
            *size = needed;
            return reg::kMoreData;
        }
        if (needed > 0) {
            std::memcpy(data, stored.data(), needed);
        }
    }
    *size = needed;
    return reg::kSuccess;
}

std::uint32_t expand_environment(std::string_view source, char* destination, std::uint32_t size) {
    // Follows Windows: %NAME% of a defined variable is replaced; anything else, including "%%"
    // and an unknown or unterminated reference, is copied as it stands.
    std::string out;
    std::size_t at = 0;
    while (at < source.size()) {
        std::size_t percent = source.find('%', at);
        if (percent == std::string_view::npos) {
            out.append(source.substr(at));
            break;
        }
        out.append(source.substr(at, percent - at));
        std::size_t end = source.find('%', percent + 1);
        if (end == std::string_view::npos) {
            out.append(source.substr(percent));
            break;
        }
        std::string name(source.substr(percent + 1, end - percent - 1));
        const char* value = name.empty() || name.find('=') != std::string::npos
                                ? nullptr
                                : std::getenv(name.c_str());
        if (value != nullptr) {
            out.append(value);
        } else {
            out.append(source.substr(percent, end - percent + 1));
        }
        at = end + 1;
    }
    if (out.size() >= UINT32_MAX) {
        return 0;
    }
    auto needed = static_cast<std::uint32_t>(out.size() + 1);
    if (destination != nullptr && size >= needed) {
        std::memcpy(destination, out.c_str(), needed);
    }
    return needed;
}

reg::Result split_key_path(std::string_view path, std::vector<std::string>* parts) {
    parts->clear();
    if (!path.empty() && path.front() == '\\') {
        return reg::kBadPathname;
    }
    std::size_t at = 0;
    while (at <= path.size()) {
        std::size_t slash = path.find('\\', at);
        if (slash == std::string_view::npos) {
            slash = path.size();
        }
        std::string_view part = path.substr(at, slash - at);
        if (part.size() > kMaxKeyNameLength) {
            return reg::kInvalidParameter;
        }
        if (!part.empty()) {
            parts->emplace_back(part);
        }
        at = slash + 1;
    }
    return reg::kSuccess;
}

std::string describe_result(reg::Result result) {
    switch (result) {
        case reg::kSuccess:
            return "The operation completed successfully.";
        case reg::kFileNotFound:
            return "The system cannot find the file specified.";
        case reg::kAccessDenied:
            return "Access is denied.";
        case reg::kInvalidHandle:
            return "The handle is invalid.";
        case reg::kInvalidData:
            return "The data is invalid.";
        case reg::kWriteProtect:
            return "The media is write protected.";
        case reg::kLockViolation:
            return "The settings database is in use by another program; try again in a moment.";
        case reg::kInvalidParameter:
            return "The parameter is incorrect.";
        case reg::kDiskFull:
            return "There is not enough space on the disk.";
        case reg::kInvalidName:
            return "The file name, directory name, or volume label syntax is incorrect.";
        case reg::kBadPathname:
            return "The specified path is invalid.";
        case reg::kMoreData:
            return "More data is available.";
        case reg::kNoMoreItems:
            return "No more data is available.";
        case reg::kBadDb:
            return "The settings database is damaged.";
        case reg::kCantOpen:
            return "The settings database could not be opened.";
        case reg::kCantRead:
        case reg::kCantWrite:
        case reg::kRegistryIoFailed:
            return "The settings database could not be read or written.";
        case reg::kKeyDeleted:
            return "The key has been deleted.";
        case reg::kNoUnicodeTranslation:
            return "The text is not valid UTF-8.";
        default:
            return "Error " + std::to_string(result) + ".";
    }
}

reg::Result from_errno(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return reg::kFileNotFound;
        case EACCES:
        case EPERM:
            return reg::kAccessDenied;
        case EROFS:
            return reg::kWriteProtect;
        case ENOSPC:
        case EDQUOT:
            return reg::kDiskFull;
        case ENAMETOOLONG:
            return reg::kInvalidName;
        default:
            return reg::kCantWrite;
    }
}

}  // namespace platform::posix
