#pragma once

// Small answers that both POSIX registries give the same way. Internal to platform/posix.

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace platform::posix {

// One of the predefined roots, HKEY_CLASSES_ROOT to HKEY_DYN_DATA.
inline bool is_root(reg::Key key) {
    return key >= reg::kClassesRoot && key <= reg::kDynData;
}

// A name into a caller's buffer of `capacity` characters, terminator included.
inline reg::Result copy_name(std::string_view found, char* name, std::uint32_t capacity) {
    if (found.size() >= capacity) {
        return reg::kMoreData;
    }
    if (!found.empty()) {
        std::memcpy(name, found.data(), found.size());
    }
    name[found.size()] = '\0';
    return reg::kSuccess;
}

// The class part of a RegQueryInfoKeyA answer for a key that carries no class: the empty text.
inline reg::Result answer_empty_class(char* class_name, std::uint32_t* class_size) {
    if (class_size != nullptr) {
        if (class_name != nullptr) {
            if (*class_size == 0) {
                return reg::kMoreData;
            }
            class_name[0] = '\0';
        }
        *class_size = 0;
    }
    return reg::kSuccess;
}

// Answers a RegQueryValueExA-style request from a value's type and stored bytes: the type and
// the stored size are always reported, the bytes copied only when `data` is given and `*size`
// can hold them (else kMoreData).
reg::Result answer_query(std::uint32_t stored_type, std::string_view stored, std::uint32_t* type,
                         std::uint8_t* data, std::uint32_t* size);

// ExpandEnvironmentStringsA over the process environment.
std::uint32_t expand_environment(std::string_view source, char* destination, std::uint32_t size);

// Splits a key path at its backslashes. A path that starts with a backslash, or has a part longer
// than 255 characters, is refused; empty parts elsewhere are skipped.
reg::Result split_key_path(std::string_view path, std::vector<std::string>* parts);

// Texts for the result codes the POSIX registry answers with.
std::string describe_result(reg::Result result);

// The result code for an OS error number.
reg::Result from_errno(int error);

}  // namespace platform::posix
