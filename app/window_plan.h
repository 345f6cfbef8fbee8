#pragma once

#include <cstddef>
#include <deque>
#include <vector>

#include "app/controls.h"
#include "app/inventory.h"

namespace app {

// The codes a text box's key filter sees for the keys it cares about. Ctrl+A..Z type 1..26; the
// clipboard keys that type no character (Shift+Insert, Ctrl+Insert, Shift+Delete) count as the
// Ctrl keys that do.
namespace keys {
constexpr int ctrl(char letter) {
    return letter - 'A' + 1;
}
inline constexpr int kCopy = ctrl('C');
inline constexpr int kPaste = ctrl('V');
inline constexpr int kCut = ctrl('X');
inline constexpr int kBackspace = 8;
inline constexpr int kEnter = 13;
inline constexpr int kEscape = 27;
inline constexpr int kCtrlBackspace = 127;
}  // namespace keys

struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PixelRect&) const = default;
};

// Twips to pixels at `dpi` dots per inch: 15 twips a pixel at 96.
int twips_to_pixels(int twips, double dpi);
// The window's client area at `dpi`.
PixelRect client_area(double dpi);

// Whether the keyboard focus may rest on a control of this kind.
bool takes_focus(ControlKind kind);

// Option buttons that share a container on one tab exclude one another.
bool same_option_group(const ControlDefinition& first, const ControlDefinition& second);

// ---- What a click does beyond raising its event ----
// The value a click on a check box or option button leaves, given the box's state after it:
// a chosen option stays chosen when clicked again.
int value_after_click(ControlKind kind, bool checked);
// A click on the tab already shown refreshes it; a click on another tab changes the tab, which
// raises its own event.
bool click_refreshes_tab(int clicked, int shown);

// Controls lie in layers, top first, so that none paints over what lies on it.
enum class Layer {
    Focusable,  // in focus order
    Plain,
    Container,  // the picture boxes that group other controls
    Frame,
    TabControl,
};

// What a window backend needs to build the window's controls and keep them, worked out once
// from the form's controls. Entries follow the controls' order.
class WindowPlan {
  public:
    struct Entry {
        Control* control = nullptr;
        int container = -1;  // the container's entry, or -1 for the window
        Layer layer = Layer::Plain;
        bool takes_focus = false;
        bool link = false;          // a label that does something on a click
        bool starts_group = false;  // begins a group for the arrow keys
    };

    // The controls' events must be bound by now: a label is a link when its Click is bound.
    explicit WindowPlan(std::deque<Control>& controls);

    std::size_t size() const { return entries_.size(); }
    const Entry& operator[](std::size_t index) const { return entries_[index]; }

    // The control's place at `dpi`, inside its container.
    PixelRect rect(std::size_t index, double dpi) const;
    // The control's place at `dpi` in the window's client area.
    PixelRect window_rect(std::size_t index, double dpi) const;
    // Whether the control shows while `tab` is the tab shown.
    bool shown_on(std::size_t index, int tab) const;

    // Every control but the menu items, top first.
    const std::vector<std::size_t>& stacking() const { return stacking_; }
    // The controls the Tab key walks, in order: the links last.
    const std::vector<std::size_t>& focus_order() const { return focus_order_; }

  private:
    std::vector<Entry> entries_;
    std::vector<std::size_t> stacking_;
    std::vector<std::size_t> focus_order_;
};

}  // namespace app
