#pragma once

#include <string>

#include "platform/key_store.h"
#include "platform/win32/win32_file_system.h"

namespace platform::win32 {

// Keys wrapped by DPAPI for the Windows user, each in a file "keymint-<id>.key" beside the
// records: only that user, logged on, can unwrap them. A copy of the folder taken elsewhere
// holds no key anyone else can read.
class DpapiKeyStore : public KeyStore {
  public:
    // `folder`: the folder of the records file, in UTF-8.
    explicit DpapiKeyStore(std::string folder);

    std::optional<std::string> find(const std::string& id) override;
    void keep(const std::string& id, std::string_view key, const std::string& label) override;

    std::string path_of(const std::string& id) const;

  private:
    std::string folder_;
    Win32FileSystem files_;
};

}  // namespace platform::win32
