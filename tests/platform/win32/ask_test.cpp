#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

#include "platform/win32/win32_messages.h"

namespace {

constexpr wchar_t kCaption[] = L"Keymint ask test";
constexpr char kMessage[] =
    "Kurtarma anahtarını yazın.\r\nThe key is a long line of letters and digits, as it was shown "
    "when the records were made private. Without it the records cannot be read again, and "
    "Generate cannot check the new password against them.";

struct Seen {
    bool found = false;
    HWND owner = nullptr;
    bool laid_out = false;
    bool named_by_message = false;
    bool focused = false;
};

// Waits up to ten seconds for the box to show, looks at it, types `typed` and presses `button`.
std::thread answer(Seen& seen, const wchar_t* typed, int button) {
    return std::thread([&seen, typed, button] {
        HWND dialog = nullptr;
        for (int round = 0; round < 1000 && dialog == nullptr; ++round) {
            HWND found = FindWindowW(L"#32770", kCaption);
            if (found != nullptr && IsWindowVisible(found)) {
                dialog = found;
            } else {
                Sleep(10);
            }
        }
        if (dialog == nullptr) {
            return;
        }
        seen.found = true;
        seen.owner = GetWindow(dialog, GW_OWNER);
        HWND box = FindWindowExW(dialog, nullptr, L"Edit", nullptr);
        HWND message = GetWindow(box, GW_HWNDPREV);
        RECT client{}, text{}, edit{}, ok{};
        GetClientRect(dialog, &client);
        MapWindowPoints(dialog, nullptr, reinterpret_cast<POINT*>(&client), 2);
        GetWindowRect(message, &text);
        GetWindowRect(box, &edit);
        GetWindowRect(GetDlgItem(dialog, IDOK), &ok);
        seen.laid_out = text.bottom - text.top > 2 * (edit.bottom - edit.top) &&
                        text.bottom <= edit.top && edit.bottom <= ok.top &&
                        ok.bottom <= client.bottom && edit.right <= client.right;
        wchar_t name[256] = {};
        GetWindowTextW(message, name, 256);
        seen.named_by_message = std::wstring(name).starts_with(L"Kurtarma anahtarını");
        GUITHREADINFO thread{};
        thread.cbSize = sizeof thread;
        GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &thread);
        seen.focused = thread.hwndFocus == box;
        SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed));
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
    });
}

TEST(Win32MessageBoxes, AskReturnsWhatWasTypedAndNothingWhenCancelled) {
    HWND main_window = CreateWindowExW(0, L"STATIC", L"main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                       0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    HWND owner = nullptr;
    platform::win32::Win32MessageBoxes boxes([&owner] { return owner; });
    const std::string caption = "Keymint ask test";

    Seen typed;
    std::thread finder = answer(typed, L"Dağ 2Ğ", IDOK);
    std::optional<std::string> answered = boxes.ask(kMessage, caption);
    finder.join();
    ASSERT_TRUE(typed.found) << "no box showed within ten seconds";
    EXPECT_EQ(answered, std::optional<std::string>("Da\xC4\x9F 2\xC4\x9E"));
    EXPECT_EQ(typed.owner, nullptr);
    EXPECT_TRUE(typed.laid_out) << "the message wraps above the box, the buttons below it";
    EXPECT_TRUE(typed.named_by_message);
    EXPECT_TRUE(typed.focused);

    owner = main_window;
    Seen cancelled;
    finder = answer(cancelled, L"ignored", IDCANCEL);
    answered = boxes.ask(kMessage, caption);
    finder.join();
    ASSERT_TRUE(cancelled.found) << "no box showed within ten seconds";
    EXPECT_EQ(answered, std::nullopt);
    EXPECT_EQ(cancelled.owner, main_window);
    DestroyWindow(main_window);
}

}  // namespace
