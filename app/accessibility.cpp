#include "app/accessibility.h"

#include <utility>

#include "app/strength.h"

namespace app {
namespace {

// The boxes without a caption, and the key of the name each is given.
const std::map<std::string_view, const char*>& named_by_key() {
    static const std::map<std::string_view, const char*> keys = {
        {"Image1", "Banner"},
        {"SSTab1", "Tabs"},
        {"txtSifre", "PasswordBox"},
        {"txtFolder", "FolderBox"},
        {"arrOzelKarakterler", "CustomChars"},
        {"intUzunluk", "LengthBox"},
        {"UpDown1", "LengthArrows"},
        {"barStrength", "Strength"},
    };
    return keys;
}

AccessibleRole role_of(const WindowPlan::Entry& entry) {
    using K = ControlKind;
    using R = AccessibleRole;
    switch (entry.control->kind()) {
        case K::Picture:
            return R::Graphic;
        case K::TabControl:
            return R::PageTabList;
        case K::Frame:
            return R::Grouping;
        case K::Container:
            return R::Pane;
        case K::OptionButton:
            return R::RadioButton;
        case K::CheckBox:
            return R::CheckBox;
        case K::TextBox:
            return R::Text;
        case K::ListBox:
            return R::List;
        case K::UpDown:
            return R::SpinButton;
        case K::Button:
            return R::PushButton;
        case K::Label:
            return entry.link ? R::Link : R::Label;
        case K::Meter:
            return R::ProgressBar;
        case K::MenuItem:
            break;
    }
    return R::MenuItem;
}

}  // namespace

std::string spoken_caption(std::string_view caption) {
    std::string spoken;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) {
            ++i;
        }
        spoken += caption[i];
    }
    const auto decoration = [](char c) { return c == ' ' || c == '[' || c == ']'; };
    std::size_t first = 0;
    while (first < spoken.size() && decoration(spoken[first])) {
        ++first;
    }
    std::size_t last = spoken.size();
    while (last > first && decoration(spoken[last - 1])) {
        --last;
    }
    return spoken.substr(first, last - first);
}

const std::vector<SpokenTexts::Row>& SpokenTexts::rows() {
    static const std::vector<Row> rows = {
        {"Banner", "Keymint şifre üreticisi"},
        {"Tabs", "Sekmeler"},
        {"PasswordBox", "Oluşturulan şifre"},
        {"FolderBox", "Kayıt klasörü"},
        {"CustomChars", "Kullanılacak karakterler"},
        {"LengthBox", "Şifre uzunluğu"},
        {"LengthArrows", "Şifre uzunluğunu değiştir"},
        {kSpinUpKey, "Bir karakter fazla"},
        {kSpinDownKey, "Bir karakter eksik"},
        {"Strength", "Şifre gücü"},
        {"Bits", "bit"},
        {"Weak", "zayıf"},
        {"Fair", "orta"},
        {"Strong", "güçlü"},
        {"VeryStrong", "çok güçlü"},
    };
    return rows;
}

SpokenTexts::SpokenTexts() {
    for (const Row& row : rows()) {
        texts_.emplace(row.key, row.builtin);
    }
}

std::string SpokenTexts::operator[](std::string_view key) const {
    auto found = texts_.find(key);
    return found == texts_.end() ? std::string(key) : found->second;
}

void SpokenTexts::set(std::string_view key, std::string text) {
    texts_.insert_or_assign(std::string(key), std::move(text));
}

AccessibleControl accessible_control(const WindowPlan& plan, std::size_t index,
                                     const SpokenTexts& texts) {
    const WindowPlan::Entry& entry = plan[index];
    const Control& control = *entry.control;
    AccessibleControl accessible{role_of(entry), spoken_caption(control.caption()),
                                 control.tooltip()};
    if (auto key = named_by_key().find(control.name()); key != named_by_key().end()) {
        accessible.name = texts[key->second];
    } else if (accessible.name.empty() && entry.container >= 0 && entry.takes_focus) {
        const Control& container = *plan[static_cast<std::size_t>(entry.container)].control;
        if (index > 0 && plan[index - 1].control->kind() == ControlKind::Label &&
            plan[index - 1].container == entry.container) {
            // A box right after its label is named by the label, less the label's colon.
            accessible.name = spoken_caption(plan[index - 1].control->caption());
            if (accessible.name.ends_with(':')) {
                accessible.name.pop_back();
            }
        } else if (container.kind() == ControlKind::Frame) {
            // A box alone in its frame is named by the frame.
            accessible.name = spoken_caption(container.caption());
        }
    }
    return accessible;
}

std::string strength_text(int whole_bits, const SpokenTexts& texts) {
    static const char* const words[] = {"Weak", "Fair", "Strong", "VeryStrong"};
    const char* word = words[static_cast<int>(strength_level(whole_bits))];
    return std::to_string(whole_bits) + " " + texts["Bits"] + " — " + texts[word];
}

}  // namespace app
