#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace platform::posix {

// A Windows command line split into its arguments (quotation marks and backslashes as
// CommandLineToArgvW reads them), and back.
std::vector<std::string> split_command_line(std::string_view command_line);
std::string join_command_line(const std::vector<std::string>& arguments);

// The value of a desktop entry's Exec key for these arguments, quoted and escaped as freedesktop's
// desktop entry rules require, and back. Reading drops field codes such as %U; an unterminated
// quotation gives nothing.
std::string exec_from_arguments(const std::vector<std::string>& arguments);
std::optional<std::vector<std::string>> arguments_from_exec(std::string_view exec);

// The user's XDG configuration folder: $XDG_CONFIG_HOME when it is an absolute path, else
// $HOME/.config.
std::string xdg_config_home();

// The programs started at log-on, kept as desktop entries "<name>.desktop" in one folder. Names
// match without regard to ASCII case. An entry that is hidden (Hidden=true, or switched off
// with X-GNOME-Autostart-enabled=false) counts as absent.
class XdgAutostartFolder {
  public:
    struct Entry {
        std::string command_line;  // the Exec line as a Windows command line
        std::uint32_t type = reg::kSz;
    };

    explicit XdgAutostartFolder(std::string folder);

    const std::string& folder() const { return folder_; }
    // kFileNotFound when there is no visible entry of that name.
    reg::Result read(std::string_view name, Entry* entry) const;
    // Writes the entry in one step (a temporary file renamed over the old one).
    reg::Result write(std::string_view name, const Entry& entry) const;
    reg::Result remove(std::string_view name) const;
    // The names of the visible entries, sorted.
    std::vector<std::string> names() const;

  private:
    std::optional<std::string> file_of(std::string_view name) const;

    std::string folder_;
};

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

// The registry of the user running the program: the database in `config_home`/keymint and the
// autostart folder `config_home`/autostart.
std::unique_ptr<Registry> make_user_registry(const std::string& config_home = xdg_config_home());

}  // namespace platform::posix
