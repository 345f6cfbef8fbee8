#include <cstdlib>
#include <filesystem>

#include "platform/posix/xdg_autostart.h"
#include "tests/registry/registry_test_support.h"

namespace registry_test {

namespace {

class PosixEnvironment : public Environment {
  public:
    PosixEnvironment() {
        std::string pattern = (std::filesystem::temp_directory_path() / "keymint-reg-XXXXXX");
        config_home_ = ::mkdtemp(pattern.data());
        registry_ = platform::posix::make_user_registry(config_home_);
    }
    ~PosixEnvironment() override {
        registry_.reset();
        std::filesystem::remove_all(config_home_);
    }
    platform::Registry& registry() override { return *registry_; }
    std::string program_folder() const override { return "/opt/tools"; }
    char separator() const override { return '/'; }

  private:
    std::string config_home_;
    std::unique_ptr<platform::Registry> registry_;
};

}  // namespace

bool real_registry() {
    return false;
}

std::unique_ptr<Environment> make_environment() {
    return std::make_unique<PosixEnvironment>();
}

}  // namespace registry_test
