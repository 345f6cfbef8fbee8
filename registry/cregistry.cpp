#include "registry/cregistry.h"

#include <algorithm>
#include <exception>

namespace registry {

namespace reg = platform::reg;

namespace {

constexpr std::uint32_t kProbeSize = 4;
constexpr std::uint32_t kSectionNameBuffer = 255;

// Closes a key on every way out of an operation.
class OpenedKey {
  public:
    explicit OpenedKey(platform::Registry& registry) : registry_(registry) {}
    ~OpenedKey() {
        if (open_) {
            registry_.close_key(key_);
        }
    }
    OpenedKey(const OpenedKey&) = delete;
    OpenedKey& operator=(const OpenedKey&) = delete;

    reg::Key* out() { return &key_; }
    reg::Result track(reg::Result result) {
        open_ = result == reg::kSuccess;
        return result;
    }
    reg::Key key() const { return key_; }

  private:
    platform::Registry& registry_;
    reg::Key key_ = 0;
    bool open_ = false;
};

// A text needs expanding when a "%" is followed, one character or more later, by another.
bool holds_environment_reference(const std::string& text) {
    std::size_t first = text.find('%');
    return first != std::string::npos && text.find('%', first + 2) != std::string::npos;
}

std::int32_t little_endian_int32(const std::uint8_t* bytes) {
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
        static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24);
}

}  // namespace

cRegistry::cRegistry(platform::Registry& registry, const platform::ProgramInfo& program)
    : registry_(registry), source_(program.base_name() + ".cRegistry") {}

reg::Key cRegistry::root() const {
    return static_cast<reg::Key>(static_cast<std::uint32_t>(class_key_));
}

std::string cRegistry::class_key_text() const {
    return std::to_string(class_key_);
}

std::string cRegistry::set_value_description(const Variant& value) const {
    return "Failed to set registry value Key: '" + class_key_text() + "',Section: '" +
           section_key_ + "',Key: '" + value_key_ + "' to value: '" + to_text(value) + "'";
}

reg::Result cRegistry::create_section(reg::Key* key) {
    reg::SecurityAttributes security;
    std::uint32_t disposition = 0;
    return registry_.create_key(root(), section_key_, 0, "", reg::kOptionNonVolatile,
                                reg::kAllKeyRights, &security, key, &disposition);
}

bool cRegistry::key_exists(std::int32_t class_key, const std::string& section) {
    reg::Key key = 0;
    auto root_key = static_cast<reg::Key>(static_cast<std::uint32_t>(class_key));
    if (registry_.open_key(root_key, section, 0, reg::kQueryValue, &key) != reg::kSuccess) {
        return false;
    }
    registry_.close_key(key);
    return true;
}

bool cRegistry::KeyExists() {
    return key_exists(class_key_, section_key_);
}

bool cRegistry::CreateKey() {
    OpenedKey key(registry_);
    if (reg::Result result = key.track(create_section(key.out())); result != reg::kSuccess) {
        throw RegistryError(kKeyError, source_, "Anahtar Oluşturulamadı: '" + section_key_, result);
    }
    return true;
}

bool cRegistry::DeleteKey() {
    if (reg::Result result = registry_.delete_key(root(), section_key_); result != reg::kSuccess) {
        throw RegistryError(
            kKeyError, source_,
            "Anahtar Silinemedi: '" + class_key_text() + "',Bölüm: '" + section_key_, result);
    }
    return true;
}

bool cRegistry::DeleteValue() {
    OpenedKey key(registry_);
    reg::Result result =
        key.track(registry_.open_key(root(), section_key_, 0, reg::kAllKeyRights, key.out()));
    if (result != reg::kSuccess) {
        throw RegistryError(
            kKeyError, source_,
            "Anahtar Açılamadı '" + class_key_text() + "',Bölüm: '" + section_key_ + "'", result);
    }
    if (result = registry_.delete_value(key.key(), value_key_); result != reg::kSuccess) {
        throw RegistryError(kKeyError, source_,
                            "Anahtar Silinemedi: '" + class_key_text() + "'\r\nBölüm: '" +
                                section_key_ + "'\r\nAnahtar: '" + value_key_,
                            result);
    }
    return true;
}

Variant cRegistry::Value() {
    OpenedKey key(registry_);
    if (key.track(registry_.open_key(root(), section_key_, 0, reg::kQueryValue, key.out())) !=
        reg::kSuccess) {
        return default_;
    }
    std::uint8_t probe[kProbeSize] = {};
    std::uint32_t type = 0;
    std::uint32_t stored_size = 0;
    reg::Result result = registry_.query_value(key.key(), value_key_, &type, probe, &stored_size);
    if (result != reg::kSuccess && result != reg::kMoreData) {
        return default_;
    }
    value_type_ = static_cast<std::int32_t>(type);

    // The buffer always holds what the first query announced and at least a 32-bit integer,
    // so neither an empty text nor an oversized DWORD can be read past its end.
    ByteArray buffer(std::max<std::size_t>(stored_size, kProbeSize) + 1, 0);
    std::uint32_t size = stored_size;
    result = registry_.query_value(key.key(), value_key_, &type, buffer.data(), &size);
    if (result != reg::kSuccess) {
        return default_;  // changed between the two queries
    }

    switch (value_type_) {
        case kRegSz:
        case kRegMultiSz:
        case kRegExpandSz: {
            std::string text(buffer.begin(), buffer.begin() + (size > 0 ? size - 1 : 0));
            if (value_type_ == kRegExpandSz) {
                return ExpandEnvString(text);
            }
            return text;
        }
        case kRegDword:
            return little_endian_int32(buffer.data());
        case kRegDwordBigEndian:
            return SwapEndian(little_endian_int32(buffer.data()));
        default:
            // The stored bytes and one 0 after them.
            buffer.resize(static_cast<std::size_t>(size) + 1);
            buffer.back() = 0;
            return buffer;
    }
}

void cRegistry::Value(const Variant& vValue) {
    OpenedKey key(registry_);
    if (reg::Result result = key.track(create_section(key.out())); result != reg::kSuccess) {
        throw RegistryError(kKeyError, source_, set_value_description(vValue), result);
    }

    reg::Result result = reg::kSuccess;
    switch (value_type_) {
        case kRegSz:
        case kRegExpandSz: {
            std::string text = to_text(vValue);
            std::uint32_t type = holds_environment_reference(text) ? reg::kExpandSz : reg::kSz;
            result = registry_.set_value(key.key(), value_key_, 0, type,
                                         reinterpret_cast<const std::uint8_t*>(text.c_str()),
                                         static_cast<std::uint32_t>(text.size() + 1));
            break;
        }
        case kRegBinary: {
            const ByteArray* bytes = std::get_if<ByteArray>(&vValue);
            if (bytes == nullptr) {
                throw RegistryError(kKeyError, source_, set_value_description(vValue));
            }
            if (bytes->empty()) {
                throw RegistryError(kSubscriptOutOfRangeError, source_, "Subscript out of range");
            }
            result = registry_.set_value(key.key(), value_key_, 0, reg::kBinary, bytes->data(),
                                         static_cast<std::uint32_t>(bytes->size()));
            break;
        }
        case kRegDword:
        case kRegDwordBigEndian: {
            std::int32_t number = 0;
            if (const auto* small = std::get_if<std::int16_t>(&vValue)) {
                number = *small;
            } else if (const auto* large = std::get_if<std::int32_t>(&vValue)) {
                number = *large;
            } else {
                break;  // not an integer: nothing is stored
            }
            auto bits = static_cast<std::uint32_t>(number);
            const std::uint8_t bytes[4] = {
                static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
                static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
            result = registry_.set_value(key.key(), value_key_, 0, reg::kDword, bytes, 4);
            break;
        }
        default:
            result = reg::kInvalidData;
    }
    if (result != reg::kSuccess) {
        throw RegistryError(kSetValueError, source_, set_value_description(vValue), result);
    }
}

bool cRegistry::EnumerateValues(std::vector<std::string>& sKeyNames, std::int32_t& iKeyCount) {
    iKeyCount = 0;
    sKeyNames.clear();
    OpenedKey key(registry_);
    if (key.track(registry_.open_key(root(), section_key_, 0, reg::kQueryValue, key.out())) !=
        reg::kSuccess) {
        return true;
    }
    reg::KeyInfo info;
    if (registry_.query_info_key(key.key(), nullptr, nullptr, &info) != reg::kSuccess) {
        return true;
    }
    for (std::uint32_t index = 0;; ++index) {
        std::string name(info.max_value_name_length + 1, '\0');
        auto size = static_cast<std::uint32_t>(name.size());
        if (registry_.enum_value(key.key(), index, name.data(), &size, nullptr, nullptr, nullptr) !=
            reg::kSuccess) {
            break;
        }
        name.resize(std::min<std::size_t>(size, name.size()));
        sKeyNames.push_back(std::move(name));
        ++iKeyCount;
    }
    return true;
}

bool cRegistry::EnumerateSections(std::vector<std::string>& sSect, std::int32_t& iSectCount) {
    try {
        iSectCount = 0;
        sSect.clear();
        OpenedKey key(registry_);
        if (key.track(registry_.open_key(root(), section_key_, 0, reg::kEnumerateSubKeys,
                                         key.out())) != reg::kSuccess) {
            return true;
        }
        for (std::uint32_t index = 0;; ++index) {
            char name[kSectionNameBuffer] = {};
            if (registry_.enum_key(key.key(), index, name, kSectionNameBuffer) != reg::kSuccess) {
                break;
            }
            sSect.emplace_back(name, std::find(name, name + kSectionNameBuffer, '\0'));
            ++iSectCount;
        }
        return true;
    } catch (const std::exception& failure) {
        throw RegistryError(kEnumerateSectionsError, source_, failure.what());
    }
}

std::int32_t cRegistry::SwapEndian(std::int32_t value) {
    auto bits = static_cast<std::uint32_t>(value);
    return static_cast<std::int32_t>((bits >> 24) | ((bits >> 8) & 0x0000FF00) |
                                     ((bits << 8) & 0x00FF0000) | (bits << 24));
}

std::string cRegistry::ExpandEnvString(const std::string& text) {
    std::uint32_t needed = registry_.expand_environment_strings(text, nullptr, 0);
    if (needed == 0) {
        return text;
    }
    std::string expanded(needed, '\0');
    std::uint32_t written = registry_.expand_environment_strings(text, expanded.data(), needed);
    if (written == 0 || written > needed) {
        return text;
    }
    expanded.resize(written - 1);
    return expanded;
}

}  // namespace registry
