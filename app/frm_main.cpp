#include "app/frm_main.h"

#include <stdexcept>
#include <unordered_map>

#include "app/inventory.h"
#include "app/messages.h"

namespace app {
namespace {

std::deque<Control> build_controls() {
    std::deque<Control> controls;
    for (const auto& definition : frmMain_inventory()) {
        controls.emplace_back(definition);
    }
    return controls;
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
      objSifreler(services.files, services.program.path_of(std::string(RecordsFile::kFileName))),
      records(services.files, objSifreler.path(), services.tasks, services.window) {
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

}  // namespace app
