#include "platform/win32/win32_registry.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/win32_text.h"

namespace platform::win32 {

namespace {

constexpr DWORD kMaxValueName = 16384;
constexpr DWORD kMaxKeyName = 256;

HKEY to_hkey(reg::Key key) {
    // The predefined roots are 32-bit values that Windows sign-extends to pointer width.
    if (key >= reg::kClassesRoot && key <= reg::kDynData) {
        return reinterpret_cast<HKEY>(
            static_cast<LONG_PTR>(static_cast<LONG>(static_cast<std::uint32_t>(key))));
    }
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(key));
}

reg::Key from_hkey(HKEY key) {
    return static_cast<reg::Key>(reinterpret_cast<ULONG_PTR>(key));
}

bool is_text(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// A value as this layer shows it: text types in UTF-8, everything else as stored.
reg::Result read_value(HKEY key, const std::wstring& name, DWORD* type, std::string* bytes) {
    DWORD size = 0;
    LSTATUS result = ::RegQueryValueExW(key, name.c_str(), nullptr, type, nullptr, &size);
    std::vector<BYTE> buffer;
    while (result == ERROR_SUCCESS || result == ERROR_MORE_DATA) {
        buffer.resize(size + 2);
        size = static_cast<DWORD>(buffer.size());
        result = ::RegQueryValueExW(key, name.c_str(), nullptr, type, buffer.data(), &size);
        if (result == ERROR_SUCCESS) {
            break;
        }
    }
    if (result != ERROR_SUCCESS) {
        return result;
    }
    if (is_text(*type)) {
        std::wstring text(size / sizeof(wchar_t), L'\0');
        std::memcpy(text.data(), buffer.data(), text.size() * sizeof(wchar_t));
        *bytes = narrow(text);
    } else {
        bytes->assign(reinterpret_cast<const char*>(buffer.data()), size);
    }
    return ERROR_SUCCESS;
}

reg::Result answer(DWORD stored_type, const std::string& stored, std::uint32_t* type,
                   std::uint8_t* data, std::uint32_t* size) {
    if (data != nullptr && size == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    if (type != nullptr) {
        *type = stored_type;
    }
    if (size == nullptr) {
        return ERROR_SUCCESS;
    }
    auto needed = static_cast<std::uint32_t>(stored.size());
    if (data != nullptr) {
        if (*size < needed) {
            *size = needed;
            return ERROR_MORE_DATA;
        }
        std::memcpy(data, stored.data(), needed);
    }
    *size = needed;
    return ERROR_SUCCESS;
}

reg::Result copy_name(const std::string& found, char* name, std::uint32_t capacity) {
    if (found.size() >= capacity) {
        return ERROR_MORE_DATA;
    }
    std::memcpy(name, found.c_str(), found.size() + 1);
    return ERROR_SUCCESS;
}

}  // namespace

reg::Result Win32Registry::open_key(reg::Key key, std::string_view sub_key, std::uint32_t options,
                                    std::uint32_t access, reg::Key* result) {
    if (result == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    HKEY opened = nullptr;
    LSTATUS status = ::RegOpenKeyExW(to_hkey(key), wide(sub_key).c_str(), options, access, &opened);
    if (status == ERROR_SUCCESS) {
        *result = from_hkey(opened);
    }
    return status;
}

reg::Result Win32Registry::create_key(reg::Key key, std::string_view sub_key,
                                      std::uint32_t reserved, std::string_view class_name,
                                      std::uint32_t options, std::uint32_t access,
                                      const reg::SecurityAttributes* security, reg::Key* result,
                                      std::uint32_t* disposition) {
    if (result == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    SECURITY_ATTRIBUTES attributes{};
    if (security != nullptr) {
        attributes.nLength = security->length;
        attributes.lpSecurityDescriptor = security->security_descriptor;
        attributes.bInheritHandle = security->inherit_handle;
    }
    std::wstring wide_class = wide(class_name);
    HKEY created = nullptr;
    DWORD created_disposition = 0;
    LSTATUS status = ::RegCreateKeyExW(to_hkey(key), wide(sub_key).c_str(), reserved,
                                       wide_class.empty() ? nullptr : wide_class.data(), options,
                                       access, security != nullptr ? &attributes : nullptr,
                                       &created, &created_disposition);
    if (status == ERROR_SUCCESS) {
        *result = from_hkey(created);
        if (disposition != nullptr) {
            *disposition = created_disposition;
        }
    }
    return status;
}

reg::Result Win32Registry::close_key(reg::Key key) {
    return ::RegCloseKey(to_hkey(key));
}

reg::Result Win32Registry::query_value(reg::Key key, std::string_view name, std::uint32_t* type,
                                       std::uint8_t* data, std::uint32_t* size) {
    DWORD stored_type = 0;
    std::string stored;
    if (reg::Result result = read_value(to_hkey(key), wide(name), &stored_type, &stored);
        result != ERROR_SUCCESS) {
        return result;
    }
    return answer(stored_type, stored, type, data, size);
}

reg::Result Win32Registry::set_value(reg::Key key, std::string_view name, std::uint32_t reserved,
                                     std::uint32_t type, const std::uint8_t* data,
                                     std::uint32_t size) {
    if (data == nullptr && size > 0) {
        return ERROR_NOACCESS;
    }
    if (!is_text(type)) {
        return ::RegSetValueExW(to_hkey(key), wide(name).c_str(), reserved, type, data, size);
    }
    std::wstring text = wide(std::string_view(reinterpret_cast<const char*>(data), size));
    return ::RegSetValueExW(to_hkey(key), wide(name).c_str(), reserved, type,
                            reinterpret_cast<const BYTE*>(text.data()),
                            static_cast<DWORD>(text.size() * sizeof(wchar_t)));
}

reg::Result Win32Registry::delete_key(reg::Key key, std::string_view sub_key) {
    return ::RegDeleteKeyW(to_hkey(key), wide(sub_key).c_str());
}

reg::Result Win32Registry::delete_value(reg::Key key, std::string_view name) {
    return ::RegDeleteValueW(to_hkey(key), wide(name).c_str());
}

reg::Result Win32Registry::enum_value(reg::Key key, std::uint32_t index, char* name,
                                      std::uint32_t* name_size, std::uint32_t* type,
                                      std::uint8_t* data, std::uint32_t* data_size) {
    if (name == nullptr || name_size == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    std::wstring found(kMaxValueName, L'\0');
    DWORD length = kMaxValueName;
    LSTATUS status = ::RegEnumValueW(to_hkey(key), index, found.data(), &length, nullptr, nullptr,
                                     nullptr, nullptr);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    found.resize(length);
    std::string utf8 = narrow(found);
    if (reg::Result copied = copy_name(utf8, name, *name_size); copied != ERROR_SUCCESS) {
        return copied;
    }
    *name_size = static_cast<std::uint32_t>(utf8.size());
    if (type == nullptr && data == nullptr && data_size == nullptr) {
        return ERROR_SUCCESS;
    }
    return query_value(key, utf8, type, data, data_size);
}

reg::Result Win32Registry::enum_key(reg::Key key, std::uint32_t index, char* name,
                                    std::uint32_t name_size) {
    if (name == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    wchar_t found[kMaxKeyName];
    DWORD length = kMaxKeyName;
    LSTATUS status =
        ::RegEnumKeyExW(to_hkey(key), index, found, &length, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    return copy_name(narrow(std::wstring_view(found, length)), name, name_size);
}

reg::Result Win32Registry::query_info_key(reg::Key key, char* class_name, std::uint32_t* class_size,
                                          reg::KeyInfo* info) {
    if (class_name != nullptr && class_size == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    HKEY hkey = to_hkey(key);
    wchar_t wide_class[MAX_PATH] = {};
    DWORD class_length = MAX_PATH;
    DWORD sub_keys = 0;
    DWORD values = 0;
    LSTATUS status =
        ::RegQueryInfoKeyW(hkey, wide_class, &class_length, nullptr, &sub_keys, nullptr, nullptr,
                           &values, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    if (class_size != nullptr) {
        std::string utf8_class = narrow(std::wstring_view(wide_class, class_length));
        if (class_name != nullptr) {
            if (reg::Result copied = copy_name(utf8_class, class_name, *class_size);
                copied != ERROR_SUCCESS) {
                *class_size = static_cast<std::uint32_t>(utf8_class.size());
                return copied;
            }
        }
        *class_size = static_cast<std::uint32_t>(utf8_class.size());
    }
    if (info == nullptr) {
        return ERROR_SUCCESS;
    }
    // Lengths in UTF-8 are only known from the names and data themselves.
    *info = reg::KeyInfo{};
    info->sub_keys = sub_keys;
    info->values = values;
    char name[kMaxValueName * 3 + 1];
    for (DWORD index = 0; index < sub_keys; ++index) {
        if (enum_key(key, index, name, sizeof name) == ERROR_SUCCESS) {
            info->max_sub_key_length =
                std::max(info->max_sub_key_length, static_cast<std::uint32_t>(std::strlen(name)));
        }
    }
    for (DWORD index = 0; index < values; ++index) {
        std::uint32_t length = sizeof name;
        std::uint32_t data_size = 0;
        if (enum_value(key, index, name, &length, nullptr, nullptr, &data_size) == ERROR_SUCCESS) {
            info->max_value_name_length = std::max(info->max_value_name_length, length);
            info->max_value_length = std::max(info->max_value_length, data_size);
        }
    }
    return ERROR_SUCCESS;
}

std::uint32_t Win32Registry::expand_environment_strings(std::string_view source, char* destination,
                                                        std::uint32_t size) {
    std::wstring wide_source = wide(source);
    DWORD needed = ::ExpandEnvironmentStringsW(wide_source.c_str(), nullptr, 0);
    if (needed == 0) {
        return 0;
    }
    std::wstring expanded(needed, L'\0');
    DWORD written = ::ExpandEnvironmentStringsW(wide_source.c_str(), expanded.data(), needed);
    if (written == 0 || written > needed) {
        return 0;
    }
    expanded.resize(written - 1);
    std::string utf8 = narrow(expanded);
    auto utf8_needed = static_cast<std::uint32_t>(utf8.size() + 1);
    if (destination != nullptr && size >= utf8_needed) {
        std::memcpy(destination, utf8.c_str(), utf8_needed);
    }
    return utf8_needed;
}

std::string Win32Registry::describe(reg::Result result) {
    return describe_error(static_cast<unsigned long>(result));
}

}  // namespace platform::win32
