#include "app/window_plan.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace app {
namespace {

Layer layer_of(ControlKind kind) {
    switch (kind) {
        case ControlKind::TabControl:
            return Layer::TabControl;
        case ControlKind::Frame:
            return Layer::Frame;
        case ControlKind::Container:
            return Layer::Container;
        default:
            return takes_focus(kind) ? Layer::Focusable : Layer::Plain;
    }
}

}  // namespace

int twips_to_pixels(int twips, double dpi) {
    return static_cast<int>(std::lround(twips * dpi / (96.0 * kTwipsPerPixelAt96Dpi)));
}

PixelRect client_area(double dpi) {
    return {0, 0, twips_to_pixels(kClientWidthTwips, dpi),
            twips_to_pixels(kClientHeightTwips, dpi)};
}

bool takes_focus(ControlKind kind) {
    using K = ControlKind;
    return kind == K::TabControl || kind == K::OptionButton || kind == K::CheckBox ||
           kind == K::TextBox || kind == K::ListBox || kind == K::Button;
}

bool same_option_group(const ControlDefinition& first, const ControlDefinition& second) {
    return first.kind == ControlKind::OptionButton && second.kind == ControlKind::OptionButton &&
           first.container == second.container && first.tab == second.tab;
}

int value_after_click(ControlKind kind, bool checked) {
    return kind == ControlKind::OptionButton || checked ? 1 : 0;
}

bool click_refreshes_tab(int clicked, int shown) {
    return clicked >= 0 && clicked == shown;
}

WindowPlan::WindowPlan(std::deque<Control>& controls) {
    for (auto& control : controls) {
        const auto& definition = control.definition();
        Entry entry{&control};
        if (definition.kind != ControlKind::MenuItem && !definition.container.empty()) {
            auto container = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) {
                return e.control->name() == definition.container;
            });
            // The inventory lists containers before what they contain.
            if (container == entries_.end()) {
                throw std::out_of_range("No container named " + definition.container);
            }
            entry.container = static_cast<int>(container - entries_.begin());
        }
        entry.link = definition.kind == ControlKind::Label && control.Click.bound();
        // A link takes the focus, so that the keyboard reaches it too.
        entry.takes_focus = takes_focus(definition.kind) || entry.link;
        entry.layer = entry.link ? Layer::Focusable : layer_of(definition.kind);
        entries_.push_back(entry);
        if (definition.kind != ControlKind::MenuItem) {
            stacking_.push_back(entries_.size() - 1);
        }
    }
    auto tab_index = [this](std::size_t index) {
        return entries_[index].control->definition().tab_index;
    };
    // Within the top layer, the focus order; the others keep the controls' order.
    std::stable_sort(stacking_.begin(), stacking_.end(), [&](std::size_t a, std::size_t b) {
        Layer first = entries_[a].layer;
        Layer second = entries_[b].layer;
        if (first != second) {
            return first < second;
        }
        return first == Layer::Focusable && tab_index(a) < tab_index(b);
    });
    const Entry* previous = nullptr;
    for (std::size_t index : stacking_) {
        Entry& entry = entries_[index];
        if (!entry.takes_focus) {
            continue;
        }
        // The options of one group are one stop for the arrow keys.
        entry.starts_group =
            previous == nullptr ||
            !same_option_group(previous->control->definition(), entry.control->definition());
        previous = &entry;
        if (tab_index(index) != kNoTabIndex) {
            focus_order_.push_back(index);
        }
    }
    // The tab control lies at the bottom but takes its turn by its tab index. The links come
    // after every other control, so that their tab indexes leave the others' order as it was.
    std::stable_sort(focus_order_.begin(), focus_order_.end(), [&](std::size_t a, std::size_t b) {
        if (entries_[a].link != entries_[b].link) {
            return entries_[b].link;
        }
        return tab_index(a) < tab_index(b);
    });
}

PixelRect WindowPlan::rect(std::size_t index, double dpi) const {
    const auto& twips = entries_[index].control->definition().rect;
    return {twips_to_pixels(twips.left, dpi), twips_to_pixels(twips.top, dpi),
            twips_to_pixels(twips.width, dpi), twips_to_pixels(twips.height, dpi)};
}

PixelRect WindowPlan::window_rect(std::size_t index, double dpi) const {
    PixelRect place = rect(index, dpi);
    // Each container's place is rounded to pixels on its own, as a nested widget's would be.
    for (int outer = entries_[index].container; outer >= 0;
         outer = entries_[static_cast<std::size_t>(outer)].container) {
        PixelRect container = rect(static_cast<std::size_t>(outer), dpi);
        place.left += container.left;
        place.top += container.top;
    }
    return place;
}

bool WindowPlan::shown_on(std::size_t index, int tab) const {
    int on = entries_[index].control->definition().tab;
    return on == kOnEveryTab || on == tab;
}

}  // namespace app
