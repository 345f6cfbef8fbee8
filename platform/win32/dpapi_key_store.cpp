#include "platform/win32/dpapi_key_store.h"

#include <windows.h>
// windows.h first: dpapi.h needs its types.
#include <dpapi.h>

#include <algorithm>
#include <climits>

#include "platform/win32/win32_text.h"

namespace platform::win32 {
namespace {

constexpr char kDigits[] = "0123456789abcdef";

std::string to_hex(const BYTE* bytes, DWORD size) {
    std::string text;
    text.reserve(2 * size);
    for (DWORD i = 0; i < size; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0xF];
    }
    return text;
}

std::optional<std::string> from_hex(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    if (text.size() % 2 != 0) {
        return std::nullopt;
    }
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const char* high = std::find(kDigits, kDigits + 16, text[i]);
        const char* low = std::find(kDigits, kDigits + 16, text[i + 1]);
        if (high == kDigits + 16 || low == kDigits + 16) {
            return std::nullopt;
        }
        bytes += static_cast<char>((high - kDigits) << 4 | (low - kDigits));
    }
    return bytes;
}

DATA_BLOB blob_of(std::string_view bytes) {
    if (bytes.size() > ULONG_MAX) {
        throw KeyStoreError("A records key is too long to keep.");
    }
    return {static_cast<DWORD>(bytes.size()),
            reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data()))};
}

// Binds each blob to its id: one renamed to another id's file does not unwrap.
std::string entropy_of(const std::string& id) {
    return "Keymint records key " + id;
}

[[noreturn]] void refuse_unwrap(const std::string& reason) {
    throw KeyStoreError(
        "The key kept beside the records could not be unwrapped for this Windows user: " + reason);
}

}  // namespace

DpapiKeyStore::DpapiKeyStore(std::string folder) : folder_(std::move(folder)) {}

std::string DpapiKeyStore::path_of(const std::string& id) const {
    // The id names a file: nothing in it may lead out of the folder.
    const bool plain = !id.empty() && std::all_of(id.begin(), id.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    });
    if (!plain) {
        throw KeyStoreError("A records key id holds only letters and digits, not \"" + id + "\".");
    }
    return folder_ + "\\keymint-" + id + ".key";
}

std::optional<std::string> DpapiKeyStore::find(const std::string& id) {
    const std::string path = path_of(id);
    std::string text;
    try {
        if (!files_.exists(path)) {
            return std::nullopt;
        }
        text = files_.read_all(path);
    } catch (const FileError& error) {
        throw KeyStoreError(std::string("The key kept beside the records could not be read. ") +
                            error.what());
    }
    const std::optional<std::string> wrapped = from_hex(text);
    if (!wrapped) {
        refuse_unwrap("the file \"" + path + "\" is damaged.");
    }
    const std::string entropy = entropy_of(id);
    DATA_BLOB in = blob_of(*wrapped);
    DATA_BLOB salt = blob_of(entropy);
    DATA_BLOB out{};
    if (!::CryptUnprotectData(&in, nullptr, &salt, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                              &out)) {
        refuse_unwrap(describe_error(::GetLastError()));
    }
    std::string key(reinterpret_cast<const char*>(out.pbData), out.cbData);
    ::SecureZeroMemory(out.pbData, out.cbData);
    ::LocalFree(out.pbData);
    return key;
}

void DpapiKeyStore::keep(const std::string& id, std::string_view key, const std::string& label) {
    const std::string path = path_of(id);
    const std::string entropy = entropy_of(id);
    DATA_BLOB in = blob_of(key);
    DATA_BLOB salt = blob_of(entropy);
    DATA_BLOB out{};
    if (!::CryptProtectData(&in, wide(label).c_str(), &salt, nullptr, nullptr,
                            CRYPTPROTECT_UI_FORBIDDEN, &out)) {
        throw KeyStoreError("Windows could not wrap the records key for this user: " +
                            describe_error(::GetLastError()));
    }
    // Hex, as the file system converts text to the ANSI code page.
    const std::string text = to_hex(out.pbData, out.cbData);
    ::LocalFree(out.pbData);
    try {
        files_.replace(path, text, FileAccess::OwnerOnly);
    } catch (const FileError& error) {
        throw KeyStoreError(std::string("The records key could not be kept beside the records. ") +
                            error.what());
    }
}

}  // namespace platform::win32
