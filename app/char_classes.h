#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace app {

// A class of characters the user can tick: everything the program knows of it is in this row.
struct CharClass {
    char letter;                    // on the command line's --classes
    std::string_view characters;    // in the pool's order
    std::string_view language_key;  // its check box's caption in the language file
    std::string_view ini_key;       // where keymint.ini keeps whether it is ticked
    std::string_view control;       // its check box
    std::string_view name;          // in the command line's help and messages
};

inline constexpr std::array<CharClass, 4> kCharClasses = {{
    {'U', "ABCDEFGHIJKLMNOPQRSTUVWXYZ", "UCases", "uppercase", "blnUpper", "upper case"},
    {'L', "abcdefghijklmnopqrstuvwxyz", "LCases", "lovercase", "blnLower", "lower case"},
    {'D', "0123456789", "Numbers", "numbers", "blnNumber", "digits"},
    {'O', "!^+%&()=?_£#${[]}\\|*@€~", "OtherChars", "otherchars", "blnOzel", "others"},
}};
inline constexpr std::size_t kClassCount = kCharClasses.size();

// The class a letter of --classes names, either case.
std::optional<std::size_t> class_of_letter(char letter);

// Every class's letter, in order ("ULDO").
std::string class_letters();

// The classes one after another, as "U (upper case), L (lower case), D (digits) or O (others)";
// without the letters, "upper case, lower case, digits, others".
std::string class_list(bool with_letters);

// The check box's tooltip.
std::string class_tooltip(const CharClass& characters);

}  // namespace app
