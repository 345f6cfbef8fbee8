#pragma once

#include <QAbstractButton>
#include <QAbstractItemView>
#include <functional>

namespace platform::qt {

// Widgets whose Qt class tells assistive technology too little of what they are. Each call gives
// the widget an accessible interface of its own, in place of the one its class would get.

// The main window, read as a window with its title, not as an unnamed filler.
void read_as_window(QWidget* window);
// An option button the model groups, which Qt would otherwise read as a check box.
void read_as_radio_button(QAbstractButton* option);
// A label that opens a page; `open` runs on the reader's press action.
void read_as_link(QWidget* label, std::function<void()> open);
// The strength bar: a progress bar whose value `value` gives, 0 to 100.
void read_as_meter(QWidget* meter, std::function<int()> value);
// The two arrows of the up-down control, read as one spin button.
void read_as_spin_button(QWidget* arrows);
// A list view whose rows are its children: their count, their text, which is selected.
void read_as_list(QAbstractItemView* list);

// Tells assistive technology that `widget`'s value changed.
void announce_value(QWidget* widget, int value);
// Tells it that the list's current row changed.
void announce_current_row(QAbstractItemView* list);

}  // namespace platform::qt
