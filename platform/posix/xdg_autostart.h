#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace platform::posix {

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
    // Why the last write or removal failed with `result`, as a sentence naming the file or
    // folder; empty when it did not fail that way.
    std::string last_failure(reg::Result result) const;

  private:
    std::optional<std::string> file_of(std::string_view name) const;
    reg::Result failed(reg::Result result, std::string reason) const;

    std::string folder_;
    mutable std::string last_failure_;
    mutable reg::Result last_failure_code_ = reg::kSuccess;
};

// The registry of the user running the program: the database in `config_home`/keymint and the
// autostart folder `config_home`/autostart.
std::unique_ptr<Registry> make_user_registry(const std::string& config_home = xdg_config_home());

}  // namespace platform::posix
