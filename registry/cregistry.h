#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/program_info.h"
#include "platform/registry.h"
#include "registry/registry_error.h"
#include "registry/registry_value.h"

namespace registry {

// Root key values as ClassKey holds them.
inline constexpr std::int32_t kHkeyClassesRoot = static_cast<std::int32_t>(0x80000000);
inline constexpr std::int32_t kHkeyLocalMachine = static_cast<std::int32_t>(0x80000002);

// Registry data types as ValueType holds them.
inline constexpr std::int32_t kRegNone = 0;
inline constexpr std::int32_t kRegSz = 1;
inline constexpr std::int32_t kRegExpandSz = 2;
inline constexpr std::int32_t kRegBinary = 3;
inline constexpr std::int32_t kRegDword = 4;
inline constexpr std::int32_t kRegDwordBigEndian = 5;
inline constexpr std::int32_t kRegMultiSz = 7;

// A cursor on the registry: set where to work (ClassKey, SectionKey, ValueKey, ValueType,
// Default), then call an operation there. Every operation opens its key and closes it again
// before it returns or throws; failures are answered or thrown as RegistryError.
class cRegistry {
  public:
    cRegistry(platform::Registry& registry, const platform::ProgramInfo& program);

    bool KeyExists();
    bool CreateKey();
    bool DeleteKey();
    bool DeleteValue();
    // Reads the value; a value that cannot be read gives a copy of Default. Sets ValueType to
    // the stored type.
    Variant Value();
    void Value(const Variant& vValue);
    // The lists are filled from index 0; the count is their size.
    bool EnumerateValues(std::vector<std::string>& sKeyNames, std::int32_t& iKeyCount);
    bool EnumerateSections(std::vector<std::string>& sSect, std::int32_t& iSectCount);

    // Registers the file type `sAssociation` (no dot) for the class `sClassName` under
    // HKEY_CLASSES_ROOT and HKEY_LOCAL_MACHINE\SOFTWARE\Classes.
    void CreateEXEAssociation(const std::string& sExePath, const std::string& sClassName,
                              const std::string& sClassDescription, const std::string& sAssociation,
                              std::string sOpenMenuText = "", bool bSupportPrint = false,
                              std::string sPrintMenuText = "", bool bSupportNew = false,
                              std::string sNewMenuText = "", bool bSupportInstall = false,
                              std::string sInstallMenuText = "",
                              std::int32_t lDefaultIconIndex = -1);
    // Adds verbs, given as (verb, menu text, command) triples, to a registered class. Throws
    // RegistryError kInvalidParameterListError or kClassNotDefinedError when a check fails;
    // a failed write is skipped.
    void CreateAdditionalEXEAssociations(const std::string& sClassName,
                                         const std::vector<Variant>& vItems);

    std::int32_t ValueType() const { return value_type_; }
    void ValueType(std::int32_t eValueType) { value_type_ = eValueType; }
    std::int32_t ClassKey() const { return class_key_; }
    void ClassKey(std::int32_t eKey) { class_key_ = eKey; }
    const std::string& SectionKey() const { return section_key_; }
    void SectionKey(const std::string& sSectionKey) { section_key_ = sSectionKey; }
    const std::string& ValueKey() const { return value_key_; }
    void ValueKey(const std::string& sValueKey) { value_key_ = sValueKey; }
    Variant Default() const { return default_; }
    void Default(const Variant& vDefault) { default_ = vDefault; }

  private:
    void WriteClassesValue(const std::string& text);
    static std::int32_t SwapEndian(std::int32_t value);
    std::string ExpandEnvString(const std::string& text);

    platform::reg::Key root() const;
    platform::reg::Result create_section(platform::reg::Key* key);
    bool key_exists(std::int32_t class_key, const std::string& section);
    std::string class_key_text() const;
    std::string set_value_description(const Variant& value) const;

    platform::Registry& registry_;
    std::string source_;
    std::int32_t class_key_ = 0;
    std::string section_key_;
    std::string value_key_;
    std::int32_t value_type_ = 0;
    Variant default_;
};

}  // namespace registry
