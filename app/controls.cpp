#include "app/controls.h"

#include <utility>

namespace app {

Control::Control(ControlDefinition definition)
    : definition_(std::move(definition)),
      caption_(definition_.caption),
      text_(definition_.text),
      value_(definition_.value),
      enabled_(definition_.enabled),
      background_(definition_.background) {}

void Control::set_caption(const std::string& caption) {
    if (caption_ != caption) {
        caption_ = caption;
        notify(Property::Caption);
    }
}

void Control::set_text(const std::string& text) {
    if (text_ == text) {
        return;
    }
    text_ = text;
    selection_start_ = 0;
    selection_length_ = 0;
    notify(Property::Text);
    Change.raise();
}

void Control::set_value(int value) {
    if (value_ != value) {
        value_ = value;
        notify(Property::Value);
    }
}

void Control::set_enabled(bool enabled) {
    if (enabled_ != enabled) {
        enabled_ = enabled;
        notify(Property::Enabled);
    }
}

void Control::set_selection(std::size_t start, std::size_t length) {
    if (selection_start_ != start || selection_length_ != length) {
        selection_start_ = start;
        selection_length_ = length;
        notify(Property::Selection);
    }
}

void Control::set_background(SystemColour colour) {
    if (background_ != colour) {
        background_ = colour;
        notify(Property::Background);
    }
}

void Control::set_items(ListItems items) {
    items_ = std::move(items);
    list_index_ = -1;
    notify(Property::Items);
}

void Control::set_list_index(int index) {
    if (index < -1 || index >= static_cast<int>(items_.size())) {
        index = -1;
    }
    if (list_index_ != index) {
        list_index_ = index;
        notify(Property::ListIndex);
    }
}

std::string Control::list_text() const {
    return list_index_ < 0 ? std::string()
                           : std::string(items_.at(static_cast<std::size_t>(list_index_)));
}

void Control::notify(Property property) {
    if (observer_ != nullptr) {
        observer_->property_changed(*this, property);
    }
}

}  // namespace app
