#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>

#include "platform/registry.h"

namespace registry {

// Error numbers raised by cRegistry.
inline constexpr std::int32_t kKeyError = 26001;
inline constexpr std::int32_t kSetValueError = static_cast<std::int32_t>(0x800469A9);
inline constexpr std::int32_t kEnumerateSectionsError = static_cast<std::int32_t>(0x800469AA);
inline constexpr std::int32_t kInvalidParameterListError = static_cast<std::int32_t>(0x800469AC);
inline constexpr std::int32_t kClassNotDefinedError = static_cast<std::int32_t>(0x800469AD);
inline constexpr std::int32_t kSubscriptOutOfRangeError = 9;

class RegistryError : public std::runtime_error {
  public:
    // `cause` is the registry's result code behind the error, 0 when there is none.
    RegistryError(std::int32_t number, std::string source, std::string description,
                  platform::reg::Result cause = 0)
        : std::runtime_error(description),
          number_(number),
          source_(std::move(source)),
          description_(std::move(description)),
          cause_(cause) {}

    std::int32_t number() const { return number_; }
    const std::string& source() const { return source_; }
    const std::string& description() const { return description_; }
    platform::reg::Result cause() const { return cause_; }

  private:
    std::int32_t number_;
    std::string source_;
    std::string description_;
    platform::reg::Result cause_;
};

}  // namespace registry
