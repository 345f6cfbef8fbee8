#include "app/frm_main.h"

#include "app/accessibility.h"
#include "app/generator.h"
#include "app/messages.h"
#include "app/strength.h"
#include "app/text.h"
#include "app/words.h"

namespace app {

namespace {

// What the length box falls back to after a length above the maximum.
constexpr const char* kLengthAfterTooLong = "6";

}  // namespace

void frmMain::cmdOlustur_Click() {
    Olustur();
}

void frmMain::Olustur() {
    // A click before the records are indexed waits for the index, with the window answering.
    records.when_ready([this] { guarded([this] { generate_password(); }); });
}

void frmMain::generate_password() {
    strKarakterler.clear();
    strYeniSifre.clear();
    strLeftOut.clear();
    std::string message;
    std::optional<std::string> key_missing;
    try {
        auto appending = records.open_for_check();
        if (!appending) {
            return;  // the records are indexed anew first; the click runs again then
        }
        message = generate_and_record(*appending);
    } catch (const platform::FileError& error) {
        message = with_reason(kCantLoadFile, error);
    } catch (const RecordsKeyMissing& error) {
        key_missing = error.what();
    } catch (const RecordsKeyError& error) {
        message = error.what();
    }
    // Shown only once the records file is let go: while it is open for appending, it is locked,
    // and a script writing to it would wait for the message box.
    if (!strWordsNote.empty()) {
        services_.messages.show(strWordsNote, kApplicationTitle, platform::MessageIcon::None);
        strWordsNote.clear();
    }
    if (key_missing) {
        ask_recovery_key(*key_missing);
    } else if (!strLeftOut.empty()) {
        left_out_message(message);
    } else if (!message.empty()) {
        generator_message(message);
    }
    update_copy_button();
}

std::string frmMain::generate_and_record(platform::AppendFile& records_file) {
    passphrase_strength = 0;
    if (chkWords.value() == 1) {
        return generate_passphrase(records_file);
    }
    PoolOptions options;
    options.from_classes = blnTumKarakterler.value() != 0;
    options.upper = blnUpper.value() == 1;
    options.lower = blnLower.value() == 1;
    options.number = blnNumber.value() == 1;
    options.other = blnOzel.value() == 1;
    options.no_look_alikes = chkNoLookAlikes.value() == 1;
    options.every_class = chkEveryClass.value() == 1;
    required_classes.clear();
    if (!options.from_classes && blnOzelKarakterler.value() != 0) {
        // The box shows the list as it is used.
        strLeftOut = unencodable_characters(arrOzelKarakterler.text(), services_.encoding);
        arrOzelKarakterler.set_text(custom_pool(arrOzelKarakterler.text(), services_.encoding));
    }
    if (options.from_classes || blnOzelKarakterler.value() != 0) {
        strKarakterler = character_pool(options, arrOzelKarakterler.text(), services_.encoding);
    }
    if (options.every_class) {
        required_classes = chosen_classes(options);
    }

    if (strKarakterler.empty()) {
        const bool all_look_alike = !options.from_classes && blnOzelKarakterler.value() != 0 &&
                                    options.no_look_alikes && !arrOzelKarakterler.text().empty();
        return all_look_alike ? kOnlyLookAlikes : kSelectChars;
    }
    LengthCheck length = check_length(intUzunluk.text());
    if (length.result == LengthCheck::BelowMinimum) {
        return kTooShort;
    }
    if (length.result == LengthCheck::AboveMaximum) {
        intUzunluk.set_text(kLengthAfterTooLong);
        return kTooLong;
    }
    if (required_classes.size() > static_cast<std::size_t>(length.length)) {
        return too_short_for_every_class(required_classes.size());
    }
    SifreOlustur(length.length);
    record_and_show(records_file);
    return {};
}

std::string frmMain::generate_passphrase(platform::AppendFile& records_file) {
    const int words = check_word_count(txtWordCount.text());
    if (words == 0) {
        return kWordCount;
    }
    if (auto refusal = separator_refusal(txtSeparator.text(), services_.encoding,
                                         [](std::string_view point) { return std::string(point); });
        !refusal.empty()) {
        return refusal;
    }
    try {
        // Read again only when it changed, so that a list put in its place is used at once.
        const std::string path = places_.language_file(kWordListFile);
        const platform::FileStamp stamp = services_.files.stamp(path);
        if (stamp != word_list_stamp) {
            std::size_t unheld = 0;
            word_list = parse_word_list(read_word_list(objFSO, path, services_.encoding),
                                        services_.encoding, &unheld);
            if (unheld > 0) {
                strWordsNote = words_not_held(unheld);
            }
            word_list_stamp = stamp;
        }
    } catch (const platform::FileError& error) {
        word_list_stamp.reset();
        return with_reason(kNoWordList, error);
    }
    if (word_list.size() < 2) {
        return kShortWordList;
    }
    strYeniSifre = draw_passphrase(word_list, words, txtSeparator.text(), services_.random);
    passphrase_strength = passphrase_bits(word_list.size(), words);
    record_and_show(records_file);
    return {};
}

void frmMain::record_and_show(platform::AppendFile& records_file) {
    // Recorded before it is shown, so that no password is handed out unrecorded.
    bool on_record = SifreKontrol(strYeniSifre, records_file);
    if (!on_record) {
        records.append(records_file, strYeniSifre);
    }
    bool refused = on_record && blnOncekilerOlmasin.value() == 1;
    txtSifre.set_text(refused ? std::string() : strYeniSifre);
    // Also where the box already held this text, and so raised no change.
    show_strength();
}

void frmMain::show_strength() {
    if (txtSifre.text().empty()) {
        barStrength.set_value(0);
        barStrength.set_tooltip({});
        lblStrength.set_caption({});
        return;
    }
    const auto length = static_cast<int>(code_point_count(txtSifre.text()));
    double bits = entropy_bits(strKarakterler, length);
    if (passphrase_strength > 0) {
        bits = passphrase_strength;
    } else if (!required_classes.empty()) {
        std::vector<std::size_t> sizes;
        for (const auto& characters : required_classes) {
            sizes.push_back(code_point_count(characters));
        }
        bits = every_class_bits(sizes, length);
    }
    barStrength.set_value(meter_value(bits));
    barStrength.set_tooltip(strength_tooltip(bits));
    lblStrength.set_caption(strength_text(whole_bits(bits), spoken_));
}

void frmMain::SifreOlustur(int length) {
    strYeniSifre = required_classes.empty()
                       ? draw_password(strKarakterler, length, services_.random)
                       : draw_with_every_class(code_points(strKarakterler), required_classes,
                                               length, services_.random);
}

bool frmMain::SifreKontrol(const std::string& strSifre, platform::AppendFile& records_file) {
    blnBulundu = records.is_on_record(strSifre, records_file);
    return blnBulundu;
}

void frmMain::generator_message(const std::string& text) {
    services_.messages.show(text, kNotGenerated, platform::MessageIcon::Critical);
}

void frmMain::left_out_message(const std::string& refusal) {
    std::string characters;
    for (const auto& point : code_points(strLeftOut)) {
        characters += (characters.empty() ? "" : " ") + point;
    }
    std::string text = strLeftOutMessage + "\r\n\r\n" + characters;
    // An empty pool needs no second word: the characters left out are why it is empty.
    if (refusal.empty()) {
        services_.messages.show(text, kApplicationTitle, platform::MessageIcon::None);
    } else if (refusal == kSelectChars) {
        generator_message(text);
    } else {
        generator_message(refusal + "\r\n\r\n" + text);
    }
}

}  // namespace app
