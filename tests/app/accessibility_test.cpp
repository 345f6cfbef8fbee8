#include "app/accessibility.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "app/strength.h"
#include "app/text.h"
#include "form_harness.h"

namespace {

using R = app::AccessibleRole;

struct Row {
    const char* control;
    R role;
    const char* name;  // with the built-in captions
    const char* english_name;
};

// clang-format off
const Row kRows[] = {
    {"Image1", R::Graphic, "Keymint şifre üreticisi", "Keymint password generator"},
    {"Frame1", R::Grouping, "Karakter Ayarları", "Characters"},
    {"blnTumKarakterler", R::RadioButton, "Tüm Karakterler", "All characters"},
    {"blnOzelKarakterler", R::RadioButton, "Sadece Aşağıdaki Karakterler", "Only the characters below"},
    {"blnUpper", R::CheckBox, "Büyük Harfler (A-Z)", "Upper case (A-Z)"},
    {"arrOzelKarakterler", R::Text, "Kullanılacak karakterler", "Characters to use"},
    {"intUzunluk", R::Text, "Şifre uzunluğu", "Password length"},
    {"UpDown1", R::SpinButton, "Şifre uzunluğunu değiştir", "Change the password length"},
    {"cmdOlustur", R::PushButton, "Şifre Oluştur", "Generate password"},
    {"txtSifre", R::Text, "Oluşturulan şifre", "Generated password"},
    {"barStrength", R::ProgressBar, "Şifre gücü", "Password strength"},
    {"lstSifreler", R::List, "Kayıtlı Şifreler", "Recorded passwords"},
    {"optAll", R::RadioButton, "Tüm Kayıtları", "All records"},
    {"txtFolder", R::Text, "Kayıt klasörü", "Records folder"},
    {"lblLicence", R::Label, "Lisans: MIT", "Licence: MIT"},
    {"lblAdviceLink", R::Link, "Güçlü şifreler için öneriler", "Advice on strong passwords"},
    {"Picture1", R::Pane, "", ""},
};
// clang-format on

class Accessibility : public ::testing::TestWithParam<bool> {
  protected:
    app::frmMain& start() {
        if (GetParam()) {
            std::filesystem::create_directory(harness.folder.file("Language"));
            std::filesystem::copy_file(KEYMINT_LANGUAGE_DIR "/english.ini",
                                       harness.folder.file("Language/lang.ini"));
        }
        app::frmMain& form = harness.start();
        plan.emplace(form.controls());
        return form;
    }
    app::AccessibleControl read(app::frmMain& form, const std::string& name) {
        for (std::size_t index = 0; index < plan->size(); ++index) {
            if ((*plan)[index].control->name() == name) {
                return app::accessible_control(*plan, index, form.spoken_texts());
            }
        }
        ADD_FAILURE() << "no control " << name;
        return {};
    }
    FormHarness harness;
    std::optional<app::WindowPlan> plan;
};

TEST_P(Accessibility, EachControlHasItsRoleAndTheNameOfItsLanguage) {
    app::frmMain& form = start();
    for (const Row& row : kRows) {
        app::AccessibleControl read_out = read(form, row.control);
        EXPECT_EQ(read_out.role, row.role) << row.control;
        EXPECT_EQ(read_out.name, GetParam() ? row.english_name : row.name) << row.control;
    }
    EXPECT_EQ(read(form, "blnNumber").description, "Include 0123456789 chars.");
}

TEST_P(Accessibility, WhatTheKeyboardReachesHasAName) {
    app::frmMain& form = start();
    for (std::size_t index : plan->focus_order()) {
        EXPECT_FALSE(app::accessible_control(*plan, index, form.spoken_texts()).name.empty())
            << (*plan)[index].control->name();
    }
}

TEST_P(Accessibility, TheStrengthReadOutFollowsThePasswordBox) {
    app::frmMain& form = start();
    form.intUzunluk.set_text("10");
    form.raise_click(form.cmdOlustur);
    // Drawn from the 85 characters of the four classes: 10 are 64 bits, 5 are 32.
    EXPECT_EQ(form.lblStrength.caption(), GetParam() ? "64 bits — fair" : "64 bit — orta");
    auto characters = app::code_points(form.txtSifre.text());
    std::string half;
    for (std::size_t i = 0; i < 5; ++i) {
        half += characters[i];
    }
    form.raise_text_edit(form.txtSifre, half);
    EXPECT_EQ(form.lblStrength.caption(), GetParam() ? "32 bits — weak" : "32 bit — zayıf");
    EXPECT_EQ(form.barStrength.value(), 32);
    form.raise_text_edit(form.txtSifre, "");
    EXPECT_EQ(form.lblStrength.caption(), "");
    EXPECT_EQ(form.barStrength.value(), 0);
}

INSTANTIATE_TEST_SUITE_P(BuiltInAndEnglish, Accessibility, ::testing::Bool());

TEST(SpokenCaption, DropsTheAccessKeyMarkAndTheFrameDecoration) {
    const std::pair<const char*, const char*> cases[] = {
        {"Şifre &Oluştur", "Şifre Oluştur"},
        {" [ Kayıtlı Şifreler ] ", "Kayıtlı Şifreler"},
        {"Fish && &Chips", "Fish & Chips"},
        {"Trailing&", "Trailing&"},
    };
    for (const auto& [caption, spoken] : cases) {
        EXPECT_EQ(app::spoken_caption(caption), spoken) << caption;
    }
}

TEST(StrengthText, NamesTheLevelOfTheWholeBits) {
    app::SpokenTexts texts;
    const std::pair<int, const char*> cases[] = {
        {39, "39 bit — zayıf"},
        {40, "40 bit — orta"},
        {75, "75 bit — güçlü"},
        {100, "100 bit — çok güçlü"},
    };
    for (const auto& [bits, text] : cases) {
        EXPECT_EQ(app::strength_text(bits, texts), text) << bits;
    }
}

}  // namespace
