#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "app/window_plan.h"

namespace app {

// What a screen reader calls a control. Each backend maps these onto its own roles (AT-SPI
// through Qt, MSAA on Windows).
enum class AccessibleRole {
    Graphic,
    PageTabList,
    Grouping,
    Pane,  // a picture box that only groups others: nothing to read
    RadioButton,
    CheckBox,
    Text,
    List,
    SpinButton,
    PushButton,
    Label,
    Link,
    ProgressBar,
    MenuItem,
};

// A caption as it is read aloud: without the access key's ampersand ("&&" is one "&"), without
// the brackets a frame's caption is drawn in, without the spaces around.
std::string spoken_caption(std::string_view caption);

// Texts a screen reader reads that the window does not show as a caption: the names of the
// boxes that have none, and the words of the strength read-out. Built in Turkish; the language
// file may replace each under the same key.
class SpokenTexts {
  public:
    struct Row {
        const char* key;
        const char* builtin;
    };
    static const std::vector<Row>& rows();

    SpokenTexts();
    // The text under `key`; an unknown key reads as the key itself, so a typo shows.
    std::string operator[](std::string_view key) const;
    void set(std::string_view key, std::string text);

  private:
    std::map<std::string, std::string, std::less<>> texts_;
};

// The keys of the up-down control's two arrows, which the window shows as parts of one control.
inline constexpr const char* kSpinUpKey = "LengthUp";
inline constexpr const char* kSpinDownKey = "LengthDown";

struct AccessibleControl {
    AccessibleRole role = AccessibleRole::Pane;
    std::string name;
    std::string description;  // the tooltip
};

// What assistive technology is told of the plan's entry `index`.
AccessibleControl accessible_control(const WindowPlan& plan, std::size_t index,
                                     const SpokenTexts& texts);

// The strength read-out beside the meter, "51 bit — orta".
std::string strength_text(int whole_bits, const SpokenTexts& texts);

}  // namespace app
