#include "platform/win32/dpapi_key_store.h"

#include <gtest/gtest.h>

#include <string>

#include "doubles.h"
#include "platform/win32/cng_crypto.h"

namespace {

std::string hex(std::string_view bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char c : bytes) {
        text += digits[c >> 4];
        text += digits[c & 0xF];
    }
    return text;
}

std::string unhex(std::string_view text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        bytes += static_cast<char>(std::stoi(std::string(text.substr(i, 2)), nullptr, 16));
    }
    return bytes;
}

TEST(CngCrypto, HmacSha256GivesTheTagsOfRfc4231) {
    struct Case {
        std::string key;
        std::string data;
        const char* tag;
    };
    const Case cases[] = {
        {std::string(20, '\x0b'), "Hi There",
         "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7"},
        {"Jefe", "what do ya want for nothing?",
         "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843"},
        // A key longer than SHA-256's block is hashed first.
        {std::string(131, '\xaa'), "Test Using Larger Than Block-Size Key - Hash Key First",
         "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54"},
    };
    platform::win32::CngCrypto crypto;
    for (const Case& c : cases) {
        auto mac = crypto.hmac_sha256(c.key);
        EXPECT_EQ(hex(mac->tag(c.data)), c.tag) << c.data;
        EXPECT_EQ(hex(mac->tag(c.data)), c.tag) << "a second tag under the same key";
    }
}

struct GcmCase {
    const char* key;
    const char* nonce;
    const char* plaintext;
    const char* sealed;  // ciphertext, then tag
};

// The NIST GCM test vectors with a 96-bit IV and no additional data.
const GcmCase kGcmCases[] = {
    {"0000000000000000000000000000000000000000000000000000000000000000", "000000000000000000000000",
     "", "530f8afbc74536b9a963b4f1c4cb738b"},
    {"0000000000000000000000000000000000000000000000000000000000000000", "000000000000000000000000",
     "00000000000000000000000000000000",
     "cea7403d4d606b6e074ec5d3baf39d18d0d1c8a799996bf0265b98b5d48ab919"},
    {"feffe9928665731c6d6a8f9467308308feffe9928665731c6d6a8f9467308308", "cafebabefacedbaddecaf888",
     "d9313225f88406e5a55909c5aff5269a86a7a9531534f7da2e4c303d8a318a72"
     "1c3c0c95956809532fcf0e2449a6b525b16aedf5aa0de657ba637b391aafd255",
     "522dc1f099567d07f47f37a32a84427d643a8cdcbfe5c0c97598a2bd2555d1aa"
     "8cb08e48590dbb3da7b08b1056828838c5f61e6393ba7a0abcc9f662898015ad"
     "b094dac5d93471bdec1a502270e3cc6c"},
};

TEST(CngCrypto, AesGcmSealsAndOpensTheNistVectorsAndRefusesAnyFlippedBit) {
    platform::win32::CngCrypto crypto;
    for (const GcmCase& c : kGcmCases) {
        auto aead = crypto.aes_256_gcm(unhex(c.key));
        const std::string nonce = unhex(c.nonce);
        const std::string sealed = aead->seal(nonce, unhex(c.plaintext));
        EXPECT_EQ(hex(sealed), c.sealed);
        EXPECT_EQ(aead->open(nonce, sealed), unhex(c.plaintext));
        for (std::size_t at : {sealed.size() - 1, std::size_t{0}}) {
            std::string flipped = sealed;
            flipped[at] ^= 1;
            EXPECT_EQ(aead->open(nonce, flipped), std::nullopt) << c.sealed << " byte " << at;
        }
        std::string other = nonce;
        other[0] ^= 1;
        EXPECT_EQ(aead->open(other, sealed), std::nullopt);
    }
    EXPECT_THROW(crypto.aes_256_gcm(std::string(16, '\0')), platform::CryptoError);
}

class DpapiKeyStoreTest : public ::testing::Test {
  protected:
    doubles::TempFolder folder;
    platform::win32::DpapiKeyStore keys{folder.path()};
    const std::string key = "3f7a0c19b2e4d6a8" + std::string(48, '5');
};

TEST_F(DpapiKeyStoreTest, KeepsAKeyWrappedBesideTheRecordsAndFindsItAgain) {
    EXPECT_EQ(keys.find("0a1b2c3d"), std::nullopt);

    keys.keep("0a1b2c3d", key, "Keymint records key 0a1b2c3d");
    EXPECT_EQ(keys.find("0a1b2c3d"), key);
    EXPECT_EQ(platform::win32::DpapiKeyStore(folder.path()).find("0a1b2c3d"), key);
    EXPECT_EQ(keys.find("ffff0000"), std::nullopt);

    const std::string stored = doubles::read_file(keys.path_of("0a1b2c3d"));
    EXPECT_EQ(stored.find(key), std::string::npos);
    EXPECT_EQ(stored.find(hex(key)), std::string::npos);

    keys.keep("0a1b2c3d", "another key", "Keymint records key 0a1b2c3d");
    EXPECT_EQ(keys.find("0a1b2c3d"), "another key");
}

TEST_F(DpapiKeyStoreTest, ADamagedOrMovedKeyFileIsRefused) {
    keys.keep("0a1b2c3d", key, "Keymint records key 0a1b2c3d");
    const std::string stored = doubles::read_file(keys.path_of("0a1b2c3d"));
    // The blob ends in the wrapped key and its signature, which every DPAPI checks.
    auto flipped = [&stored](std::size_t from_end) {
        std::string copy = stored;
        char& digit = copy[copy.size() - from_end];
        digit = digit == '0' ? '1' : '0';
        return copy;
    };
    struct Case {
        const char* what;
        std::string id;
        std::string contents;
    };
    const Case cases[] = {
        {"a flipped last digit", "0a1b2c3d", flipped(1)},
        {"a flipped digit of the wrapped key", "0a1b2c3d", flipped(80)},
        {"cut short", "0a1b2c3d", stored.substr(0, stored.size() / 2)},
        {"not hex", "0a1b2c3d", "not a key"},
        {"under another id", "99999999", stored},
    };
    for (const Case& c : cases) {
        doubles::write_file(keys.path_of(c.id), c.contents);
        try {
            keys.find(c.id);
            ADD_FAILURE() << c.what << " was unwrapped";
        } catch (const platform::KeyStoreError& error) {
            EXPECT_NE(
                std::string(error.what()).find("could not be unwrapped for this Windows user"),
                std::string::npos)
                << error.what();
        }
    }
    EXPECT_THROW(keys.find("..\\keymint"), platform::KeyStoreError);
}

}  // namespace
