#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/xdg_autostart.h"
#include "platform/registry.h"

namespace platform::posix {

// A registry whose HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Run values are
// the entries of an XDG autostart folder, so that a Run entry really starts its program at
// log-on; everything else, RunOnce included, goes to the registry it wraps. The Run key always
// exists and cannot be deleted. Its values are REG_SZ or REG_EXPAND_SZ texts.
class RunKeyRegistry : public Registry {
  public:
    RunKeyRegistry(std::unique_ptr<Registry> store, XdgAutostartFolder autostart);

    reg::Result open_key(reg::Key key, std::string_view sub_key, std::uint32_t options,
                         std::uint32_t access, reg::Key* result) override;
    reg::Result create_key(reg::Key key, std::string_view sub_key, std::uint32_t reserved,
                           std::string_view class_name, std::uint32_t options, std::uint32_t access,
                           const reg::SecurityAttributes* security, reg::Key* result,
                           std::uint32_t* disposition) override;
    reg::Result close_key(reg::Key key) override;
    reg::Result query_value(reg::Key key, std::string_view name, std::uint32_t* type,
                            std::uint8_t* data, std::uint32_t* size) override;
    reg::Result set_value(reg::Key key, std::string_view name, std::uint32_t reserved,
                          std::uint32_t type, const std::uint8_t* data,
                          std::uint32_t size) override;
    reg::Result delete_key(reg::Key key, std::string_view sub_key) override;
    reg::Result delete_value(reg::Key key, std::string_view name) override;
    reg::Result enum_value(reg::Key key, std::uint32_t index, char* name, std::uint32_t* name_size,
                           std::uint32_t* type, std::uint8_t* data,
                           std::uint32_t* data_size) override;
    reg::Result enum_key(reg::Key key, std::uint32_t index, char* name,
                         std::uint32_t name_size) override;
    reg::Result query_info_key(reg::Key key, char* class_name, std::uint32_t* class_size,
                               reg::KeyInfo* info) override;
    std::uint32_t expand_environment_strings(std::string_view source, char* destination,
                                             std::uint32_t size) override;
    std::string describe(reg::Result result) override;

  private:
    struct OpenKey {
        reg::Key root;
        std::vector<std::string> path;
        std::uint32_t access;
        reg::Key store_key;  // 0 for the Run key, which the store does not hold open
    };

    reg::Result full_path(reg::Key key, std::string_view sub_key, reg::Key* root,
                          std::vector<std::string>* path) const;
    // The open Run key behind `key` with `needed` rights, or null when `key` is another key.
    const OpenKey* run_key(reg::Key key) const;
    reg::Key store_key(reg::Key key) const;
    reg::Key add_handle(OpenKey open);
    // The body of open_key and create_key. The Run key is opened here (it always exists); any
    // other key goes to the store as `store_call(parent, sub_key, &opened)`, named the way the
    // store knows it.
    template <typename StoreCall>
    reg::Result open_or_create(reg::Key key, std::string_view sub_key, std::uint32_t access,
                               reg::Key* result, std::uint32_t* disposition, StoreCall store_call);

    std::unique_ptr<Registry> store_;
    XdgAutostartFolder autostart_;
    std::map<reg::Key, OpenKey> handles_;
    reg::Key next_handle_ = 0x40000000;
};

}  // namespace platform::posix
