#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// The Windows registry as the "A" functions of advapi32 and kernel32 present it: same
// arguments, same buffer and size rules, same result codes. Names, paths and text data are the
// program's narrow text (UTF-8); a Windows implementation converts them at its edge.
namespace reg {

// A key handle. The predefined roots carry their 32-bit Windows values; handles of opened keys
// are opaque values chosen by the implementation and never collide with the roots.
using Key = std::uint64_t;
using Result = std::int32_t;

inline constexpr Key kClassesRoot = 0x80000000;
inline constexpr Key kCurrentUser = 0x80000001;
inline constexpr Key kLocalMachine = 0x80000002;
inline constexpr Key kUsers = 0x80000003;
inline constexpr Key kPerformanceData = 0x80000004;
inline constexpr Key kCurrentConfig = 0x80000005;
inline constexpr Key kDynData = 0x80000006;

// Data types.
inline constexpr std::uint32_t kNone = 0;
inline constexpr std::uint32_t kSz = 1;
inline constexpr std::uint32_t kExpandSz = 2;
inline constexpr std::uint32_t kBinary = 3;
inline constexpr std::uint32_t kDword = 4;
inline constexpr std::uint32_t kDwordBigEndian = 5;
inline constexpr std::uint32_t kLink = 6;
inline constexpr std::uint32_t kMultiSz = 7;

// Access rights.
inline constexpr std::uint32_t kQueryValue = 0x0001;
inline constexpr std::uint32_t kSetValue = 0x0002;
inline constexpr std::uint32_t kCreateSubKey = 0x0004;
inline constexpr std::uint32_t kEnumerateSubKeys = 0x0008;
inline constexpr std::uint32_t kNotify = 0x0010;
inline constexpr std::uint32_t kCreateLink = 0x0020;
inline constexpr std::uint32_t kAllKeyRights = 0x003F;  // the six above, no standard rights

// Key creation options and dispositions.
inline constexpr std::uint32_t kOptionNonVolatile = 0;
inline constexpr std::uint32_t kCreatedNewKey = 1;
inline constexpr std::uint32_t kOpenedExistingKey = 2;

// Result codes (Win32 error numbers).
inline constexpr Result kSuccess = 0;
inline constexpr Result kFileNotFound = 2;
inline constexpr Result kAccessDenied = 5;
inline constexpr Result kInvalidHandle = 6;
inline constexpr Result kInvalidData = 13;
inline constexpr Result kWriteProtect = 19;
inline constexpr Result kLockViolation = 33;
inline constexpr Result kInvalidParameter = 87;
inline constexpr Result kDiskFull = 112;
inline constexpr Result kInvalidName = 123;
inline constexpr Result kBadPathname = 161;
inline constexpr Result kMoreData = 234;
inline constexpr Result kNoMoreItems = 259;
inline constexpr Result kNoAccess = 998;
inline constexpr Result kBadDb = 1009;
inline constexpr Result kBadKey = 1010;
inline constexpr Result kCantOpen = 1011;
inline constexpr Result kCantRead = 1012;
inline constexpr Result kCantWrite = 1013;
inline constexpr Result kRegistryIoFailed = 1016;
inline constexpr Result kNoUnicodeTranslation = 1113;
inline constexpr Result kKeyDeleted = 1018;

// SECURITY_ATTRIBUTES; only its absence or presence matters here.
struct SecurityAttributes {
    std::uint32_t length = 0;
    void* security_descriptor = nullptr;
    bool inherit_handle = false;
};

// The outputs of RegQueryInfoKeyA that this program reads. Lengths are in characters without
// the terminator.
struct KeyInfo {
    std::uint32_t sub_keys = 0;
    std::uint32_t max_sub_key_length = 0;
    std::uint32_t max_class_length = 0;
    std::uint32_t values = 0;
    std::uint32_t max_value_name_length = 0;
    std::uint32_t max_value_length = 0;
};

}  // namespace reg

class Registry {
  public:
    virtual ~Registry() = default;

    // RegOpenKeyExA. `sub_key` may be empty to open `key` itself again.
    virtual reg::Result open_key(reg::Key key, std::string_view sub_key, std::uint32_t options,
                                 std::uint32_t access, reg::Key* result) = 0;
    // RegCreateKeyExA: creates every missing level of `sub_key`; an existing key is opened.
    virtual reg::Result create_key(reg::Key key, std::string_view sub_key, std::uint32_t reserved,
                                   std::string_view class_name, std::uint32_t options,
                                   std::uint32_t access, const reg::SecurityAttributes* security,
                                   reg::Key* result, std::uint32_t* disposition) = 0;
    // RegCloseKey. Closing a predefined root succeeds and does nothing.
    virtual reg::Result close_key(reg::Key key) = 0;
    // RegQueryValueExA. With `data` null, only the type and the size in bytes are reported. With
    // a buffer smaller than the stored size the answer is kMoreData and `*size` the stored size.
    virtual reg::Result query_value(reg::Key key, std::string_view name, std::uint32_t* type,
                                    std::uint8_t* data, std::uint32_t* size) = 0;
    // RegSetValueExA: stores `size` bytes from `data` as they are.
    virtual reg::Result set_value(reg::Key key, std::string_view name, std::uint32_t reserved,
                                  std::uint32_t type, const std::uint8_t* data,
                                  std::uint32_t size) = 0;
    // RegDeleteKeyA: a key that still has sub-keys is not deleted (kAccessDenied).
    virtual reg::Result delete_key(reg::Key key, std::string_view sub_key) = 0;
    // RegDeleteValueA.
    virtual reg::Result delete_value(reg::Key key, std::string_view name) = 0;
    // RegEnumValueA. `*name_size` is the buffer's size in characters with room for the
    // terminator; on success it becomes the name's length without it. Past the last value the
    // answer is kNoMoreItems. `type`, `data` and `data_size` may be null.
    virtual reg::Result enum_value(reg::Key key, std::uint32_t index, char* name,
                                   std::uint32_t* name_size, std::uint32_t* type,
                                   std::uint8_t* data, std::uint32_t* data_size) = 0;
    // RegEnumKeyA: the name and its terminator must fit into `name_size` characters, else
    // kMoreData.
    virtual reg::Result enum_key(reg::Key key, std::uint32_t index, char* name,
                                 std::uint32_t name_size) = 0;
    // RegQueryInfoKeyA. `class_name` and `class_size` may both be null.
    virtual reg::Result query_info_key(reg::Key key, char* class_name, std::uint32_t* class_size,
                                       reg::KeyInfo* info) = 0;
    // ExpandEnvironmentStringsA: replaces each %NAME% of a defined variable by its value and
    // answers the size the result needs including its terminator (0 on failure). The result is
    // written only when it fits into `size` characters.
    virtual std::uint32_t expand_environment_strings(std::string_view source, char* destination,
                                                     std::uint32_t size) = 0;

    // A short sentence describing a result code, in the words of the platform.
    virtual std::string describe(reg::Result result) = 0;
};

}  // namespace platform
