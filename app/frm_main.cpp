#include "app/frm_main.h"

#include <algorithm>
#include <stdexcept>
#include <unordered_map>

#include "app/generator.h"
#include "app/inventory.h"
#include "app/links.h"
#include "app/text.h"
#include "ini/ini_read.h"
#include "ini/ini_write.h"
#include "registry/autostart.h"

namespace app {
namespace {

constexpr const char* kApplicationTitle = "Keymint";
constexpr const char* kCantLoadFile = "Can't load file. Please make folder writeable.";
constexpr const char* kNotGenerated = "Password not generated!";
constexpr const char* kSelectChars = "Please select chars to generate password!";
constexpr const char* kTooShort = "Password must be at least 1 char!";
constexpr const char* kTooLong = "Password can be max. 50 chars!";
constexpr const char* kLengthAfterTooLong = "6";

constexpr const char* kCopyFirst = "Generate password before copy to clipboard.";
constexpr const char* kCopied =
    "The password copied to clipboard.\r\n\r\nYou can paste it to a textarea.";
constexpr const char* kCopyFailed =
    "The password could not be put on the clipboard, so nothing was copied. Please try again.";

constexpr const char* kUpperClass = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr const char* kLowerClass = "abcdefghijklmnopqrstuvwxyz";
constexpr const char* kNumberClass = "0123456789";
constexpr const char* kOtherClass = "!^+%&()=?_£#${[]}\\|*@€~";

std::deque<Control> build_controls() {
    std::deque<Control> controls;
    for (const auto& definition : frmMain_inventory()) {
        controls.emplace_back(definition);
    }
    return controls;
}

std::string with_reason(const std::string& text, const std::exception& error) {
    return text + "\r\n\r\n" + error.what();
}

}  // namespace

frmMain::frmMain(Services services)
    : services_(services),
      controls_(build_controls()),
      Image1(control("Image1")),
      SSTab1(control("SSTab1")),
      cmdGizle(control("cmdGizle")),
      cmKapat(control("cmKapat")),
      Label2(control("Label2")),
      Label1(control("Label1")),
      Frame1(control("Frame1")),
      Picture1(control("Picture1")),
      blnTumKarakterler(control("blnTumKarakterler")),
      blnUpper(control("blnUpper")),
      blnLower(control("blnLower")),
      blnNumber(control("blnNumber")),
      blnOzel(control("blnOzel")),
      Picture2(control("Picture2")),
      blnOzelKarakterler(control("blnOzelKarakterler")),
      arrOzelKarakterler(control("arrOzelKarakterler")),
      Frame2(control("Frame2")),
      intUzunluk(control("intUzunluk")),
      Picture3(control("Picture3")),
      UpDown1(control("UpDown1")),
      cmdOlustur(control("cmdOlustur")),
      txtSifre(control("txtSifre")),
      cmdKopyala(control("cmdKopyala")),
      Frame3(control("Frame3")),
      lstSifreler(control("lstSifreler")),
      optSecililer(control("optSecililer")),
      optAll(control("optAll")),
      cmdSifreSil(control("cmdSifreSil")),
      Frame4(control("Frame4")),
      blnOncekilerOlmasin(control("blnOncekilerOlmasin")),
      chkAutoStart(control("chkAutoStart")),
      systrayshow(control("systrayshow")),
      systrayhide(control("systrayhide")),
      systrayolustur(control("systrayolustur")),
      systrayexit(control("systrayexit")),
      objFSO(services.files),
      objSifreler(services.files, services.program.path_of(std::string(RecordsFile::kFileName))) {
    txtSifre.on_change = [this] { txtSifre_Change(); };
    arrOzelKarakterler.on_change = [this] { arrOzelKarakterler_Change(); };
    Form_Initialize();
}

frmMain::~frmMain() {
    Form_Terminate();
}

Control& frmMain::control(std::string_view name) {
    for (auto& control : controls_) {
        if (control.name() == name) {
            return control;
        }
    }
    throw std::out_of_range("No control named " + std::string(name));
}

void frmMain::set_observer(ControlObserver* observer) {
    for (auto& control : controls_) {
        control.set_observer(observer);
    }
}

void frmMain::Show() {
    Form_Load();
    services_.window.show_window();
}

// ---- Events ----

void frmMain::guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        report(error, "The action could not be completed.");
    } catch (...) {
        services_.messages.show("The action could not be completed because of an unknown error.",
                                kWindowTitle, platform::MessageIcon::Critical);
    }
}

void frmMain::report(const std::exception& error, const std::string& context) {
    services_.messages.show(with_reason(context, error), kWindowTitle,
                            platform::MessageIcon::Critical);
}

void frmMain::raise_click(Control& control) {
    static const std::unordered_map<std::string_view, void (frmMain::*)()> handlers = {
        {"cmdOlustur", &frmMain::cmdOlustur_Click},
        {"blnUpper", &frmMain::blnUpper_Click},
        {"blnLower", &frmMain::blnLower_Click},
        {"blnNumber", &frmMain::blnNumber_Click},
        {"blnOzel", &frmMain::blnOzel_Click},
        {"blnTumKarakterler", &frmMain::blnTumKarakterler_Click},
        {"blnOzelKarakterler", &frmMain::blnOzelKarakterler_Click},
        {"chkAutoStart", &frmMain::chkAutoStart_Click},
        {"cmdKopyala", &frmMain::cmdKopyala_Click},
        {"lstSifreler", &frmMain::lstSifreler_Click},
        {"cmdSifreSil", &frmMain::cmdSifreSil_Click},
        {"cmdGizle", &frmMain::cmdGizle_Click},
        {"cmKapat", &frmMain::cmKapat_Click},
        {"Label1", &frmMain::Label1_Click},
        {"Label2", &frmMain::Label2_Click},
        {"systrayshow", &frmMain::systrayshow_Click},
        {"systrayhide", &frmMain::systrayhide_Click},
        {"systrayolustur", &frmMain::systrayolustur_Click},
        {"systrayexit", &frmMain::systrayexit_Click},
    };
    auto handler = handlers.find(control.name());
    if (handler != handlers.end()) {
        guarded([&] { (this->*handler->second)(); });
    }
}

void frmMain::raise_key_press(Control& control, int& key_ascii) {
    static const std::unordered_map<std::string_view, void (frmMain::*)(int&)> handlers = {
        {"arrOzelKarakterler", &frmMain::arrOzelKarakterler_KeyPress},
        {"intUzunluk", &frmMain::intUzunluk_KeyPress},
        {"txtSifre", &frmMain::txtSifre_KeyPress},
    };
    auto handler = handlers.find(control.name());
    if (handler != handlers.end()) {
        guarded([&] { (this->*handler->second)(key_ascii); });
    }
}

void frmMain::raise_text_edit(Control& control, const std::string& text) {
    guarded([&] { control.set_text(text); });
}

void frmMain::raise_value_change(Control& control, int value) {
    if (control.kind() == ControlKind::OptionButton && value != 0) {
        select_option(control);
    } else {
        control.set_value(value);
    }
    raise_click(control);
}

void frmMain::select_option(Control& option) {
    for (auto& other : controls_) {
        if (&other != &option && other.kind() == ControlKind::OptionButton &&
            other.definition().container == option.definition().container &&
            other.definition().tab == option.definition().tab) {
            other.set_value(0);
        }
    }
    option.set_value(1);
}

void frmMain::raise_activate() {
    guarded([this] { Form_Activate(); });
}

void frmMain::raise_list_select(Control& list, int index) {
    list.set_list_index(index);
    raise_click(list);
}

void frmMain::raise_tray_mouse(int button) {
    guarded([&] { Form_MouseMove(button, 0, 0, 0); });
}

void frmMain::raise_query_unload(int& cancel, int unload_mode) {
    guarded([&] { Form_QueryUnload(cancel, unload_mode); });
}

void frmMain::raise_unload() {
    int cancel = 0;
    guarded([&] { Form_Unload(cancel); });
}

void frmMain::raise_tab_change(int tab) {
    int previous = SSTab1.value();
    SSTab1.set_value(tab);
    guarded([&] { SSTab1_Click(previous); });
}

void frmMain::raise_spin(Control& control, int step) {
    if (&control == &UpDown1) {
        guarded([&] { UpDown1_Change(step); });
    }
}

// ---- Start-up ----

void frmMain::Form_Initialize() {
    // A failure only costs the native look of the controls.
    services_.window.init_common_controls();
}

void frmMain::Form_Load() {
    Dil();
    try {
        objSifreler.make_sure_exists();
    } catch (const std::exception& error) {
        services_.messages.show(with_reason(kCantLoadFile, error), kApplicationTitle,
                                platform::MessageIcon::None);
    }
}

void frmMain::Form_Activate() {
    fill_tray_record();
    services_.tray.add(TrayIcon);
    if (services_.instance.previous_instance()) {
        services_.tray.remove(TrayIcon);
        services_.window.end_process();
        return;
    }
    update_copy_button();
}

void frmMain::Dil() {
    const std::pair<const char*, Control*> captions[] = {
        {"AllChars", &blnTumKarakterler},
        {"UCases", &blnUpper},
        {"LCases", &blnLower},
        {"Numbers", &blnNumber},
        {"OtherChars", &blnOzel},
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
    const std::string language_folder = services_.program.path_of("Language");
    const std::string path = language_folder + services_.program.separator() + "lang.ini";
    for (const auto& [key, control] : captions) {
        try {
            control->set_caption(ini::ReadIni(objFSO, path, "Default", key));
        } catch (const platform::FileError&) {
            // Without a readable language file the built-in captions stay.
            return;
        }
    }
}

// ---- Generator ----

void frmMain::cmdOlustur_Click() {
    Olustur();
}

void frmMain::Olustur() {
    strKarakterler.clear();
    strYeniSifre.clear();

    std::unique_ptr<platform::AppendFile> appending;
    try {
        appending = objSifreler.open_for_append();
    } catch (const platform::FileError& error) {
        generator_message(with_reason(kCantLoadFile, error));
        return;
    }

    if (blnTumKarakterler.value() != 0) {
        strUpper = kUpperClass;
        strLower = kLowerClass;
        strNumber = kNumberClass;
        strOzel = kOtherClass;
        if (blnUpper.value() == 1) {
            strKarakterler += strUpper;
        }
        if (blnLower.value() == 1) {
            strKarakterler += strLower;
        }
        if (blnNumber.value() == 1) {
            strKarakterler += strNumber;
        }
        if (blnOzel.value() == 1) {
            strKarakterler += strOzel;
        }
    } else if (blnOzelKarakterler.value() != 0) {
        arrOzelKarakterler.set_text(custom_pool(arrOzelKarakterler.text()));
        strKarakterler = arrOzelKarakterler.text();
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
    std::vector<std::string> pool = code_points(strKarakterler);
    for (int i = 0; i < length; ++i) {
        intSira = uniform_index(services_.random, pool.size()) + 1;
        strYeniSifre += pool[intSira - 1];
    }
}

bool frmMain::SifreKontrol(const std::string& strSifre) {
    blnBulundu = objSifreler.is_on_record(strSifre);
    return blnBulundu;
}

void frmMain::generator_message(const std::string& text) {
    services_.messages.show(text, kNotGenerated, platform::MessageIcon::Critical);
}

// ---- Options and input rules ----

void frmMain::KutuDurumu() {
    bool any_class = blnUpper.value() != 0 || blnLower.value() != 0 || blnNumber.value() != 0 ||
                     blnOzel.value() != 0;
    cmdOlustur.set_enabled(any_class);
}

void frmMain::blnUpper_Click() {
    KutuDurumu();
}

void frmMain::blnLower_Click() {
    KutuDurumu();
}

void frmMain::blnNumber_Click() {
    KutuDurumu();
}

void frmMain::blnOzel_Click() {
    KutuDurumu();
}

void frmMain::blnTumKarakterler_Click() {
    for (auto* box : {&blnUpper, &blnLower, &blnNumber, &blnOzel}) {
        box->set_enabled(true);
    }
    blnOzelKarakterler.set_value(0);
    arrOzelKarakterler.set_enabled(false);
    arrOzelKarakterler.set_background(SystemColour::InactiveBorder);
    KutuDurumu();
}

void frmMain::blnOzelKarakterler_Click() {
    for (auto* box : {&blnUpper, &blnLower, &blnNumber, &blnOzel}) {
        box->set_enabled(false);
    }
    arrOzelKarakterler.set_enabled(true);
    arrOzelKarakterler.set_background(SystemColour::WindowBackground);
    blnTumKarakterler.set_value(0);
    cmdOlustur.set_enabled(!arrOzelKarakterler.text().empty());
}

void frmMain::arrOzelKarakterler_Change() {
    cmdOlustur.set_enabled(!arrOzelKarakterler.text().empty());
}

void frmMain::txtSifre_Change() {
    update_copy_button();
}

void frmMain::arrOzelKarakterler_KeyPress(int& KeyAscii) {
    if (KeyAscii == ' ') {
        KeyAscii = 0;
        services_.sound.beep();
    }
}

void frmMain::intUzunluk_KeyPress(int& KeyAscii) {
    if (KeyAscii < '0' || KeyAscii > '9') {
        KeyAscii = 0;
        services_.sound.beep();
    }
}

void frmMain::txtSifre_KeyPress(int& KeyAscii) {
    KeyAscii = 0;
}

void frmMain::UpDown1_Change(int step) {
    int length = spin_length(intUzunluk.text(), step);
    intUzunluk.set_text(std::to_string(length));
}

void frmMain::update_copy_button() {
    cmdKopyala.set_enabled(!txtSifre.text().empty());
}

// ---- Tray and window visibility ----

void frmMain::fill_tray_record() {
    TrayIcon = platform::NotifyIconData{};
    TrayIcon.cbSize = 88;
    TrayIcon.uID = 1;
    TrayIcon.uFlags = 7;
    TrayIcon.uCallbackMessage = 0x200;
    TrayIcon.szTip = "Keymint";
}

void frmMain::restore_window() {
    services_.window.set_window_state(platform::WindowState::Normal);
    if (!services_.window.window_visible()) {
        services_.window.show_window();
    }
}

void frmMain::Form_MouseMove(int Button, int Shift, float X, float Y) {
    (void)Shift, (void)X, (void)Y;
    if (Button == 1) {
        restore_window();
    } else if (Button == 2) {
        services_.window.popup_menu("systraymenu");
    }
}

void frmMain::systrayshow_Click() {
    restore_window();
}

void frmMain::systrayhide_Click() {
    services_.window.set_window_state(platform::WindowState::Minimized);
}

void frmMain::systrayolustur_Click() {
    Olustur();
    restore_window();
}

void frmMain::systrayexit_Click() {
    quit();
}

void frmMain::cmdGizle_Click() {
    services_.window.set_window_state(platform::WindowState::Minimized);
}

void frmMain::cmKapat_Click() {
    quit();
}

void frmMain::quit() {
    try {
        IniKaydet();
    } catch (const std::exception& error) {
        report(error, "The settings could not be saved; Keymint closes anyway.");
    }
    services_.tray.remove(TrayIcon);
    services_.window.end_process();
}

void frmMain::Form_QueryUnload(int& Cancel, int UnloadMode) {
    // Log-off and shutdown must not be held up by a program that only hides itself.
    if (UnloadMode == vbAppWindows) {
        return;
    }
    Cancel = -1;
    // Without a notification area a hidden window could never be found again.
    if (services_.tray.available()) {
        services_.window.hide_window();
    } else {
        services_.window.set_window_state(platform::WindowState::Minimized);
    }
}

void frmMain::Form_Unload(int& Cancel) {
    (void)Cancel;
    services_.tray.remove(TrayIcon);
}

void frmMain::Form_Terminate() {
    services_.tray.remove(TrayIcon);
}

// ---- Web links ----

void frmMain::Label1_Click() {
    open_link(kAdviceLink.address);
}

void frmMain::Label2_Click() {
    open_link(kMakerLink.address);
}

void frmMain::open_link(std::string_view address) {
    services_.shell.open("Open", std::string(address));
}

// ---- Clipboard copy ----

void frmMain::cmdKopyala_Click() {
    const std::size_t length = code_point_count(txtSifre.text());
    if (length < 1) {
        services_.messages.show(kCopyFirst, kWindowTitle, platform::MessageIcon::Critical);
        return;
    }
    txtSifre.set_selection(0, length);
    PanoyaKopyala(txtSifre);
    if (services_.clipboard.text() != txtSifre.text()) {
        services_.messages.show(kCopyFailed, kWindowTitle, platform::MessageIcon::Critical);
        return;
    }
    services_.messages.show(kCopied, kWindowTitle, platform::MessageIcon::None);
}

void frmMain::PanoyaKopyala(Control& box) {
    std::vector<std::string> characters = code_points(box.text());
    std::size_t start = std::min(box.selection_start(), characters.size());
    std::size_t end = std::min(start + box.selection_length(), characters.size());
    std::string selected;
    for (std::size_t i = start; i < end; ++i) {
        selected += characters[i];
    }
    services_.clipboard.copy_secret(selected);
}

// ---- Settings file ----

void frmMain::IniKaydet() {
    const std::string path = services_.program.path_of("keymint.ini");
    ini::WriteIni(objFSO, path, "Default", "uppercase", IniKontrol(blnUpper));
    ini::WriteIni(objFSO, path, "Default", "lovercase", IniKontrol(blnLower));
    ini::WriteIni(objFSO, path, "Default", "numbers", IniKontrol(blnNumber));
    ini::WriteIni(objFSO, path, "Default", "otherchars", IniKontrol(blnOzel));
    ini::WriteIni(objFSO, path, "Default", "numberofchars", intUzunluk.text());
}

std::string frmMain::IniKontrol(const Control& box) const {
    return box.value() == 1 ? "1" : "0";
}

// ---- Start with the system ----

std::int32_t frmMain::AutoRun() {
    return registry::AutoRun(services_.registry, services_.program);
}

void frmMain::AutoRun(std::int32_t eType) {
    strAutoRunPath = registry::strAutoRunPath(services_.program);
    registry::AutoRunChange change =
        registry::AutoRun(services_.registry, services_.program, eType);
    // The box shows whether the entry really is there.
    chkAutoStart.set_value(change.state);
    if (!change.ok()) {
        services_.messages.show(change.error, kWindowTitle, platform::MessageIcon::Critical);
    }
}

void frmMain::chkAutoStart_Click() {
    AutoRun(chkAutoStart.value() == 1 ? 1 : 0);
}

// ---- Records tab ----

void frmMain::ListeDoldur() {
    lstSifreler.clear_items();
    try {
        lstSifreler.set_items(objSifreler.list());
    } catch (const platform::FileError& error) {
        report(error, "The recorded passwords could not be listed.");
    }
}

void frmMain::SSTab1_Click(int PreviousTab) {
    (void)PreviousTab;
    ListeDoldur();
}

void frmMain::lstSifreler_Click() {
    select_option(optSecililer);
}

void frmMain::cmdSifreSil_Click() {
    // The list is cleared only once the file holds the change, so a failure leaves both alone.
    try {
        if (optAll.value() != 0) {
            objSifreler.delete_all();
            lstSifreler.clear_items();
        } else {
            objSifreler.delete_matching(lstSifreler.list_text());
            lstSifreler.clear_items();
            ListeDoldur();
        }
    } catch (const platform::FileError& error) {
        report(error, "The records were not deleted; the file is unchanged.");
    }
}

}  // namespace app
