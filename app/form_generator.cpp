#include "app/frm_main.h"

#include "app/accessibility.h"
#include "app/generator.h"
#include "app/messages.h"
#include "app/password_rules.h"
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
    PasswordRules rules = generator_rules();
    if (rules.custom_list) {
        // The box shows the list as it is used.
        strLeftOut = unencodable_characters(*rules.custom_list, services_.encoding);
        arrOzelKarakterler.set_text(custom_pool(*rules.custom_list, services_.encoding));
    }
    const PasswordPlan plan = rules.validate(services_.encoding);
    strKarakterler = plan.problem == PasswordPlan::EmptyPool ? std::string() : plan.pool;
    required_classes = plan.classes;
    if (plan.problem == PasswordPlan::TooLong) {
        intUzunluk.set_text(kLengthAfterTooLong);
    }
    if (!plan.drawable()) {
        return plan.message;
    }
    SifreOlustur(plan);
    record_and_show(records_file);
    return {};
}

PasswordRules frmMain::generator_rules() {
    PasswordRules rules;
    rules.pool.from_classes = blnTumKarakterler.value() != 0;
    for (std::size_t i = 0; i < kClassCount; ++i) {
        rules.pool.ticked[i] = class_box(i).value() == 1;
    }
    rules.pool.no_look_alikes = chkNoLookAlikes.value() == 1;
    rules.pool.every_class = chkEveryClass.value() == 1;
    rules.pool.exclude = txtExclude.text();
    if (!rules.pool.from_classes && blnOzelKarakterler.value() != 0) {
        rules.custom_list = arrOzelKarakterler.text();
    }
    rules.length = intUzunluk.text();
    return rules;
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

void frmMain::SifreOlustur(const PasswordPlan& plan) {
    strYeniSifre = plan.draw(services_.random);
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
