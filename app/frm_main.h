#pragma once

#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/accessibility.h"
#include "app/controls.h"
#include "app/event.h"
#include "app/file_places.h"
#include "app/messages.h"
#include "app/password_rules.h"
#include "app/records_file.h"
#include "app/records_keeper.h"
#include "app/services.h"

namespace app {

// Why the window is asked to close.
enum QueryUnloadMode {
    vbFormControlMenu = 0,  // the close box or the system menu
    vbFormCode = 1,
    vbAppWindows = 2,  // the session is ending: log-off or shutdown
    vbAppTaskManager = 3,
};

// The main window: its controls as data, its state and its event handlers.
class frmMain {
  public:
    explicit frmMain(Services services);
    ~frmMain();
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    // Loads the window, then shows it.
    void Show();

    // ---- Controls, in inventory order ----
    std::deque<Control>& controls() { return controls_; }
    Control& control(std::string_view name);
    void set_observer(ControlObserver* observer);
    // What a screen reader reads that the window shows no caption for, in the window's language.
    const SpokenTexts& spoken_texts() const { return spoken_; }

    // ---- Events from the window backend ----
    // Every event runs its handler to the end; a failure becomes one message box.
    // A button or menu click; for check boxes and option buttons, after the value was set.
    void raise_click(Control& control);
    // A character typed into a text box; a handler may set `key_ascii` to 0 to discard it.
    void raise_key_press(Control& control, int& key_ascii);
    // The user edited a text box.
    void raise_text_edit(Control& control, const std::string& text);
    // The user toggled a check box or chose an option button.
    void raise_value_change(Control& control, int value);
    void raise_activate();
    // The user selected an item of a list box.
    void raise_list_select(Control& list, int index);
    // Mouse activity over the tray icon: 1 left button, 2 right button.
    void raise_tray_mouse(int button);
    // A request to close the window; sets `cancel` to refuse it.
    void raise_query_unload(int& cancel, int unload_mode);
    // The window is being unloaded after a close request was let through.
    void raise_unload();
    // The user chose another tab.
    void raise_tab_change(int tab);
    // An arrow of an up-down control: +1 up, -1 down.
    void raise_spin(Control& control, int step);

    // ---- Used by the tests and the artwork tool ----
    void ListeDoldur();
    void IniKaydet();
    std::int32_t AutoRun();

  private:
    // Every handler is bound to its event here, once.
    void bind_events();
    template <class... Args>
    void bind(Event<Args...>& event, void (frmMain::*handler)(Args...));

    // ---- Start-up ----
    void Form_Initialize();
    void Form_Load();
    void Form_Activate();
    void Dil();

    // ---- Generator ----
    void cmdOlustur_Click();
    void Olustur();
    // One request up to the shown password, with the records file open for it; the message to
    // show, or "" when there is none.
    std::string generate_and_record(platform::AppendFile& records_file);
    // The same for a passphrase from the word list.
    std::string generate_passphrase(platform::AppendFile& records_file);
    // Records strYeniSifre unless it is on record, and shows it unless the rules refuse it.
    void record_and_show(platform::AppendFile& records_file);
    void SifreOlustur(const PasswordPlan& plan);
    // The generator's options as the controls hold them.
    PasswordRules generator_rules();
    bool SifreKontrol(const std::string& strSifre, platform::AppendFile& records_file);

    // ---- Options and input rules ----
    void KutuDurumu();
    void blnUpper_Click();
    void blnLower_Click();
    void blnNumber_Click();
    void blnOzel_Click();
    void blnTumKarakterler_Click();
    void blnOzelKarakterler_Click();
    void arrOzelKarakterler_Change();
    void txtSifre_Change();
    void arrOzelKarakterler_KeyPress(int& KeyAscii);
    void intUzunluk_KeyPress(int& KeyAscii);
    void txtSifre_KeyPress(int& KeyAscii);
    void txtWordCount_KeyPress(int& KeyAscii);
    void UpDown1_Change(int step);

    // ---- Tray and window visibility ----
    void Form_MouseMove(int Button, int Shift, float X, float Y);
    void systrayshow_Click();
    void systrayhide_Click();
    void systrayolustur_Click();
    void systrayexit_Click();
    void cmdGizle_Click();
    void cmKapat_Click();
    void Form_QueryUnload(int& Cancel, int UnloadMode);
    void Form_Unload(int& Cancel);
    void Form_Terminate();

    // ---- Web links ----
    void Label1_Click();
    void Label2_Click();

    // ---- Clipboard copy ----
    void cmdKopyala_Click();
    void PanoyaKopyala(Control& box);
    // Clears the clipboard, when the user asks for it, if it still holds the password we put
    // there.
    void clear_own_clipboard();
    // The password box put `text` on the clipboard or the selection by a way of its own.
    void secret_copied(const std::string& text, bool selection);
    void start_clipboard_clear();

    // ---- Strength read-out ----
    void show_strength();

    // ---- About tab ----
    void show_about();
    void cmdFolder_Click();
    void txtFolder_KeyPress(int& KeyAscii);
    void txtFolder_Change();

    // ---- Settings file ----
    std::string IniKontrol(const Control& box) const;

    // ---- Start with the system ----
    void AutoRun(std::int32_t eType);
    void chkAutoStart_Click();

    // ---- Records tab ----
    void SSTab1_Click(int PreviousTab);
    void lstSifreler_Click();
    void cmdSifreSil_Click();

    // ---- Private records ----
    void chkPrivate_Click();
    // Tells the user, once a run, of lines that do not read as records.
    void tell_unreadable(std::size_t count);
    void records_indexed();
    // Asks for the recovery key after `why`, and puts the key it holds back into the keyring.
    void ask_recovery_key(const std::string& why);

    void guarded(const std::function<void()>& handler);
    // Chooses an option button and clears the others in its container.
    void select_option(Control& option);
    void report(const std::exception& error, const std::string& context);
    void generator_message(const std::string& text);
    // One message naming strLeftOut, together with the refusal of the draw, if any.
    void left_out_message(const std::string& refusal);
    // One Generate request, run once the records index is ready.
    void generate_password();
    void update_copy_button();
    void fill_tray_record();
    // Back to the normal state, and visible again if a close request had hidden the window.
    void restore_window();
    // Saves the settings, removes the tray icon and ends the process.
    void quit();
    void open_link(std::string_view address);

    Services services_;
    std::deque<Control> controls_;
    FilePlaces places_;
    SpokenTexts spoken_;

  public:
    // Controls placed on the window
    // The check box of kCharClasses[i].
    Control& class_box(std::size_t i) { return control(kCharClasses[i].control); }

    Control& Image1 = control("Image1");
    Control& SSTab1 = control("SSTab1");
    Control& cmdGizle = control("cmdGizle");
    Control& cmKapat = control("cmKapat");
    Control& Label2 = control("Label2");
    Control& Label1 = control("Label1");
    // Tab "Generate"
    Control& Frame1 = control("Frame1");
    Control& Picture1 = control("Picture1");
    Control& blnTumKarakterler = control("blnTumKarakterler");
    Control& blnUpper = control("blnUpper");
    Control& blnLower = control("blnLower");
    Control& blnNumber = control("blnNumber");
    Control& blnOzel = control("blnOzel");
    Control& Picture2 = control("Picture2");
    Control& blnOzelKarakterler = control("blnOzelKarakterler");
    Control& arrOzelKarakterler = control("arrOzelKarakterler");
    Control& Frame2 = control("Frame2");
    Control& intUzunluk = control("intUzunluk");
    Control& Picture3 = control("Picture3");
    Control& UpDown1 = control("UpDown1");
    Control& cmdOlustur = control("cmdOlustur");
    Control& txtSifre = control("txtSifre");
    Control& cmdKopyala = control("cmdKopyala");
    Control& barStrength = control("barStrength");
    Control& lblStrength = control("lblStrength");
    // Tab "Records"
    Control& Frame3 = control("Frame3");
    Control& lstSifreler = control("lstSifreler");
    Control& optSecililer = control("optSecililer");
    Control& optAll = control("optAll");
    Control& cmdSifreSil = control("cmdSifreSil");
    // Tab "Options"
    Control& Frame4 = control("Frame4");
    Control& blnOncekilerOlmasin = control("blnOncekilerOlmasin");
    Control& chkAutoStart = control("chkAutoStart");
    Control& chkClearClipboard = control("chkClearClipboard");
    Control& chkEveryClass = control("chkEveryClass");
    Control& chkNoLookAlikes = control("chkNoLookAlikes");
    Control& chkWords = control("chkWords");
    Control& lblWordCount = control("lblWordCount");
    Control& txtWordCount = control("txtWordCount");
    Control& lblSeparator = control("lblSeparator");
    Control& txtSeparator = control("txtSeparator");
    Control& chkPrivate = control("chkPrivate");
    Control& lblExclude = control("lblExclude");
    Control& txtExclude = control("txtExclude");
    // Tab "About"
    Control& lblVersion = control("lblVersion");
    Control& lblDescription = control("lblDescription");
    Control& lblLicence = control("lblLicence");
    Control& lblFolder = control("lblFolder");
    Control& txtFolder = control("txtFolder");
    Control& cmdFolder = control("cmdFolder");
    Control& lblMakerLink = control("lblMakerLink");
    Control& lblAdviceLink = control("lblAdviceLink");
    Control& lblWordList = control("lblWordList");
    Control& lblRulesLicence = control("lblRulesLicence");
    // Tray menu
    Control& systrayshow = control("systrayshow");
    Control& systrayhide = control("systrayhide");
    Control& systrayolustur = control("systrayolustur");
    Control& systrayexit = control("systrayexit");

    // Records file
    platform::FileSystem& objFSO;
    RecordsFile objSifreler;
    // The no-repeat check's index and the records' long jobs, off the window's thread.
    RecordsKeeper records;

    // The last password drawn, and the Run entry's data of the last autostart change.
    std::string strYeniSifre;
    std::string strAutoRunPath;

  private:
    // Tray icon
    platform::NotifyIconData TrayIcon;

    // Generator state: the pool of the last draw and whether its password was on record.
    std::string strKarakterler;
    // The classes each of which the last draw had to hold; empty when it had no such rule.
    std::vector<std::string> required_classes;
    // The strength of the last passphrase drawn; 0 when the last draw was a password.
    double passphrase_strength = 0;
    // The word list as last read, and the stamp of the file it was read from.
    std::vector<std::string> word_list;
    std::optional<platform::FileStamp> word_list_stamp;
    // What the user is told of the list once its Generate is over: words it could not use.
    std::string strWordsNote;
    bool blnBulundu = false;
    // Characters of the custom list the last draw left out, as the records file cannot hold them;
    // and what the user is told then, from the language file.
    std::string strLeftOut;
    std::string strLeftOutMessage = kLeftOutChars;

    // The password last put on the clipboard, until the clipboard is cleared; the same for the
    // selection.
    std::string strPanodaki;
    std::string strSecimdeki;

    bool blnUnreadableTold = false;
};

}  // namespace app
