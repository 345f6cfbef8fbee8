#include "app/record_codec.h"

#include <array>
#include <cstring>

#include "app/text.h"

namespace app {
namespace {

constexpr std::string_view kPrivateMarker = "keymint-private 1 ";
constexpr std::size_t kKeyIdBytes = 16;
constexpr std::size_t kCheckBytes = 3;
constexpr std::string_view kBase64 =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::string_view kBase32 = "0123456789ABCDEFGHJKMNPQRSTVWXYZ";
constexpr std::size_t kCodeGroup = 4;
// A nonce is the case-folded password's tag in these bytes, then the password's own tag.
constexpr std::size_t kFoldBytes = 2;

// A base64 character's six bits, or 64 for a character outside the alphabet.
unsigned char base64_value(char c) {
    static const auto kValues = [] {
        std::array<unsigned char, 256> values{};
        values.fill(64);
        for (std::size_t i = 0; i < kBase64.size(); ++i) {
            values[static_cast<unsigned char>(kBase64[i])] = static_cast<unsigned char>(i);
        }
        return values;
    }();
    return kValues[static_cast<unsigned char>(c)];
}

std::string derived(const platform::Crypto& crypto, std::string_view master,
                    std::string_view info) {
    return hkdf_sha256(crypto, master, {}, info, 32);
}

std::string recovery_check(const platform::Crypto& crypto, std::string_view master) {
    return crypto.hmac_sha256(master)->tag("keymint recovery check").substr(0, kCheckBytes);
}

void wipe(std::string& secret) {
    volatile char* at = secret.data();
    for (std::size_t i = 0; i < secret.size(); ++i) {
        at[i] = 0;
    }
}

}  // namespace

const std::string& PlainRecords::first_line() const {
    static const std::string kFirstLine = "temppass";
    return kFirstLine;
}

std::string hkdf_sha256(const platform::Crypto& crypto, std::string_view input,
                        std::string_view salt, std::string_view info, std::size_t length) {
    const std::string zero_salt(32, '\0');
    std::string key = crypto.hmac_sha256(salt.empty() ? zero_salt : salt)->tag(input);
    auto expand = crypto.hmac_sha256(key);
    wipe(key);
    std::string out;
    std::string block;
    for (unsigned char counter = 1; out.size() < length; ++counter) {
        std::string message = block;
        message.append(info).push_back(static_cast<char>(counter));
        block = expand->tag(message);
        out += block;
    }
    out.resize(length);
    return out;
}

std::string to_base64(std::string_view bytes) {
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t group = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size())
            group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size())
            group |= static_cast<unsigned char>(bytes[i + 2]);
        text.push_back(kBase64[group >> 18 & 63]);
        text.push_back(kBase64[group >> 12 & 63]);
        text.push_back(i + 1 < bytes.size() ? kBase64[group >> 6 & 63] : '=');
        text.push_back(i + 2 < bytes.size() ? kBase64[group & 63] : '=');
    }
    return text;
}

std::optional<std::string> from_base64(std::string_view text) {
    if (text.size() % 4 != 0) {
        return std::nullopt;
    }
    std::size_t padding = 0;
    if (!text.empty() && text.back() == '=') {
        padding = text[text.size() - 2] == '=' ? 2 : 1;
    }
    std::string bytes(text.size() / 4 * 3 - padding, '\0');
    std::uint32_t group = 0;
    std::size_t at = 0;
    for (std::size_t i = 0; i < text.size() - padding; ++i) {
        const unsigned char value = base64_value(text[i]);
        if (value == 64) {
            return std::nullopt;
        }
        group = group << 6 | value;
        if (i % 4 == 3) {
            bytes[at++] = static_cast<char>(group >> 16);
            bytes[at++] = static_cast<char>(group >> 8 & 0xFF);
            bytes[at++] = static_cast<char>(group & 0xFF);
            group = 0;
        }
    }
    // The last group's stray bits must be zero, or another text would stand for the same bytes.
    if (padding == 1) {
        if ((group & 3) != 0) {
            return std::nullopt;
        }
        bytes[at++] = static_cast<char>(group >> 10);
        bytes[at++] = static_cast<char>(group >> 2 & 0xFF);
    } else if (padding == 2) {
        if ((group & 15) != 0) {
            return std::nullopt;
        }
        bytes[at++] = static_cast<char>(group >> 4);
    }
    return bytes;
}

std::string to_hex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char byte : bytes) {
        text.push_back(kDigits[byte >> 4]);
        text.push_back(kDigits[byte & 15]);
    }
    return text;
}

std::optional<std::string> from_hex(std::string_view text) {
    static constexpr std::string_view kDigits = "0123456789abcdef";
    if (text.size() % 2 != 0) {
        return std::nullopt;
    }
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const auto high = kDigits.find(text[i]);
        const auto low = kDigits.find(text[i + 1]);
        if (high == std::string_view::npos || low == std::string_view::npos) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<char>(high << 4 | low));
    }
    return bytes;
}

PrivateRecords::PrivateRecords(const platform::Crypto& crypto, std::string_view master)
    : key_id_(key_id(crypto, master)), first_line_(std::string(kPrivateMarker) + key_id_) {
    std::string nonce_key = derived(crypto, master, "keymint records nonce key");
    std::string cipher_key = derived(crypto, master, "keymint records encryption key");
    std::string fold_key = derived(crypto, master, "keymint records case-folded nonce key");
    nonces_ = crypto.hmac_sha256(nonce_key);
    folds_ = crypto.hmac_sha256(fold_key);
    wipe(fold_key);
    cipher_ = crypto.aes_256_gcm(cipher_key);
    wipe(nonce_key);
    wipe(cipher_key);
}

std::string PrivateRecords::key_id(const platform::Crypto& crypto, std::string_view master) {
    return to_hex(crypto.hmac_sha256(master)->tag("keymint records key id").substr(0, kKeyIdBytes));
}

std::optional<std::string> PrivateRecords::key_id_of(std::string_view first_line) {
    if (!first_line.starts_with(kPrivateMarker)) {
        return std::nullopt;
    }
    std::string_view id = first_line.substr(kPrivateMarker.size());
    if (id.size() != 2 * kKeyIdBytes || !from_hex(id)) {
        return std::nullopt;
    }
    return std::string(id);
}

std::string PrivateRecords::fold_of(std::string_view password) const {
    return folds_->tag(upper_case(password)).substr(0, kFoldBytes);
}

std::string PrivateRecords::line_of(std::string_view password) const {
    const std::string nonce = fold_of(password) + nonces_->tag(password).substr(
                                                      0, platform::Aead::kNonceBytes - kFoldBytes);
    return to_base64(nonce + cipher_->seal(nonce, password));
}

std::function<bool(std::string_view)> PrivateRecords::may_equal_ignoring_case(
    std::string_view text) const {
    const std::string fold = fold_of(text);
    return [fold](std::string_view line) {
        // The first four characters hold the nonce's first three bytes; a line too damaged to
        // tell is read back whole.
        std::uint32_t group = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            const unsigned char value = i < line.size() ? base64_value(line[i]) : 64;
            if (value == 64) {
                return true;
            }
            group = group << 6 | value;
        }
        return static_cast<char>(group >> 16) == fold[0] &&
               static_cast<char>(group >> 8 & 0xFF) == fold[1];
    };
}

std::optional<std::string> PrivateRecords::password_of(std::string_view line) const {
    constexpr std::size_t kOverhead = platform::Aead::kNonceBytes + platform::Aead::kTagBytes;
    auto bytes = from_base64(line);
    if (!bytes || bytes->size() < kOverhead) {
        return std::nullopt;
    }
    const std::string_view nonce = std::string_view(*bytes).substr(0, platform::Aead::kNonceBytes);
    auto password = cipher_->open(nonce, std::string_view(*bytes).substr(nonce.size()));
    // Only the line this form writes for the password counts as it: one password, one line. The
    // case-folded bytes are left to the key's holder: they only speed up a delete.
    if (password && nonces_->tag(*password).compare(0, nonce.size() - kFoldBytes,
                                                    nonce.substr(kFoldBytes)) != 0) {
        wipe(*password);
        return std::nullopt;
    }
    return password;
}

std::string recovery_code(const platform::Crypto& crypto, std::string_view master) {
    const std::string bytes = std::string(master) + recovery_check(crypto, master);
    std::string code;
    std::uint32_t buffer = 0;
    int bits = 0;
    std::size_t letters = 0;
    auto put = [&](std::uint32_t value) {
        if (letters > 0 && letters % kCodeGroup == 0) {
            code.push_back('-');
        }
        code.push_back(kBase32[value & 31]);
        ++letters;
    };
    for (unsigned char byte : bytes) {
        buffer = buffer << 8 | byte;
        bits += 8;
        while (bits >= 5) {
            bits -= 5;
            put(buffer >> bits);
        }
    }
    if (bits > 0) {
        put(buffer << (5 - bits));
    }
    return code;
}

std::optional<std::string> master_from_recovery_code(const platform::Crypto& crypto,
                                                     std::string_view code) {
    std::string bytes;
    std::uint32_t buffer = 0;
    int bits = 0;
    std::size_t letters = 0;
    for (char c : code) {
        if (c == '-' || c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            continue;
        }
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
        c = c == 'O' ? '0' : (c == 'I' || c == 'L') ? '1' : c;
        const auto value = kBase32.find(c);
        if (value == std::string_view::npos) {
            return std::nullopt;
        }
        buffer = buffer << 5 | static_cast<std::uint32_t>(value);
        bits += 5;
        ++letters;
        if (bits >= 8) {
            bits -= 8;
            bytes.push_back(static_cast<char>(buffer >> bits & 0xFF));
        }
    }
    constexpr std::size_t kBytes = PrivateRecords::kKeyBytes + kCheckBytes;
    if (letters != (kBytes * 8 + 4) / 5 || bytes.size() != kBytes) {
        return std::nullopt;
    }
    std::string master = bytes.substr(0, PrivateRecords::kKeyBytes);
    if (recovery_check(crypto, master) != bytes.substr(PrivateRecords::kKeyBytes)) {
        wipe(master);
        return std::nullopt;
    }
    return master;
}

RecordKeys::RecordKeys(const platform::Crypto* crypto, platform::KeyStore* store,
                       std::string unavailable)
    : crypto_(crypto), store_(store), unavailable_(std::move(unavailable)) {
    if (unavailable_.empty()) {
        unavailable_ =
            "Private records need the desktop's keyring, which this program cannot reach.";
    }
}

void RecordKeys::require() const {
    if (!available()) {
        throw RecordsKeyError(unavailable_);
    }
}

const platform::Crypto& RecordKeys::crypto() const {
    require();
    return *crypto_;
}

std::shared_ptr<const RecordCodec> RecordKeys::codec_for(std::string_view first_line) {
    static const auto plain = std::make_shared<const PlainRecords>();
    const auto id = PrivateRecords::key_id_of(first_line);
    if (!id) {
        return plain;
    }
    require();
    std::lock_guard lock(mutex_);
    if (auto known = known_.find(*id); known != known_.end()) {
        return known->second;
    }
    std::optional<std::string> kept;
    try {
        kept = store_->find(*id);
    } catch (const platform::KeyStoreError& error) {
        throw RecordsKeyError(std::string("The records are private, and their key could not be "
                                          "had: ") +
                              error.what());
    }
    auto master = kept ? from_hex(*kept) : std::nullopt;
    if (kept) {
        wipe(*kept);
    }
    if (!master || master->size() != PrivateRecords::kKeyBytes ||
        PrivateRecords::key_id(*crypto_, *master) != *id) {
        throw RecordsKeyMissing(
            "The records are private, and their key is not in this desktop's keyring. Put it "
            "back with the recovery key Keymint showed when private records were turned on "
            "(keymint --recover).");
    }
    auto codec = std::make_shared<const PrivateRecords>(*crypto_, *master);
    wipe(*master);
    known_.emplace(*id, codec);
    return codec;
}

std::shared_ptr<const PrivateRecords> RecordKeys::make_key(platform::RandomSource& random,
                                                           std::string& master) {
    require();
    master.assign(PrivateRecords::kKeyBytes, '\0');
    random.fill(reinterpret_cast<std::uint8_t*>(master.data()), master.size());
    auto codec = std::make_shared<const PrivateRecords>(*crypto_, master);
    std::string hex = to_hex(master);
    try {
        store_->keep(codec->key_id(), hex, "Keymint records key " + codec->key_id().substr(0, 8));
    } catch (const platform::KeyStoreError& error) {
        wipe(hex);
        throw RecordsKeyError(std::string("Private records were not turned on: ") + error.what());
    }
    wipe(hex);
    std::lock_guard lock(mutex_);
    known_.emplace(codec->key_id(), codec);
    return codec;
}

void RecordKeys::recover(std::string_view code, const std::string& expected_id) {
    require();
    auto master = master_from_recovery_code(*crypto_, code);
    if (!master) {
        throw RecordsKeyError(
            "That is not a recovery key: it has 14 groups of four letters and digits, as Keymint "
            "showed it. Check it for a mistyped or missing group.");
    }
    const std::string id = PrivateRecords::key_id(*crypto_, *master);
    if (!expected_id.empty() && id != expected_id) {
        wipe(*master);
        throw RecordsKeyError(
            "That recovery key belongs to other records: the records file "
            "here was made private with another key.");
    }
    std::string hex = to_hex(*master);
    wipe(*master);
    try {
        store_->keep(id, hex, "Keymint records key " + id.substr(0, 8));
    } catch (const platform::KeyStoreError& error) {
        wipe(hex);
        throw RecordsKeyError(error.what());
    }
    wipe(hex);
}

}  // namespace app
