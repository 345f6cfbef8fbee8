#pragma once

#include <exception>
#include <string>

namespace app {

// The texts of the program's message boxes.
inline constexpr const char* kApplicationTitle = "Keymint";
inline constexpr const char* kCantLoadFile = "Can't load file. Please make folder writeable.";
inline constexpr const char* kNotGenerated = "Password not generated!";
inline constexpr const char* kSelectChars = "Please select chars to generate password!";
inline constexpr const char* kTooShort = "Password must be at least 1 char!";
inline constexpr const char* kTooLong = "Password can be max. 50 chars!";
// Every chosen class at least once needs as many characters as classes.
inline std::string too_short_for_every_class(std::size_t classes) {
    return "Password must be at least " + std::to_string(classes) +
           " chars to hold one of each chosen kind!";
}
inline constexpr const char* kWordCount = "Passphrase must be 1 to 20 words!";
inline constexpr const char* kShortWordList = "The word list must hold at least 2 different words!";
inline constexpr const char* kBadSeparator =
    "The separator can hold only spaces and visible characters!";
inline constexpr const char* kNoWordList = "Can't read the word list.";
// Followed by the characters.
inline constexpr const char* kSeparatorCodePage =
    "The separator holds characters the records file cannot keep, because it is kept in this "
    "system's code page:";
inline constexpr const char* kOnlyLookAlikes =
    "Every character of the list is one that looks like another, and the option to leave out "
    "look-alike characters removed them all!";
inline constexpr const char* kExcludedAll =
    "Every character the password could be drawn from is among the characters to leave out!";
// Followed by the characters, on Windows only: the records file is in the ANSI code page there.
inline constexpr const char* kLeftOutChars =
    "These characters were left out of the list, because the records file is kept in this "
    "system's code page, which cannot hold them:";

inline constexpr const char* kCopyFirst = "Generate password before copy to clipboard.";
inline constexpr const char* kCopied =
    "The password copied to clipboard.\r\n\r\nYou can paste it to a textarea.";
inline constexpr const char* kCopyFailed =
    "The password could not be put on the clipboard, so nothing was copied. Please try again.";

inline constexpr const char* kPrivateOn =
    "Your records are now private: the records file is encrypted, and its key is kept in this "
    "desktop's keyring.\r\n\r\nWrite down this recovery key and keep it somewhere safe. It is "
    "shown only now. Without it, nobody (Keymint included) can read the records once the keyring "
    "is lost, or on another computer.";
inline constexpr const char* kAskRecoveryKey =
    "Type the recovery key Keymint showed when private records were turned on (fourteen groups "
    "of four letters and digits), to put their key back into this desktop's keyring:";
inline constexpr const char* kKeyRecovered =
    "The key of the private records is back in this desktop's keyring.";
inline std::string words_not_held(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " word was" : " words were") +
           " left out of the word list, because the records file is kept in this system's code "
           "page, which cannot hold them.";
}
inline std::string unreadable_lines(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " line" : " lines") +
           " of the records file could not be read as records (damaged, or written by another "
           "program). They were kept as they are.";
}

// A message followed, after a blank line, by what the system said went wrong.
inline std::string with_reason(const std::string& text, const std::exception& error) {
    return text + "\r\n\r\n" + error.what();
}

}  // namespace app
