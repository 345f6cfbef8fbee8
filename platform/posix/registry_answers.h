#pragma once

// Small answers that both POSIX registries give the same way. Internal to platform/posix.

#include <cstdint>
#include <cstring>
#include <string_view>

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
    std::memcpy(name, found.data(), found.size());
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

}  // namespace platform::posix
