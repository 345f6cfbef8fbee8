#include "platform/win32/win32_registry.h"
#include "tests/registry/registry_test_support.h"

namespace registry_test {

namespace {

class Win32Environment : public Environment {
  public:
    platform::Registry& registry() override { return registry_; }
    std::string program_folder() const override { return "C:\\Tools"; }
    char separator() const override { return '\\'; }

  private:
    platform::win32::Win32Registry registry_;
};

}  // namespace

bool real_registry() {
    return true;
}

std::unique_ptr<Environment> make_environment() {
    return std::make_unique<Win32Environment>();
}

}  // namespace registry_test
