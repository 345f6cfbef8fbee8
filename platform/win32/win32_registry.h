#pragma once

#include "platform/registry.h"

namespace platform::win32 {

// The Windows registry itself. Texts are converted between the program's UTF-8 and the
// registry's UTF-16 at this edge, so sizes and lengths are those of the UTF-8 text, as the "A"
// functions give them in the ANSI code page.
class Win32Registry : public Registry {
  public:
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
};

}  // namespace platform::win32
