#include "app/frm_main.h"

#include <optional>

#include "ini/ini_read.h"

namespace app {

void frmMain::Dil() {
    std::vector<std::pair<std::string_view, Control*>> captions = {
        {"AllChars", &blnTumKarakterler},
        {"OnlyChars", &blnOzelKarakterler},
        {"Generate", &cmdOlustur},
        {"Copy", &cmdKopyala},
        {"Minimize", &cmdGizle},
        {"Close", &cmKapat},
        {"Selected", &optSecililer},
        {"All", &optAll},
        {"Delete", &cmdSifreSil},
        {"NoReGenerate", &blnOncekilerOlmasin},
        {"AutoStart", &chkAutoStart},
        {"CharSettings", &Frame1},
        {"LngChar", &Frame2},
        {"Records", &Frame3},
        {"Options", &Frame4},
    };
    for (std::size_t i = 0; i < kClassCount; ++i) {
        captions.emplace_back(kCharClasses[i].language_key, &class_box(i));
    }
    const std::string path = places_.language_file("lang.ini");
    // Captions added later keep their built-in text when a language file lacks them.
    const std::pair<const char*, Control*> later_captions[] = {
        {"ClearClipboard", &chkClearClipboard},
        {"EveryClass", &chkEveryClass},
        {"NoLookAlikes", &chkNoLookAlikes},
        {"Words", &chkWords},
        {"PrivateRecords", &chkPrivate},
        {"ExcludeChars", &lblExclude},
        {"WordCount", &lblWordCount},
        {"Separator", &lblSeparator},
        {"WordListLicence", &lblWordList},
        {"RulesLicence", &lblRulesLicence},
        {"AboutText", &lblDescription},
        {"License", &lblLicence},
        {"DataFolder", &lblFolder},
        {"OpenFolder", &cmdFolder},
        {"MakerPage", &lblMakerLink},
        {"PasswordAdvice", &lblAdviceLink},
    };
    std::optional<ini::IniText> language;
    try {
        language.emplace(ini::IniText::load(objFSO, path));
    } catch (const platform::FileError&) {
        // Without a readable language file the built-in captions stay.
        return;
    }
    for (const auto& [key, control] : captions) {
        control->set_caption(language->value("Default", std::string(key)));
    }
    for (const auto& [key, control] : later_captions) {
        std::string caption = language->value("Default", key);
        if (!caption.empty()) {
            control->set_caption(caption);
        }
    }
    if (std::string text = language->value("Default", "LeftOutChars"); !text.empty()) {
        strLeftOutMessage = text;
    }
    for (const auto& row : SpokenTexts::rows()) {
        std::string text = language->value("Default", row.key);
        if (!text.empty()) {
            spoken_.set(row.key, text);
        }
    }
}

}  // namespace app
