# The registry test suite, run against the Linux store and against the real registry under Wine.
set(keymint_registry_suite
  registry_test_support.cpp
  platform_registry_test.cpp
  cregistry_test.cpp
  associations_test.cpp
  autostart_test.cpp
)
