#include "app/char_classes.h"

namespace app {

std::optional<std::size_t> class_of_letter(char letter) {
    const char upper =
        letter >= 'a' && letter <= 'z' ? static_cast<char>(letter - 'a' + 'A') : letter;
    for (std::size_t i = 0; i < kClassCount; ++i) {
        if (kCharClasses[i].letter == upper) {
            return i;
        }
    }
    return std::nullopt;
}

std::string class_letters() {
    std::string letters;
    for (const auto& characters : kCharClasses) {
        letters += characters.letter;
    }
    return letters;
}

std::string class_list(bool with_letters) {
    std::string list;
    for (std::size_t i = 0; i < kClassCount; ++i) {
        const bool last = i + 1 == kClassCount;
        list += i == 0 ? "" : (last && with_letters ? " or " : ", ");
        const std::string name(kCharClasses[i].name);
        list += with_letters ? kCharClasses[i].letter + (" (" + name + ")") : name;
    }
    return list;
}

std::string class_tooltip(const CharClass& characters) {
    return "Include " + std::string(characters.characters) + " chars.";
}

}  // namespace app
