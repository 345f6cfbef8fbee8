#include "app/frm_main.h"

#include "app/generator.h"
#include "app/messages.h"

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

    std::unique_ptr<platform::AppendFile> appending;
    try {
        appending = objSifreler.open_for_append();
    } catch (const platform::FileError& error) {
        generator_message(with_reason(kCantLoadFile, error));
        return;
    }

    PoolOptions options;
    options.from_classes = blnTumKarakterler.value() != 0;
    options.upper = blnUpper.value() == 1;
    options.lower = blnLower.value() == 1;
    options.number = blnNumber.value() == 1;
    options.other = blnOzel.value() == 1;
    if (!options.from_classes && blnOzelKarakterler.value() != 0) {
        // The box shows the list as it is used.
        arrOzelKarakterler.set_text(custom_pool(arrOzelKarakterler.text(), services_.encoding));
    }
    if (options.from_classes || blnOzelKarakterler.value() != 0) {
        strKarakterler = character_pool(options, arrOzelKarakterler.text(), services_.encoding);
    }

    if (strKarakterler.empty()) {
        generator_message(kSelectChars);
    } else {
        LengthCheck length = check_length(intUzunluk.text());
        if (length.result == LengthCheck::BelowMinimum) {
            generator_message(kTooShort);
        } else if (length.result == LengthCheck::AboveMaximum) {
            intUzunluk.set_text(kLengthAfterTooLong);
            generator_message(kTooLong);
        } else {
            SifreOlustur(length.length);
            // Recorded before it is shown, so that no password is handed out unrecorded.
            try {
                bool on_record = SifreKontrol(strYeniSifre);
                if (!on_record) {
                    RecordsFile::append(*appending, strYeniSifre);
                }
                bool refused = on_record && blnOncekilerOlmasin.value() == 1;
                txtSifre.set_text(refused ? std::string() : strYeniSifre);
            } catch (const platform::FileError& error) {
                generator_message(with_reason(kCantLoadFile, error));
            }
        }
    }
    update_copy_button();
}

void frmMain::SifreOlustur(int length) {
    strYeniSifre = draw_password(strKarakterler, length, services_.random);
}

bool frmMain::SifreKontrol(const std::string& strSifre) {
    blnBulundu = records.is_on_record(strSifre);
    return blnBulundu;
}

void frmMain::generator_message(const std::string& text) {
    services_.messages.show(text, kNotGenerated, platform::MessageIcon::Critical);
}

}  // namespace app
