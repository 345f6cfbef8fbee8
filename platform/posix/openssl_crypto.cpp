#include "platform/posix/openssl_crypto.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <climits>
#include <cstring>

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

Context new_context() {
    Context context(EVP_CIPHER_CTX_new());
    if (!context) {
        throw CryptoError("OpenSSL could not make a cipher context.");
    }
    return context;
}

class OpenSslMac : public Mac {
  public:
    explicit OpenSslMac(std::string_view key) : key_(key) {}
    ~OpenSslMac() override { OPENSSL_cleanse(key_.data(), key_.size()); }

    std::string tag(std::string_view data) const override {
        unsigned char out[EVP_MAX_MD_SIZE];
        unsigned int size = 0;
        if (HMAC(EVP_sha256(), key_.data(), length(key_), bytes(data), data.size(), out, &size) ==
            nullptr) {
            throw CryptoError("OpenSSL could not compute an HMAC-SHA-256.");
        }
        return std::string(reinterpret_cast<const char*>(out), size);
    }

  private:
    std::string key_;
};

class OpenSslAead : public Aead {
  public:
    explicit OpenSslAead(std::string_view key) : key_(key) {
        if (key_.size() != 32) {
            throw CryptoError("An AES-256 key has 32 bytes.");
        }
    }
    ~OpenSslAead() override { OPENSSL_cleanse(key_.data(), key_.size()); }

    std::string seal(std::string_view nonce, std::string_view plaintext) const override {
        Context context = start(nonce, true);
        std::string out(plaintext.size() + kTagBytes, '\0');
        auto* at = reinterpret_cast<unsigned char*>(out.data());
        int written = 0;
        int last = 0;
        if (EVP_EncryptUpdate(context.get(), at, &written, bytes(plaintext), length(plaintext)) !=
                1 ||
            EVP_EncryptFinal_ex(context.get(), at + written, &last) != 1 ||
            EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_GET_TAG, kTagBytes,
                                at + plaintext.size()) != 1) {
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
        Context context = start(nonce, false);
        std::string out(size, '\0');
        auto* at = reinterpret_cast<unsigned char*>(out.data());
        std::string tag(sealed.substr(size));
        int written = 0;
        int last = 0;
        if (EVP_DecryptUpdate(context.get(), at, &written, bytes(sealed),
                              length(sealed) - kTagBytes) != 1 ||
            EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_TAG, kTagBytes, tag.data()) != 1 ||
            EVP_DecryptFinal_ex(context.get(), at + written, &last) != 1) {
            OPENSSL_cleanse(out.data(), out.size());
            return std::nullopt;
        }
        return out;
    }

  private:
    Context start(std::string_view nonce, bool encrypt) const {
        if (nonce.size() != kNonceBytes) {
            throw CryptoError("An AES-GCM nonce here has 12 bytes.");
        }
        Context context = new_context();
        auto init = encrypt ? EVP_EncryptInit_ex : EVP_DecryptInit_ex;
        if (init(context.get(), EVP_aes_256_gcm(), nullptr, bytes(key_), bytes(nonce)) != 1) {
            throw CryptoError("OpenSSL could not start AES-256-GCM.");
        }
        return context;
    }

    std::string key_;
};

}  // namespace

std::unique_ptr<Mac> OpenSslCrypto::hmac_sha256(std::string_view key) const {
    return std::make_unique<OpenSslMac>(key);
}

std::unique_ptr<Aead> OpenSslCrypto::aes_256_gcm(std::string_view key) const {
    return std::make_unique<OpenSslAead>(key);
}

}  // namespace platform::posix
