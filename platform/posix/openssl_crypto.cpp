#include "platform/posix/openssl_crypto.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <climits>
#include <cstring>
#include <mutex>

namespace platform::posix {
namespace {

const unsigned char* bytes(std::string_view text) {
    return reinterpret_cast<const unsigned char*>(text.data());
}

int length(std::string_view text) {
    if (text.size() > INT_MAX) {
        throw CryptoError("A record is too long to encrypt.");
    }
    return static_cast<int>(text.size());
}

struct ContextFree {
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};
using Context = std::unique_ptr<EVP_CIPHER_CTX, ContextFree>;

struct DigestFree {
    void operator()(EVP_MD_CTX* digest) const { EVP_MD_CTX_free(digest); }
};
using Digest = std::unique_ptr<EVP_MD_CTX, DigestFree>;

Digest new_digest() {
    Digest digest(EVP_MD_CTX_new());
    if (!digest) {
        throw CryptoError("OpenSSL could not make a digest context.");
    }
    return digest;
}

// HMAC-SHA-256 as RFC 2104 defines it, from the two SHA-256 states that have taken the padded
// key: each tag starts from copies of them instead of hashing the key again. OpenSSL's HMAC()
// fetched SHA-256 and took the key anew at every call, which cost most of the time of a record.
class OpenSslMac : public Mac {
  public:
    static constexpr std::size_t kBlockBytes = 64;
    static constexpr std::size_t kTagBytes = 32;

    explicit OpenSslMac(std::string_view key)
        : inner_(new_digest()), outer_(new_digest()), work_(new_digest()) {
        unsigned char block[kBlockBytes] = {};
        if (key.size() > kBlockBytes) {
            unsigned int size = 0;
            if (EVP_Digest(key.data(), key.size(), block, &size, EVP_sha256(), nullptr) != 1) {
                throw CryptoError("OpenSSL could not compute an HMAC-SHA-256.");
            }
        } else if (!key.empty()) {
            std::memcpy(block, key.data(), key.size());
        }
        const bool started = start(inner_.get(), block, 0x36) && start(outer_.get(), block, 0x5c);
        OPENSSL_cleanse(block, sizeof block);
        if (!started) {
            throw CryptoError("OpenSSL could not compute an HMAC-SHA-256.");
        }
    }

    std::string tag(std::string_view data) const override {
        unsigned char inner[kTagBytes];
        unsigned char out[kTagBytes];
        unsigned int size = 0;
        std::lock_guard lock(mutex_);
        const bool done = EVP_MD_CTX_copy_ex(work_.get(), inner_.get()) == 1 &&
                          EVP_DigestUpdate(work_.get(), data.data(), data.size()) == 1 &&
                          EVP_DigestFinal_ex(work_.get(), inner, &size) == 1 &&
                          EVP_MD_CTX_copy_ex(work_.get(), outer_.get()) == 1 &&
                          EVP_DigestUpdate(work_.get(), inner, sizeof inner) == 1 &&
                          EVP_DigestFinal_ex(work_.get(), out, &size) == 1;
        OPENSSL_cleanse(inner, sizeof inner);
        if (!done || size != kTagBytes) {
            throw CryptoError("OpenSSL could not compute an HMAC-SHA-256.");
        }
        return std::string(reinterpret_cast<const char*>(out), size);
    }

  private:
    // The state after one block of the key XOR `pad`.
    static bool start(EVP_MD_CTX* digest, const unsigned char* key, unsigned char pad) {
        unsigned char padded[kBlockBytes];
        for (std::size_t i = 0; i < kBlockBytes; ++i) {
            padded[i] = key[i] ^ pad;
        }
        const bool started = EVP_DigestInit_ex(digest, EVP_sha256(), nullptr) == 1 &&
                             EVP_DigestUpdate(digest, padded, sizeof padded) == 1;
        OPENSSL_cleanse(padded, sizeof padded);
        return started;
    }

    Digest inner_;
    Digest outer_;
    mutable std::mutex mutex_;
    Digest work_;  // under mutex_
};

// One context for sealing and one for opening, each keyed once; a record only sets the nonce.
// Setting up a context with the key (its AES key schedule and GHASH tables) cost more than the
// record's encryption.
class OpenSslAead : public Aead {
  public:
    explicit OpenSslAead(std::string_view key) {
        if (key.size() != 32) {
            throw CryptoError("An AES-256 key has 32 bytes.");
        }
        sealing_ = keyed(key, true);
        opening_ = keyed(key, false);
    }

    std::string seal(std::string_view nonce, std::string_view plaintext) const override {
        check_nonce(nonce);
        std::string out(plaintext.size() + kTagBytes, '\0');
        auto* at = reinterpret_cast<unsigned char*>(out.data());
        int written = 0;
        int last = 0;
        std::lock_guard lock(sealing_mutex_);
        EVP_CIPHER_CTX* context = sealing_.get();
        if (EVP_EncryptInit_ex(context, nullptr, nullptr, nullptr, bytes(nonce)) != 1 ||
            EVP_EncryptUpdate(context, at, &written, bytes(plaintext), length(plaintext)) != 1 ||
            EVP_EncryptFinal_ex(context, at + written, &last) != 1 ||
            EVP_CIPHER_CTX_ctrl(context, EVP_CTRL_GCM_GET_TAG, kTagBytes, at + plaintext.size()) !=
                1) {
            throw CryptoError("OpenSSL could not encrypt a record.");
        }
        return out;
    }

    std::optional<std::string> open(std::string_view nonce,
                                    std::string_view sealed) const override {
        if (nonce.size() != kNonceBytes || sealed.size() < kTagBytes) {
            return std::nullopt;
        }
        const std::size_t size = sealed.size() - kTagBytes;
        std::string out(size, '\0');
        auto* at = reinterpret_cast<unsigned char*>(out.data());
        unsigned char tag[kTagBytes];
        std::memcpy(tag, sealed.data() + size, kTagBytes);
        int written = 0;
        int last = 0;
        std::lock_guard lock(opening_mutex_);
        EVP_CIPHER_CTX* context = opening_.get();
        if (EVP_DecryptInit_ex(context, nullptr, nullptr, nullptr, bytes(nonce)) != 1 ||
            EVP_DecryptUpdate(context, at, &written, bytes(sealed), length(sealed) - kTagBytes) !=
                1 ||
            EVP_CIPHER_CTX_ctrl(context, EVP_CTRL_GCM_SET_TAG, kTagBytes, tag) != 1 ||
            EVP_DecryptFinal_ex(context, at + written, &last) != 1) {
            OPENSSL_cleanse(out.data(), out.size());
            return std::nullopt;
        }
        return out;
    }

  private:
    static void check_nonce(std::string_view nonce) {
        if (nonce.size() != kNonceBytes) {
            throw CryptoError("An AES-GCM nonce here has 12 bytes.");
        }
    }

    static Context keyed(std::string_view key, bool encrypt) {
        Context context(EVP_CIPHER_CTX_new());
        if (!context) {
            throw CryptoError("OpenSSL could not make a cipher context.");
        }
        auto init = encrypt ? EVP_EncryptInit_ex : EVP_DecryptInit_ex;
        if (init(context.get(), EVP_aes_256_gcm(), nullptr, bytes(key), nullptr) != 1) {
            throw CryptoError("OpenSSL could not start AES-256-GCM.");
        }
        return context;
    }

    mutable std::mutex sealing_mutex_;
    Context sealing_;  // under sealing_mutex_
    mutable std::mutex opening_mutex_;
    Context opening_;  // under opening_mutex_
};

}  // namespace

std::unique_ptr<Mac> OpenSslCrypto::hmac_sha256(std::string_view key) const {
    return std::make_unique<OpenSslMac>(key);
}

std::unique_ptr<Aead> OpenSslCrypto::aes_256_gcm(std::string_view key) const {
    return std::make_unique<OpenSslAead>(key);
}

}  // namespace platform::posix
