#include <windows.h>

#include <oleacc.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "app/accessibility.h"
#include "app/inventory.h"
#include "app/messages.h"
#include "window_fixture.h"

namespace {

using platform::win32::wide;

// Twips to pixels at the window's dots per inch: 15 twips a pixel at 96.
TEST_F(Win32WindowTest, EveryControlLiesWhereTheInventoryPutsIt) {
    const double dpi = desktop->window.dpi();
    if (const char* expected = std::getenv("KEYMINT_TEST_DPI")) {
        ASSERT_EQ(dpi, std::atof(expected));
    }
    auto pixels = [dpi](int twips) { return static_cast<int>(std::lround(twips * dpi / 1440)); };
    RECT client{};
    GetClientRect(main_window(), &client);
    EXPECT_EQ(client.right, pixels(4680));
    EXPECT_EQ(client.bottom, pixels(7545));
    for (const auto& control : form->controls()) {
        const auto& definition = control.definition();
        if (definition.kind == app::ControlKind::MenuItem) {
            continue;
        }
        SCOPED_TRACE(definition.name);
        HWND reference =
            definition.container.empty() ? main_window() : handle(definition.container);
        RECT place{};
        GetWindowRect(handle(definition.name), &place);
        MapWindowPoints(nullptr, reference, reinterpret_cast<POINT*>(&place), 2);
        EXPECT_EQ(place.left, pixels(definition.rect.left));
        EXPECT_EQ(place.top, pixels(definition.rect.top));
        EXPECT_EQ(place.right - place.left, pixels(definition.rect.width));
        EXPECT_EQ(place.bottom - place.top, pixels(definition.rect.height));
    }
}

TEST_F(Win32WindowTest, CaptionsAndTooltipsShowTheTextsOfTheWindow) {
    EXPECT_EQ(text_of(main_window()), L"Keymint v0.3");
    EXPECT_EQ(text_of("cmKapat"), L"Çıkış");
    EXPECT_EQ(text_of("cmdOlustur"), L"Şifre &Oluştur");
    EXPECT_EQ(text_of("blnOzelKarakterler"), L"&Sadece Aşağıdaki Karakterler");
    EXPECT_EQ(text_of("intUzunluk"), L"8");
    const wchar_t* tabs[] = {L"Generate", L"Records", L"Options", L"About"};
    for (int i = 0; i < 4; ++i) {
        wchar_t caption[64] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = caption;
        item.cchTextMax = 64;
        SendMessageW(handle("SSTab1"), TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
        EXPECT_STREQ(caption, tabs[i]);
    }

    HWND tips = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr);
    while (tips != nullptr && GetWindow(tips, GW_OWNER) != main_window()) {
        tips = FindWindowExW(nullptr, tips, TOOLTIPS_CLASSW, nullptr);
    }
    ASSERT_NE(tips, nullptr);
    int tooltips = 0;
    for (const auto& control : form->controls()) {
        if (control.definition().tooltip.empty()) {
            continue;
        }
        ++tooltips;
        wchar_t tip[256] = {};
        TOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = main_window();
        tool.uId = reinterpret_cast<UINT_PTR>(handle(control.name()));
        tool.lpszText = tip;
        SendMessageW(tips, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
        EXPECT_EQ(tip, wide(control.definition().tooltip)) << control.name();
    }
    EXPECT_EQ(tooltips, 8);  // six on the first tabs, the two links on the About tab
    EXPECT_EQ(SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), tooltips);

    // Labels that open something are links; the About tab's texts are plain.
    for (auto [name, link] : {std::pair{"Label1", true},
                              {"lblMakerLink", true},
                              {"lblLicence", false},
                              {"lblDescription", false}}) {
        LOGFONTW font{};
        auto shown = reinterpret_cast<HFONT>(SendMessageW(handle(name), WM_GETFONT, 0, 0));
        ASSERT_NE(GetObjectW(shown, sizeof font, &font), 0) << name;
        EXPECT_EQ(font.lfUnderline != 0, link) << name;
    }
}

// Run again at 144 and 192 dots per inch: a caption that needs more room than its control has is
// cut off on the screen.
TEST_F(Win32WindowTest, EveryCaptionFitsItsControl) {
    const int dpi = static_cast<int>(desktop->window.dpi());
    form->lblStrength.set_caption(app::strength_text(100, form->spoken_texts()));
    using K = app::ControlKind;
    auto captioned = [](K kind) {
        return kind == K::CheckBox || kind == K::OptionButton || kind == K::Button ||
               kind == K::Label || kind == K::Frame;
    };
    int checked = 0;
    for (const auto& control : form->controls()) {
        const K kind = control.kind();
        const bool mark = kind == K::CheckBox || kind == K::OptionButton;
        if (!captioned(kind)) {
            continue;
        }
        SCOPED_TRACE(control.name());
        HWND native = handle(control.name());
        RECT room{};
        GetClientRect(native, &room);
        // Check boxes and option buttons write beside their mark; buttons inside their edge.
        room.left += mark ? MulDiv(13 + 4, dpi, 96) : kind == K::Button ? MulDiv(3, dpi, 96) : 0;
        room.right -= kind == K::Button ? MulDiv(3, dpi, 96) : 0;
        HDC dc = GetDC(native);
        HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(native, WM_GETFONT, 0, 0)));
        std::wstring caption = wide(app::spoken_caption(control.caption()));
        RECT needed{0, 0, room.right - room.left, 0};
        const bool wraps = kind != K::Frame && !(kind == K::Label && control.Click.bound());
        DrawTextW(dc, caption.c_str(), -1, &needed,
                  DT_CALCRECT | DT_NOPREFIX | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
        SelectObject(dc, old);
        ReleaseDC(native, dc);
        ++checked;
        EXPECT_LE(needed.right, room.right - room.left);
        if (kind != K::Frame) {
            EXPECT_LE(needed.bottom, room.bottom - room.top);
        }
    }
    const auto& inventory = app::frmMain_inventory();
    EXPECT_EQ(checked, std::count_if(inventory.begin(), inventory.end(),
                                     [&](const auto& row) { return captioned(row.kind); }));
}

TEST_F(Win32WindowTest, TheTabKeyFollowsTheFocusOrderOverTheShownControls) {
    const std::vector<std::string> expected = {
        "cmKapat",           "cmdGizle",           "SSTab1",    "intUzunluk", "txtSifre",
        "blnOzel",           "arrOzelKarakterler", "blnNumber", "blnLower",   "blnUpper",
        "blnTumKarakterler", "blnOzelKarakterler", "Label1",    "Label2",     "cmdOlustur"};
    EXPECT_EQ(GetFocus(), handle("cmdOlustur")) << "the window opens on Generate";
    for (const auto& name : expected) {
        MSG key{GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
        EXPECT_TRUE(desktop->window.translate(key));
        EXPECT_EQ(GetFocus(), handle(name)) << name;
    }
}

TEST_F(Win32WindowTest, AccessKeysAndEnterPressTheirButtons) {
    MSG alt_o{GetFocus(), WM_SYSCHAR, L'o', 1 << 29, 0, {}};
    if (!desktop->window.translate(alt_o)) {
        DispatchMessageW(&alt_o);
    }
    pump();
    std::wstring first = text_of("txtSifre");
    EXPECT_EQ(first.size(), 8u) << "Alt+O is Şifre &Oluştur";

    SetFocus(handle("cmdOlustur"));
    MSG enter{GetFocus(), WM_KEYDOWN, VK_RETURN, 1, 0, {}};
    EXPECT_TRUE(desktop->window.translate(enter));
    pump();
    EXPECT_NE(text_of("txtSifre"), first);
    EXPECT_EQ(text_of("txtSifre").size(), 8u);
}

TEST_F(Win32WindowTest, TypedCharactersPassTheBoxesFilters) {
    SendMessageW(handle("intUzunluk"), EM_SETSEL, 1, 1);
    type("intUzunluk", L'a');
    type("intUzunluk", L'5');
    type("intUzunluk", 8);
    EXPECT_EQ(text_of("intUzunluk"), L"85");
    type("txtSifre", L'x');
    EXPECT_EQ(text_of("txtSifre"), L"");
    type("arrOzelKarakterler", L' ');
    type("arrOzelKarakterler", L'€');
    EXPECT_EQ(text_of("arrOzelKarakterler"), L"€");
    EXPECT_EQ(form->arrOzelKarakterler.text(), "€");

    // Shift+Insert pastes without typing a character: it meets the filters as Ctrl+V.
    platform::win32::put_secret_on_clipboard(main_window(), L"77");
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(handle("intUzunluk"), WM_KEYDOWN, VK_INSERT, 1);
    SendMessageW(handle("arrOzelKarakterler"), WM_KEYDOWN, VK_INSERT, 1);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    pump();
    EXPECT_EQ(text_of("intUzunluk"), L"85");
    EXPECT_EQ(text_of("arrOzelKarakterler"), L"€77");

    // The up-down control's upper arrow steps the length.
    SetWindowTextW(handle("intUzunluk"), L"8");
    mouse_click(handle("UpDown1"), 5, 3);
    EXPECT_EQ(text_of("intUzunluk"), L"9");
}

TEST_F(Win32WindowTest, ModeChangesShowOnTheNativeControls) {
    auto brush_behind = [this](const std::string& name) {
        HDC dc = GetDC(handle(name));
        auto brush = SendMessageW(main_window(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                  reinterpret_cast<LPARAM>(handle(name)));
        ReleaseDC(handle(name), dc);
        return reinterpret_cast<HBRUSH>(brush);
    };
    EXPECT_EQ(brush_behind("arrOzelKarakterler"), GetSysColorBrush(COLOR_BTNFACE));
    click("blnOzelKarakterler");
    EXPECT_EQ(SendMessageW(handle("blnOzelKarakterler"), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(handle("blnTumKarakterler"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_FALSE(IsWindowEnabled(handle("blnUpper")));
    EXPECT_FALSE(IsWindowEnabled(handle("cmdOlustur"))) << "the custom list is empty";
    EXPECT_EQ(brush_behind("arrOzelKarakterler"), GetSysColorBrush(COLOR_WINDOW));
    click("blnOzelKarakterler");
    EXPECT_EQ(SendMessageW(handle("blnOzelKarakterler"), BM_GETCHECK, 0, 0), BST_CHECKED)
        << "a chosen option stays chosen";

    click("blnTumKarakterler");
    click("blnUpper");
    EXPECT_EQ(SendMessageW(handle("blnUpper"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(form->blnUpper.value(), 0);
    EXPECT_TRUE(IsWindowEnabled(handle("cmdOlustur")));

    SendMessageW(main_window(), WM_SETCURSOR, reinterpret_cast<WPARAM>(handle("Label1")),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND)) << "links show the hand";
}

TEST_F(Win32WindowTest, GenerateRecordsInTheAnsiCodePageAndCopyLeavesThePassword) {
    if (const char* code_page = std::getenv("KEYMINT_TEST_CODE_PAGE")) {
        ASSERT_EQ(GetACP(), static_cast<UINT>(std::atoi(code_page)));
    }
    click("blnOzelKarakterler");
    SetWindowTextW(handle("arrOzelKarakterler"), L"£€");
    SetWindowTextW(handle("intUzunluk"), L"6");
    EXPECT_TRUE(IsWindowEnabled(handle("cmdOlustur")));
    click("cmdOlustur");

    std::wstring password = text_of("txtSifre");
    ASSERT_EQ(password.size(), 6u);
    std::string record = "temppass\r\n";
    for (wchar_t character : password) {
        ASSERT_TRUE(character == L'£' || character == L'€');
        record += character == L'£' ? '\xA3' : '\x80';
    }
    EXPECT_EQ(file_bytes("sifreler.dat"), record + "\r\n");
    EXPECT_TRUE(IsWindowEnabled(handle("cmdKopyala")));

    click("cmdKopyala");
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown.back().text, app::kCopied);
    ASSERT_TRUE(OpenClipboard(main_window()));
    auto* held = static_cast<const wchar_t*>(GlobalLock(GetClipboardData(CF_UNICODETEXT)));
    EXPECT_EQ(std::wstring(held != nullptr ? held : L""), password);
    GlobalUnlock(GetClipboardData(CF_UNICODETEXT));
    EXPECT_TRUE(
        IsClipboardFormatAvailable(RegisterClipboardFormatW(L"CanIncludeInClipboardHistory")));
    CloseClipboard();
}

// The box's own menu copies with WM_COPY: what it puts on the clipboard is cleared as a copy by
// the button is, here when the window goes.
TEST_F(Win32WindowTest, ACopyFromTheBoxsMenuIsClearedToo) {
    click("cmdOlustur");
    SendMessageW(handle("txtSifre"), EM_SETSEL, 0, -1);
    SendMessageW(handle("txtSifre"), WM_COPY, 0, 0);
    auto clipboard_text = [this] {
        std::wstring text;
        if (OpenClipboard(main_window())) {
            if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
                text = static_cast<const wchar_t*>(GlobalLock(data));
                GlobalUnlock(data);
            }
            CloseClipboard();
        }
        return text;
    };
    ASSERT_EQ(clipboard_text(), text_of("txtSifre"));
    form->raise_unload();
    EXPECT_EQ(clipboard_text(), L"");
}

TEST_F(Win32WindowTest, TheRecordsTabListsAndDeletes) {
    click("cmdOlustur");
    std::wstring password = text_of("txtSifre");
    click_tab(app::kTabRecords);
    HWND list = handle("lstSifreler");
    EXPECT_TRUE(IsWindowVisible(list));
    EXPECT_FALSE(IsWindowVisible(handle("cmdOlustur")));
    pump_until([&] { return SendMessageW(list, LB_GETCOUNT, 0, 0) == 2; });
    ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 2) << "the record and the empty last piece";

    RECT first{};
    SendMessageW(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
    mouse_click(list, first.left + 5, first.top + 2);
    EXPECT_EQ(form->lstSifreler.list_index(), 0);
    EXPECT_EQ(SendMessageW(handle("optSecililer"), BM_GETCHECK, 0, 0), BST_CHECKED);
    click("cmdSifreSil");
    pump_until([&] { return SendMessageW(list, LB_GETCOUNT, 0, 0) == 1; });
    EXPECT_EQ(file_bytes("sifreler.dat"), "temppass\r\n");
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 1);
    EXPECT_FALSE(password.empty());
}

TEST_F(Win32WindowTest, ScreenReadersReadTheTableOfControlsRowsAndMeter) {
    const std::map<std::string, long> roles = {{"Graphic", ROLE_SYSTEM_GRAPHIC},
                                               {"PageTabList", ROLE_SYSTEM_PAGETABLIST},
                                               {"Grouping", ROLE_SYSTEM_GROUPING},
                                               {"RadioButton", ROLE_SYSTEM_RADIOBUTTON},
                                               {"CheckBox", ROLE_SYSTEM_CHECKBUTTON},
                                               {"Text", ROLE_SYSTEM_TEXT},
                                               {"List", ROLE_SYSTEM_LIST},
                                               {"SpinButton", ROLE_SYSTEM_SPINBUTTON},
                                               {"PushButton", ROLE_SYSTEM_PUSHBUTTON},
                                               {"Label", ROLE_SYSTEM_STATICTEXT},
                                               {"Link", ROLE_SYSTEM_LINK},
                                               {"ProgressBar", ROLE_SYSTEM_PROGRESSBAR}};
    click("cmdOlustur");
    click_tab(app::kTabRecords);
    HWND list = handle("lstSifreler");
    pump_until([&] { return SendMessageW(list, LB_GETCOUNT, 0, 0) == 2; });
    auto read = [&](const std::string& name) {
        IAccessible* object = nullptr;
        AccessibleObjectFromWindow(handle(name), OBJID_CLIENT, __uuidof(IAccessible),
                                   reinterpret_cast<void**>(&object));
        return object;
    };
    auto child_id = [](long id) {
        VARIANT child{};
        child.vt = VT_I4;
        child.lVal = id;
        return child;
    };
    const VARIANT self = child_id(CHILDID_SELF);
    std::ifstream table(KEYMINT_ACCESSIBLE_TABLE);
    int rows = 0;
    for (std::string line; std::getline(table, line);) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream fields(line);
        std::string control, role, name;
        std::getline(fields, control, '\t');
        std::getline(fields, role, '\t');
        std::getline(fields, name);
        SCOPED_TRACE(control);
        ++rows;
        IAccessible* object = read(control);
        ASSERT_NE(object, nullptr);
        VARIANT read_role{};
        object->get_accRole(self, &read_role);
        EXPECT_EQ(read_role.lVal, roles.at(role));
        BSTR read_name = nullptr;
        object->get_accName(self, &read_name);
        std::wstring spoken = read_name != nullptr ? read_name : L"";
        SysFreeString(read_name);
        EXPECT_EQ(spoken.empty(), false);
        if (name != "*") {
            EXPECT_EQ(spoken, wide(name));
        }
        object->Release();
    }
    EXPECT_EQ(rows, 39);

    IAccessible* records = read("lstSifreler");
    long count = 0;
    records->get_accChildCount(&count);
    EXPECT_EQ(count, 2);
    BSTR row = nullptr;
    records->get_accName(child_id(1), &row);
    EXPECT_EQ(std::wstring(row != nullptr ? row : L""), text_of("txtSifre"));
    SysFreeString(row);
    records->Release();

    IAccessible* arrows = read("UpDown1");
    long parts = 0;
    arrows->get_accChildCount(&parts);
    EXPECT_EQ(parts, 2);
    const wchar_t* arrow_names[] = {L"Bir karakter fazla", L"Bir karakter eksik"};
    for (long part = 1; part <= 2; ++part) {
        BSTR name = nullptr;
        arrows->get_accName(child_id(part), &name);
        EXPECT_EQ(std::wstring(name != nullptr ? name : L""), arrow_names[part - 1]);
        SysFreeString(name);
    }
    arrows->Release();

    IAccessible* meter = read("barStrength");
    BSTR value = nullptr;
    meter->get_accValue(self, &value);
    EXPECT_EQ(std::wstring(value != nullptr ? value : L""),
              std::to_wstring(form->barStrength.value()));
    SysFreeString(value);
    meter->Release();
}

TEST_F(Win32WindowTest, TheCloseBoxHidesAndExitSavesTheSettings) {
    click("cmdGizle");
    EXPECT_TRUE(IsIconic(main_window()));
    // The tray icon's left click arrives as the window's mouse move.
    SendMessageW(main_window(), WM_MOUSEMOVE, 1, WM_LBUTTONUP);
    EXPECT_FALSE(IsIconic(main_window()));

    SendMessageW(main_window(), WM_CLOSE, 0, 0);
    pump();
    EXPECT_FALSE(IsWindowVisible(main_window()));
    EXPECT_FALSE(ended);

    click("blnUpper");
    click("cmKapat");
    EXPECT_TRUE(ended);
    EXPECT_EQ(file_bytes("keymint.ini"),
              "[Default]\r\nnumberofchars=8\r\notherchars=1\r\nnumbers=1\r\nlovercase=1\r\n"
              "uppercase=0\r\n");
}

TEST_F(Win32WindowTest, TheGeneratorOptionsShowOnTheOptionsTabAndTickByTheirAccessKeys) {
    click_tab(app::kTabOptions);
    for (auto [name, key] : {std::pair{"chkEveryClass", L'h'}, {"chkNoLookAlikes", L'b'}}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(IsWindowVisible(handle(name)));
        EXPECT_EQ(SendMessageW(handle(name), BM_GETCHECK, 0, 0), BST_UNCHECKED);
        MSG alt{GetFocus(), WM_SYSCHAR, static_cast<WPARAM>(key), 1 << 29, 0, {}};
        if (!desktop->window.translate(alt)) {
            DispatchMessageW(&alt);
        }
        pump();
        EXPECT_EQ(SendMessageW(handle(name), BM_GETCHECK, 0, 0), BST_CHECKED);
        EXPECT_EQ(form->control(name).value(), 1);
    }
    EXPECT_EQ(text_of("chkEveryClass"), L"&Her seçili türden en az bir karakter");
}

TEST_F(Win32WindowTest, ASecondCopyEndsByItself) {
    EXPECT_FALSE(ended);
    stop();
    instance.previous = true;
    ended = false;
    start();
    EXPECT_TRUE(ended);
    EXPECT_FALSE(IsWindowVisible(main_window()));
}

}  // namespace

namespace {

TEST(Win32Tasks, WorkRunsAwayAndEachDoneComesBackInOrderOnTheWindowsThread) {
    auto tasks = std::make_unique<platform::win32::Win32Tasks>();
    const DWORD window_thread = GetCurrentThreadId();
    std::vector<int> order;
    std::vector<DWORD> workers;
    for (int i = 0; i < 3; ++i) {
        tasks->run([&workers] { workers.push_back(GetCurrentThreadId()); },
                   [&order, i, window_thread] {
                       EXPECT_EQ(GetCurrentThreadId(), window_thread);
                       order.push_back(i);
                   });
    }
    for (int round = 0; round < 2000 && order.size() < 3; ++round) {
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
        Sleep(1);
    }
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    ASSERT_EQ(workers.size(), 3u);
    EXPECT_NE(workers[0], window_thread);

    // A done still to come when the tasks go is dropped.
    bool called = false;
    tasks->run([] {}, [&called] { called = true; });
    Sleep(50);
    tasks.reset();
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&message);
    }
    EXPECT_FALSE(called);
}

}  // namespace
