#include "app/inventory.h"

#include "app/char_classes.h"
#include "app/links.h"

namespace app {

const std::vector<std::string>& tab_captions() {
    static const std::vector<std::string> captions = {"Generate", "Records", "Options", "About"};
    return captions;
}

const std::vector<ControlDefinition>& frmMain_inventory() {
    using K = ControlKind;
    // clang-format off
    static const std::vector<ControlDefinition> inventory = {
        // name, kind, container, tab, caption, {left, top, width, height}, tab index, tooltip,
        // value, enabled, text, background
        {"Image1", K::Picture, "", kOnEveryTab, "", {0, 0, 4695, 1170}},
        {"SSTab1", K::TabControl, "", kOnEveryTab, "", {120, 1200, 4485, 5655}, 5, "", kTabGenerate},
        {"cmdGizle", K::Button, "", kOnEveryTab, "&Gizle", {2520, 6960, 975, 495}, 4},
        {"cmKapat", K::Button, "", kOnEveryTab, "Çıkış", {3600, 6960, 975, 495}, 1},
        {"Label2", K::Label, "", kOnEveryTab, std::string(kMakerLink.host), {120, 6960, 1200, 255}, 3,
         "Go to " + std::string(kMakerLink.host)},
        {"Label1", K::Label, "", kOnEveryTab, std::string(kAdviceLink.host), {120, 7200, 1575, 255}, 2,
         "Go to " + std::string(kAdviceLink.address)},

        // Tab "Generate"
        {"Frame1", K::Frame, "SSTab1", kTabGenerate, " [ Karakter Ayarları ] ", {120, 480, 4215, 3375}, 18},
        {"Picture1", K::Container, "Frame1", kTabGenerate, "", {240, 240, 2535, 495}, 24},
        {"blnTumKarakterler", K::OptionButton, "Picture1", kTabGenerate, "Tüm Karakterler",
         {0, 0, 1935, 495}, 25, "", 1},
        {"blnUpper", K::CheckBox, "Frame1", kTabGenerate, "Büyük Harfler (A-Z)", {480, 600, 1935, 495},
         23, class_tooltip(kCharClasses[0]), 1},
        {"blnLower", K::CheckBox, "Frame1", kTabGenerate, "Küçük Harfler (a-z)", {480, 960, 1695, 495},
         22, class_tooltip(kCharClasses[1]), 1},
        {"blnNumber", K::CheckBox, "Frame1", kTabGenerate, "Numaralar (0-9)", {480, 1320, 1455, 495},
         21, class_tooltip(kCharClasses[2]), 1},
        {"blnOzel", K::CheckBox, "Frame1", kTabGenerate, "Diğer Karakterler", {480, 1680, 1575, 495},
         19, class_tooltip(kCharClasses[3]), 1},
        {"Picture2", K::Container, "Frame1", kTabGenerate, "", {240, 2160, 3375, 495}, 26},
        {"blnOzelKarakterler", K::OptionButton, "Picture2", kTabGenerate,
         "&Sadece Aşağıdaki Karakterler", {0, 120, 2895, 375}, 27},
        {"arrOzelKarakterler", K::TextBox, "Frame1", kTabGenerate, "", {480, 2760, 3495, 375}, 20,
         "", 0, true, "", SystemColour::InactiveBorder},
        {"Frame2", K::Frame, "SSTab1", kTabGenerate, "[ Karakter Sayısı ] ", {120, 3960, 1575, 975}, 6},
        {"intUzunluk", K::TextBox, "Frame2", kTabGenerate, "", {240, 360, 855, 375}, 7, "", 0, true,
         "8"},
        {"Picture3", K::Container, "Frame2", kTabGenerate, "", {1120, 375, 225, 345}, 28},
        {"UpDown1", K::UpDown, "Picture3", kTabGenerate, "", {-10, -10, 255, 375}, 29},
        {"cmdOlustur", K::Button, "SSTab1", kTabGenerate, "Şifre &Oluştur", {1800, 4080, 2535, 855}, 0},
        {"txtSifre", K::TextBox, "SSTab1", kTabGenerate, "", {120, 5040, 3255, 375}, 8},
        {"cmdKopyala", K::Button, "SSTab1", kTabGenerate, "&Kopyala", {3480, 5040, 855, 375}, 9},
        {"barStrength", K::Meter, "SSTab1", kTabGenerate, "", {120, 5460, 3255, 75}},
        // The meter's figure in words, in the free strip between the frame and the Generate button.
        {"lblStrength", K::Label, "SSTab1", kTabGenerate, "", {1800, 3855, 2535, 225}},

        // Tab "Records"
        {"Frame3", K::Frame, "SSTab1", kTabRecords, " [ Kayıtlı Şifreler ] ", {120, 480, 4215, 4095}, 13},
        {"lstSifreler", K::ListBox, "Frame3", kTabRecords, "", {120, 360, 3975, 3570}, 14},
        {"optSecililer", K::OptionButton, "SSTab1", kTabRecords, "Seçili Olanı", {240, 4680, 1335, 495}, 15},
        {"optAll", K::OptionButton, "SSTab1", kTabRecords, "Tüm Kayıtları", {240, 5040, 1215, 495}, 16},
        {"cmdSifreSil", K::Button, "SSTab1", kTabRecords, "Sil", {1680, 4800, 975, 615}, 17},

        // Tab "Options"
        {"Frame4", K::Frame, "SSTab1", kTabOptions, " [ Seçenekler ] ", {120, 480, 4215, 1455}, 10},
        {"blnOncekilerOlmasin", K::CheckBox, "Frame4", kTabOptions,
         "Kayıtlı şifreler tekrar oluşturulmasın", {240, 240, 2775, 615}, 12, "", 1},
        {"chkAutoStart", K::CheckBox, "Frame4", kTabOptions, "Program sistem açılışında başlasın",
         {240, 840, 2775, 375}, 11},
        // Below the frame, which the two boxes above fill.
        {"chkClearClipboard", K::CheckBox, "SSTab1", kTabOptions, "Panoyu 30 saniye sonra temizle",
         {360, 2055, 3855, 375}, 30, "", 1},
        // Read at every Generate; unticked, the generator draws as it always has.
        {"chkEveryClass", K::CheckBox, "SSTab1", kTabOptions, "&Her seçili türden en az bir karakter",
         {360, 2415, 3855, 375}, 35},
        {"chkNoLookAlikes", K::CheckBox, "SSTab1", kTabOptions,
         "&Benzer görünen karakterleri kullanma", {360, 2775, 3855, 375}, 36},
        {"chkWords", K::CheckBox, "SSTab1", kTabOptions, "Şifre yerine kelime &dizisi",
         {360, 3135, 3855, 375}, 37},
        {"lblWordCount", K::Label, "SSTab1", kTabOptions, "Kelime sayısı:", {600, 3615, 1215, 255}},
        {"txtWordCount", K::TextBox, "SSTab1", kTabOptions, "", {1815, 3555, 495, 375}, 38, "", 0,
         true, "6"},
        {"lblSeparator", K::Label, "SSTab1", kTabOptions, "Ayırıcı:", {2520, 3615, 735, 255}},
        {"txtSeparator", K::TextBox, "SSTab1", kTabOptions, "", {3255, 3555, 495, 375}, 39, "", 0,
         true, " "},
        // Shows what the records file says it is, once it has been read.
        {"chkPrivate", K::CheckBox, "SSTab1", kTabOptions, "Kayıt&ları şifreli sakla",
         {360, 4035, 3855, 375}, 40},
        // Left out of every pool, the classes' and the list's.
        {"lblExclude", K::Label, "SSTab1", kTabOptions, "Kullanılmayacak karakterler:",
         {360, 4575, 2175, 255}},
        {"txtExclude", K::TextBox, "SSTab1", kTabOptions, "", {2535, 4515, 1695, 375}, 41},

        // Tab "About"
        {"lblVersion", K::Label, "SSTab1", kTabAbout, kWindowTitle, {240, 600, 3975, 255}},
        {"lblDescription", K::Label, "SSTab1", kTabAbout,
         "Verdiği her şifreyi kaydeden ve hiçbirini tekrar vermeyen şifre üreticisi.",
         {240, 960, 3975, 495}},
        {"lblLicence", K::Label, "SSTab1", kTabAbout, "Lisans: MIT", {240, 1560, 3975, 255}},
        {"lblFolder", K::Label, "SSTab1", kTabAbout, "Kayıtlar ve ayarlar bu klasörde:",
         {240, 2040, 3975, 255}},
        {"txtFolder", K::TextBox, "SSTab1", kTabAbout, "", {240, 2340, 3975, 375}, 31},
        {"cmdFolder", K::Button, "SSTab1", kTabAbout, "Klasörü Aç", {240, 2820, 1575, 375}, 32},
        {"lblMakerLink", K::Label, "SSTab1", kTabAbout, "Yapımcının sayfası", {240, 3480, 3975, 255},
         33, "Go to " + std::string(kMakerLink.address)},
        {"lblAdviceLink", K::Label, "SSTab1", kTabAbout, "Güçlü şifreler için öneriler",
         {240, 3780, 3975, 255}, 34, "Go to " + std::string(kAdviceLink.address)},
        {"lblWordList", K::Label, "SSTab1", kTabAbout,
         "Kelime listesi: EFF'nin büyük kelime listesi, CC BY 3.0 lisansıyla", {240, 4200, 3975, 495}},
        {"lblRulesLicence", K::Label, "SSTab1", kTabAbout,
         "Sitelerin şifre kuralları: Apple'ın password-manager-resources listesi, MIT lisansıyla",
         {240, 4755, 3975, 495}},

        // The tray's pop-up menu
        {"systrayshow", K::MenuItem, "systraymenu", kOnEveryTab, "Show"},
        {"systrayhide", K::MenuItem, "systraymenu", kOnEveryTab, "Hide"},
        {"systrayolustur", K::MenuItem, "systraymenu", kOnEveryTab, "Generate"},
        {"systrayexit", K::MenuItem, "systraymenu", kOnEveryTab, "Exit"},
    };
    // clang-format on
    return inventory;
}

}  // namespace app
