#include "platform/posix/secret_service_key_store.h"

#include <libsecret/secret.h>

#include <memory>

namespace platform::posix {
namespace {

const SecretSchema* schema() {
    static const SecretSchema kSchema = [] {
        SecretSchema schema{};
        schema.name = "io.github.keymint.Keymint.RecordsKey";
        schema.flags = SECRET_SCHEMA_NONE;
        schema.attributes[0] = {"key-id", SECRET_SCHEMA_ATTRIBUTE_STRING};
        return schema;
    }();
    return &kSchema;
}

struct ErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};

// Names what is missing: no bus, no service on it, or a keyring the user did not unlock.
[[noreturn]] void fail(GError* raw, const char* doing) {
    std::unique_ptr<GError, ErrorFree> error(raw);
    std::string reason = error ? error->message : "no reason given";
    std::string what;
    if (error && error->domain == G_DBUS_ERROR &&
        (error->code == G_DBUS_ERROR_SERVICE_UNKNOWN ||
         error->code == G_DBUS_ERROR_NAME_HAS_NO_OWNER)) {
        what =
            "No keyring answers on this desktop session: the Secret Service "
            "(org.freedesktop.secrets, which gnome-keyring, KWallet and KeePassXC provide) is "
            "not running.";
    } else if (error && error->domain == G_DBUS_ERROR &&
               error->code == G_DBUS_ERROR_UNKNOWN_OBJECT) {
        what =
            "The desktop's keyring has no default keyring to keep the key in: it was not "
            "made, or not unlocked, when the desktop asked.";
    } else if (error && error->domain == G_IO_ERROR && error->code == G_IO_ERROR_CANCELLED) {
        what = "The keyring stayed locked: it was not unlocked when the desktop asked.";
    } else if (error && error->domain == SECRET_ERROR && error->code == SECRET_ERROR_IS_LOCKED) {
        what = "The keyring is locked: unlock it and try again.";
    } else {
        what = std::string("The desktop's keyring could not ") + doing + ".";
    }
    throw KeyStoreError(what + " (" + reason + ")");
}

}  // namespace

std::optional<std::string> SecretServiceKeyStore::find(const std::string& id) {
    GError* error = nullptr;
    gchar* found =
        secret_password_lookup_sync(schema(), nullptr, &error, "key-id", id.c_str(), nullptr);
    if (error != nullptr) {
        fail(error, "be read");
    }
    if (found == nullptr) {
        return std::nullopt;
    }
    std::string key(found);
    secret_password_free(found);
    return key;
}

void SecretServiceKeyStore::keep(const std::string& id, std::string_view key,
                                 const std::string& label) {
    GError* error = nullptr;
    const std::string text(key);
    const gboolean kept =
        secret_password_store_sync(schema(), SECRET_COLLECTION_DEFAULT, label.c_str(), text.c_str(),
                                   nullptr, &error, "key-id", id.c_str(), nullptr);
    if (error != nullptr || !kept) {
        fail(error, "keep the key");
    }
}

}  // namespace platform::posix
