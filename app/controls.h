#pragma once

#include <string>
#include <vector>

#include "app/event.h"
#include "app/list_items.h"

namespace app {

enum class ControlKind {
    Picture,     // static picture
    TabControl,  // tabs in one row
    Frame,
    Container,  // picture box that only groups other controls
    OptionButton,
    CheckBox,
    TextBox,  // single line
    ListBox,
    UpDown,
    Button,
    Label,
    MenuItem,
};

// System colours by their index, so the backend can map them onto the desktop's palette.
enum class SystemColour {
    Default = -1,
    WindowBackground = 5,
    InactiveBorder = 11,
};

// Left, top, width, height in twips, relative to the container.
struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

inline constexpr int kNoTabIndex = -1;
inline constexpr int kOnEveryTab = -1;

// A control's fixed place in the window and its starting state.
struct ControlDefinition {
    std::string name;
    ControlKind kind;
    std::string container;  // empty: the window itself
    int tab = kOnEveryTab;  // for controls whose container is the tab control
    std::string caption;
    TwipsRect rect{};
    int tab_index = kNoTabIndex;
    std::string tooltip{};
    int value = 0;  // check box 0/1, option button 0/1 (false/true)
    bool enabled = true;
    std::string text{};
    SystemColour background = SystemColour::Default;
};

enum class Property {
    Caption,
    Text,
    Value,
    Enabled,
    Selection,
    Background,
    Items,
    ListIndex,
};

class Control;

// Mirrors model changes onto real widgets.
class ControlObserver {
  public:
    virtual ~ControlObserver() = default;
    virtual void property_changed(const Control& control, Property property) = 0;
};

// One control of the window, carrying just the properties the program uses.
class Control {
  public:
    explicit Control(ControlDefinition definition);

    const ControlDefinition& definition() const { return definition_; }
    const std::string& name() const { return definition_.name; }
    ControlKind kind() const { return definition_.kind; }

    const std::string& caption() const { return caption_; }
    void set_caption(const std::string& caption);

    // Setting a different text raises the change event, whoever set it.
    const std::string& text() const { return text_; }
    void set_text(const std::string& text);

    int value() const { return value_; }
    void set_value(int value);

    bool enabled() const { return enabled_; }
    void set_enabled(bool enabled);

    // Selection in characters (code points).
    std::size_t selection_start() const { return selection_start_; }
    std::size_t selection_length() const { return selection_length_; }
    void set_selection(std::size_t start, std::size_t length);

    SystemColour background() const { return background_; }
    void set_background(SystemColour colour);

    // List boxes: the items, and the selected one (-1 for none).
    const ListItems& items() const { return items_; }
    void set_items(ListItems items);
    void clear_items() { set_items(ListItems()); }
    int list_index() const { return list_index_; }
    void set_list_index(int index);
    // The selected item's text, or the empty text when none is selected.
    std::string list_text() const;

    // ---- Events ----
    // A button, label or menu item was clicked; a check box or option button was set by the
    // user (after its value changed); a list box item was chosen.
    Event<> Click;
    // The text changed, whoever changed it.
    Event<> Change;
    // A character typed into a text box; a handler may set the code to 0 to discard it.
    Event<int&> KeyPress;
    // An arrow of an up-down control: +1 up, -1 down.
    Event<int> Spin;
    // The tab control shows another tab; the argument is the tab shown before.
    Event<int> TabClick;

    void set_observer(ControlObserver* observer) { observer_ = observer; }

  private:
    void notify(Property property);

    ControlDefinition definition_;
    std::string caption_;
    std::string text_;
    int value_;
    bool enabled_;
    std::size_t selection_start_ = 0;
    std::size_t selection_length_ = 0;
    SystemColour background_;
    ListItems items_;
    int list_index_ = -1;
    ControlObserver* observer_ = nullptr;
};

}  // namespace app
