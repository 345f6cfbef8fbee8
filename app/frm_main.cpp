#include "app/frm_main.h"

#include <stdexcept>

#include "app/inventory.h"
#include "app/messages.h"
#include "app/window_plan.h"

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
      places_(services.program, services.files),
      objFSO(services.files),
      objSifreler(services.files, places_.data_file(std::string(RecordsFile::kFileName)),
                  std::make_shared<RecordKeys>(services.crypto, services.keys)),
      records(objSifreler, services.tasks, services.window) {
    bind_events();
    records.on_indexed = [this] { guarded([this] { records_indexed(); }); };
    services_.clipboard.on_secret_copied = [this](const std::string& text, bool selection) {
        guarded([&] { secret_copied(text, selection); });
    };
    Form_Initialize();
}

frmMain::~frmMain() {
    services_.clipboard.on_secret_copied = nullptr;
    services_.timer.cancel();
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

template <class... Args>
void frmMain::bind(Event<Args...>& event, void (frmMain::*handler)(Args...)) {
    event.bind([this, handler](Args... args) { guarded([&] { (this->*handler)(args...); }); });
}

void frmMain::bind_events() {
    bind(cmdOlustur.Click, &frmMain::cmdOlustur_Click);
    bind(blnUpper.Click, &frmMain::blnUpper_Click);
    bind(blnLower.Click, &frmMain::blnLower_Click);
    bind(blnNumber.Click, &frmMain::blnNumber_Click);
    bind(blnOzel.Click, &frmMain::blnOzel_Click);
    bind(blnTumKarakterler.Click, &frmMain::blnTumKarakterler_Click);
    bind(blnOzelKarakterler.Click, &frmMain::blnOzelKarakterler_Click);
    bind(arrOzelKarakterler.Change, &frmMain::arrOzelKarakterler_Change);
    bind(arrOzelKarakterler.KeyPress, &frmMain::arrOzelKarakterler_KeyPress);
    bind(intUzunluk.KeyPress, &frmMain::intUzunluk_KeyPress);
    bind(txtWordCount.KeyPress, &frmMain::txtWordCount_KeyPress);
    bind(UpDown1.Spin, &frmMain::UpDown1_Change);
    bind(txtSifre.Change, &frmMain::txtSifre_Change);
    bind(txtSifre.KeyPress, &frmMain::txtSifre_KeyPress);
    bind(cmdKopyala.Click, &frmMain::cmdKopyala_Click);
    bind(SSTab1.TabClick, &frmMain::SSTab1_Click);
    bind(lstSifreler.Click, &frmMain::lstSifreler_Click);
    bind(cmdSifreSil.Click, &frmMain::cmdSifreSil_Click);
    bind(chkPrivate.Click, &frmMain::chkPrivate_Click);
    bind(chkAutoStart.Click, &frmMain::chkAutoStart_Click);
    bind(cmdGizle.Click, &frmMain::cmdGizle_Click);
    bind(cmKapat.Click, &frmMain::cmKapat_Click);
    bind(Label1.Click, &frmMain::Label1_Click);
    bind(Label2.Click, &frmMain::Label2_Click);
    bind(systrayshow.Click, &frmMain::systrayshow_Click);
    bind(systrayhide.Click, &frmMain::systrayhide_Click);
    bind(systrayolustur.Click, &frmMain::systrayolustur_Click);
    bind(systrayexit.Click, &frmMain::systrayexit_Click);
    bind(cmdFolder.Click, &frmMain::cmdFolder_Click);
    bind(txtFolder.KeyPress, &frmMain::txtFolder_KeyPress);
    bind(txtFolder.Change, &frmMain::txtFolder_Change);
    bind(lblMakerLink.Click, &frmMain::Label2_Click);
    bind(lblAdviceLink.Click, &frmMain::Label1_Click);
}

void frmMain::raise_click(Control& control) {
    control.Click.raise();
}

void frmMain::raise_key_press(Control& control, int& key_ascii) {
    control.KeyPress.raise(key_ascii);
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
        if (&other != &option && same_option_group(other.definition(), option.definition())) {
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
    SSTab1.TabClick.raise(previous);
}

void frmMain::raise_spin(Control& control, int step) {
    control.Spin.raise(step);
}

}  // namespace app
