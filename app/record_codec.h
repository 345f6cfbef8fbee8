#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/crypto.h"
#include "platform/key_store.h"
#include "platform/random_source.h"

namespace app {

// How a record lies in the records file, as the file system reads and writes its text. The only
// code that knows whether the records are plain or private; everything else asks it.
class RecordCodec {
  public:
    virtual ~RecordCodec() = default;
    virtual bool is_private() const = 0;
    // The file's first line, without its line end.
    virtual const std::string& first_line() const = 0;
    // The line that holds `password`. The same password always gives the same line, so that the
    // no-repeat check compares lines.
    virtual std::string line_of(std::string_view password) const = 0;
    // The password a line holds; nothing for a line this form cannot read (damaged, or written
    // by another program).
    virtual std::optional<std::string> password_of(std::string_view line) const = 0;
    // True for the first line when it is this form's own marker rather than a record.
    bool is_marker(std::string_view line) const { return line == first_line(); }
    // A quick test that passes every line whose password equals `text` ignoring case, and few
    // others: a delete reads back only the lines it passes.
    virtual std::function<bool(std::string_view)> may_equal_ignoring_case(std::string_view) const {
        return [](std::string_view) { return true; };
    }
};

// "temppass" and then one password a line, as it is.
class PlainRecords : public RecordCodec {
  public:
    bool is_private() const override { return false; }
    const std::string& first_line() const override;
    std::string line_of(std::string_view password) const override { return std::string(password); }
    std::optional<std::string> password_of(std::string_view line) const override {
        return std::string(line);
    }
};

// A first line naming the key, then per record the base64 of a 12-byte nonce, the AES-256-GCM
// ciphertext of the password and its tag. The nonce is two bytes of an HMAC of the upper-cased
// password and ten of an HMAC of the password, so equal passwords give equal lines, different
// ones different nonces, and a delete finds the lines that may match (see ARCHITECTURE.md).
class PrivateRecords : public RecordCodec {
  public:
    static constexpr std::size_t kKeyBytes = 32;
    // `master` is the 32-byte key of one records file.
    PrivateRecords(const platform::Crypto& crypto, std::string_view master);

    bool is_private() const override { return true; }
    const std::string& first_line() const override { return first_line_; }
    std::string line_of(std::string_view password) const override;
    std::optional<std::string> password_of(std::string_view line) const override;
    std::function<bool(std::string_view)> may_equal_ignoring_case(
        std::string_view text) const override;

    const std::string& key_id() const { return key_id_; }

    // The key id a private file's first line names; nothing for any other line.
    static std::optional<std::string> key_id_of(std::string_view first_line);
    // The id a master key is known by: in the first line, and in the keyring.
    static std::string key_id(const platform::Crypto& crypto, std::string_view master);

  private:
    std::string fold_of(std::string_view password) const;

    std::unique_ptr<platform::Mac> nonces_;
    std::unique_ptr<platform::Mac> folds_;
    std::unique_ptr<platform::Aead> cipher_;
    std::string key_id_;
    std::string first_line_;
};

// HKDF-SHA-256 (RFC 5869) over the platform's HMAC.
std::string hkdf_sha256(const platform::Crypto& crypto, std::string_view input,
                        std::string_view salt, std::string_view info, std::size_t length);

std::string to_base64(std::string_view bytes);
// Nothing unless `text` is canonical base64 with its padding.
std::optional<std::string> from_base64(std::string_view text);
std::string to_hex(std::string_view bytes);
std::optional<std::string> from_hex(std::string_view text);

// The recovery key: the master key and a 3-byte check, in Crockford's base32, in groups of four
// letters and digits joined by '-'.
std::string recovery_code(const platform::Crypto& crypto, std::string_view master);
// The master key a recovery code holds; nothing for a code mistyped beyond the look-alikes
// base32 reads as one (O as 0, I and L as 1), whatever the case and the spacing.
std::optional<std::string> master_from_recovery_code(const platform::Crypto& crypto,
                                                     std::string_view code);

// The records' key is missing, or the keyring that keeps it did not answer. what() is a plain
// sentence that says what to do.
class RecordsKeyError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The records are private and the keyring answered, but without their key.
class RecordsKeyMissing : public RecordsKeyError {
  public:
    using RecordsKeyError::RecordsKeyError;
};

// Finds the form of a records file from its first line, fetching a private file's key from the
// desktop's keyring once per key. Shared by every copy of a RecordsFile; safe across threads.
class RecordKeys {
  public:
    // Without a keyring or a crypto library, private records are refused with `unavailable`.
    RecordKeys(const platform::Crypto* crypto, platform::KeyStore* store,
               std::string unavailable = {});

    // The form of a file whose first line is `first_line` (empty for an empty file). Throws
    // RecordsKeyError when it is private and its key cannot be had.
    std::shared_ptr<const RecordCodec> codec_for(std::string_view first_line);

    // A new master key, kept in the keyring; its codec. Throws RecordsKeyError.
    std::shared_ptr<const PrivateRecords> make_key(platform::RandomSource& random,
                                                   std::string& master);
    // Puts the master key a recovery code holds back into the keyring. `expected_id`, when not
    // empty, is the id the records file names. Throws RecordsKeyError.
    void recover(std::string_view code, const std::string& expected_id);

    bool available() const { return crypto_ != nullptr && store_ != nullptr; }
    const platform::Crypto& crypto() const;

  private:
    void require() const;

    const platform::Crypto* crypto_;
    platform::KeyStore* store_;
    std::string unavailable_;
    std::mutex mutex_;
    std::unordered_map<std::string, std::shared_ptr<const PrivateRecords>> known_;
};

}  // namespace app
