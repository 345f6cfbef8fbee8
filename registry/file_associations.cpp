#include <string>
#include <vector>

#include "registry/cregistry.h"

namespace registry {

namespace {

// The executable path with a quotation mark at each end (one already there is kept).
std::string quoted_path(const std::string& path) {
    std::size_t first = path.find_first_not_of(' ');
    std::size_t last = path.find_last_not_of(' ');
    std::string quoted = first == std::string::npos ? "" : path.substr(first, last - first + 1);
    if (quoted.empty() || quoted.front() != '"') {
        quoted.insert(quoted.begin(), '"');
    }
    if (quoted.back() != '"') {
        quoted += '"';
    }
    return quoted;
}

}  // namespace

void cRegistry::WriteClassesValue(const std::string& text) {
    ClassKey(kHkeyClassesRoot);
    Value(text);
    std::string section = SectionKey();
    ClassKey(kHkeyLocalMachine);
    SectionKey("SOFTWARE\\Classes\\" + section);
    Value(text);
    SectionKey(section);
}

void cRegistry::CreateEXEAssociation(const std::string& sExePath, const std::string& sClassName,
                                     const std::string& sClassDescription,
                                     const std::string& sAssociation, std::string sOpenMenuText,
                                     bool bSupportPrint, std::string sPrintMenuText,
                                     bool bSupportNew, std::string sNewMenuText,
                                     bool bSupportInstall, std::string sInstallMenuText,
                                     std::int32_t lDefaultIconIndex) {
    const std::string program = quoted_path(sExePath);

    SectionKey("." + sAssociation);
    ValueType(kRegSz);
    ValueKey("");
    WriteClassesValue(sClassName);

    SectionKey(sClassName);
    WriteClassesValue(sClassDescription);

    auto write_verb = [&](const std::string& verb, const std::string& menu_text,
                          const std::string& command) {
        SectionKey(sClassName + "\\shell\\" + verb);
        ValueKey("");
        WriteClassesValue(menu_text);
        SectionKey(sClassName + "\\shell\\" + verb + "\\command");
        ValueKey("");
        WriteClassesValue(command);
    };

    write_verb("open", sOpenMenuText.empty() ? "&Open" : sOpenMenuText, program + " \"%1\"");
    if (bSupportPrint) {
        write_verb("print", sPrintMenuText.empty() ? "&Print" : sPrintMenuText,
                   program + " /p \"%1\"");
    }
    if (bSupportInstall) {
        write_verb("add", sInstallMenuText.empty() ? "&Install " + sAssociation : sInstallMenuText,
                   program + " /a \"%1\"");
    }
    if (bSupportNew) {
        write_verb("new", sNewMenuText.empty() ? "&New" : sNewMenuText, program + " /n \"%1\"");
    }
    if (lDefaultIconIndex > -1) {
        SectionKey(sClassName + "\\DefaultIcon");
        ValueKey("");
        WriteClassesValue(program + "," + std::to_string(lDefaultIconIndex));
    }
}

void cRegistry::CreateAdditionalEXEAssociations(const std::string& sClassName,
                                                const std::vector<Variant>& vItems) {
    if (vItems.size() % 3 != 0) {
        throw RegistryError(
            kInvalidParameterListError, source_,
            "Invalid parameter list passed to CreateAdditionalEXEAssociations - expected "
            "Name/Text/Command");
    }
    SectionKey(sClassName);
    // The class lives where CreateEXEAssociation put it, whatever ClassKey says now.
    if (!key_exists(kHkeyClassesRoot, sClassName)) {
        throw RegistryError(kClassNotDefinedError, source_,
                            "Error - attempt to create additional associations before class "
                            "defined.");
    }
    for (std::size_t i = 0; i + 2 < vItems.size(); i += 3) {
        const std::string verb = sClassName + "\\shell\\" + to_text(vItems[i]);
        ValueType(kRegSz);
        SectionKey(verb);
        ValueKey("");
        try {
            WriteClassesValue(to_text(vItems[i + 1]));
        } catch (const RegistryError&) {
            // a failed write is skipped; the next one is tried
        }
        SectionKey(verb + "\\command");
        ValueKey("");
        try {
            WriteClassesValue(to_text(vItems[i + 2]));
        } catch (const RegistryError&) {
        }
    }
}

}  // namespace registry
