#include "platform/qt/qt_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QTabWidget>
#include <QToolButton>

#include "app/accessibility.h"
#include "app/frm_main.h"
#include "app/inventory.h"
#include "platform/qt/accessibility.h"
#include "platform/qt/artwork.h"
#include "platform/qt/labels.h"
#include "platform/qt/list_model.h"
#include "platform/qt/list_view.h"
#include "platform/qt/spin_arrows.h"
#include "platform/qt/strength_meter.h"
#include "platform/qt/tab_pages.h"
#include "platform/qt/text_box.h"
#include "platform/qt/text_positions.h"
#include "platform/qt/wrapping_buttons.h"

namespace platform::qt {
namespace {

QString to_qt(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

QtWindow::QtWindow() {
    setWindowTitle(QString::fromUtf8(app::kWindowTitle));
    setWindowIcon(program_icon());
    read_as_window(this);
}

void QtWindow::build(app::frmMain& form) {
    form_ = &form;
    plan_.emplace(form.controls());
    QScreen* display = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    dpi_ = display != nullptr ? display->logicalDotsPerInchX() : 96.0;
    app::PixelRect client = app::client_area(dpi_);
    setFixedSize(client.width, client.height);

    for (std::size_t index = 0; index < plan_->size(); ++index) {
        app::Control& control = *(*plan_)[index].control;
        const auto& definition = control.definition();
        if (definition.kind == app::ControlKind::MenuItem) {
            add_menu_item(control);
            continue;
        }
        QWidget* parent = this;
        if (!definition.container.empty()) {
            parent = widgets_.at(definition.container);
        }
        QWidget* widget = create_widget(index, parent);
        widget->setObjectName(to_qt(definition.name));
        app::PixelRect place = plan_->rect(index, dpi_);
        widget->setGeometry(place.left, place.top, place.width, place.height);
        if (!definition.tooltip.empty()) {
            widget->setToolTip(to_qt(definition.tooltip));
        }
        describe(index, widget);
        if (parent == tabs_) {
            tab_members_.emplace_back(widget, index);
            widget->raise();
        }
        widgets_[definition.name] = widget;
        controls_[widget] = &control;
        for (auto property :
             {app::Property::Enabled, app::Property::Value, app::Property::Background}) {
            mirror(control, widget, property);
        }
        connect_events(control, widget);
    }
    show_tab(tabs_ != nullptr ? controls_.at(tabs_)->value() : 0);
    apply_tab_order();
    form.set_observer(this);
}

QWidget* QtWindow::create_widget(std::size_t index, QWidget* parent) {
    using K = app::ControlKind;
    const app::Control& control = *(*plan_)[index].control;
    const QString caption = to_qt(control.caption());
    switch (control.kind()) {
        case K::Picture: {
            auto* picture = new QLabel(parent);
            app::PixelRect place = plan_->rect(index, dpi_);
            picture->setPixmap(
                banner_picture(QSize(place.width, place.height), devicePixelRatioF()));
            return picture;
        }
        case K::TabControl: {
            tabs_ = new QTabWidget(parent);
            QStringList captions;
            for (const auto& tab : app::tab_captions()) {
                captions << to_qt(tab);
            }
            add_tab_pages(tabs_, captions);
            return tabs_;
        }
        case K::Frame:
            return new QGroupBox(caption, parent);
        case K::Container:
            return new QWidget(parent);
        case K::OptionButton: {
            auto* option = new WrappingRadioButton(caption, parent);
            // Grouping follows the model's containers, not Qt's.
            option->setAutoExclusive(false);
            read_as_radio_button(option);
            return option;
        }
        case K::CheckBox:
            return new WrappingCheckBox(caption, parent);
        case K::TextBox: {
            // The password box is the one that holds a secret.
            auto* box = make_text_box(to_qt(control.text()), control.name() == "txtSifre", parent);
            box->installEventFilter(this);
            return box;
        }
        case K::ListBox: {
            auto* list = new ListView(parent);
            list->setModel(new ListModel(list));
            list->setSelectionMode(QAbstractItemView::SingleSelection);
            list->setEditTriggers(QAbstractItemView::NoEditTriggers);
            read_as_list(list);
            return list;
        }
        case K::UpDown: {
            const app::SpokenTexts& texts = form_->spoken_texts();
            return make_spin_arrows(to_qt(texts[app::kSpinUpKey]), to_qt(texts[app::kSpinDownKey]),
                                    parent);
        }
        case K::Button: {
            auto* button = new QPushButton(caption, parent);
            // Enter presses the focused button, as Space does.
            button->setAutoDefault(true);
            return button;
        }
        case K::Label: {
            const bool link = (*plan_)[index].link;
            QLabel* label = make_label(caption, link, parent);
            if (link) {
                label->installEventFilter(this);
                app::Control* clicked = (*plan_)[index].control;
                read_as_link(label, [this, clicked] { form_->raise_click(*clicked); });
            }
            return label;
        }
        case K::Meter: {
            auto* meter = new StrengthMeter(parent);
            read_as_meter(meter, [meter] { return meter->value(); });
            return meter;
        }
        case K::MenuItem:
            break;
    }
    return new QWidget(parent);
}

void QtWindow::connect_events(app::Control& control, QWidget* widget) {
    app::frmMain& form = *form_;
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
        connect(button, &QPushButton::clicked, this,
                [&form, &control] { form.raise_click(control); });
    } else if (auto* box = qobject_cast<QAbstractButton*>(widget); box && box->isCheckable()) {
        connect(box, &QAbstractButton::clicked, this, [this, &form, &control, box](bool checked) {
            form.raise_value_change(control, app::value_after_click(control.kind(), checked));
            // The box shows the value the click left, also where that is the one it had.
            mirror(control, box, app::Property::Value);
        });
    } else if (auto* box = qobject_cast<QLineEdit*>(widget)) {
        connect(box, &QLineEdit::textEdited, this, [&form, &control](const QString& text) {
            form.raise_text_edit(control, text.toStdString());
        });
    } else if (auto* list = dynamic_cast<ListView*>(widget)) {
        // A click, and a move of the highlight with the keys, both choose the item.
        connect(list, &ListView::clicked, this, [&form, &control](const QModelIndex& index) {
            form.raise_list_select(control, index.row());
        });
        connect(list->selectionModel(), &QItemSelectionModel::currentChanged, this,
                [this, &form, &control, list](const QModelIndex& index) {
                    announce_current_row(list);
                    if (!mirroring_ && index.isValid()) {
                        form.raise_list_select(control, index.row());
                    }
                });
    } else if (widget == tabs_) {
        connect(tabs_, &QTabWidget::currentChanged, this, [this, &form](int index) {
            show_tab(index);
            form.raise_tab_change(index);
        });
        connect(tabs_, &QTabWidget::tabBarClicked, this, [this, &form](int index) {
            if (app::click_refreshes_tab(index, tabs_->currentIndex())) {
                form.raise_tab_change(index);
            }
        });
    } else if (control.kind() == app::ControlKind::UpDown) {
        for (auto* button : widget->findChildren<QToolButton*>()) {
            int step = button->objectName() == "up" ? 1 : -1;
            connect(button, &QToolButton::clicked, this,
                    [&form, &control, step] { form.raise_spin(control, step); });
        }
    }
}

void QtWindow::add_menu_item(app::Control& control) {
    QMenu*& menu = menus_[control.definition().container];
    if (menu == nullptr) {
        menu = new QMenu(this);
    }
    QAction* item = menu->addAction(to_qt(control.caption()));
    item->setObjectName(to_qt(control.name()));
    connect(item, &QAction::triggered, this, [this, &control] { form_->raise_click(control); });
}

void QtWindow::show_tab(int tab) {
    for (auto& [widget, index] : tab_members_) {
        widget->setVisible(plan_->shown_on(index, tab));
    }
}

void QtWindow::apply_tab_order() {
    const auto& order = plan_->focus_order();
    auto widget_at = [this, &order](std::size_t i) {
        return widgets_.at((*plan_)[order[i]].control->name());
    };
    for (std::size_t i = 1; i < order.size(); ++i) {
        setTabOrder(widget_at(i - 1), widget_at(i));
    }
    // The window opens with the focus on the first control in that order.
    if (!order.empty()) {
        widget_at(0)->setFocus();
    }
}

void QtWindow::describe(std::size_t index, QWidget* widget) {
    app::AccessibleControl accessible =
        app::accessible_control(*plan_, index, form_->spoken_texts());
    widget->setAccessibleName(to_qt(accessible.name));
    widget->setAccessibleDescription(to_qt(accessible.description));
}

void QtWindow::describe(const app::Control& control, QWidget* widget) {
    for (std::size_t index = 0; index < plan_->size(); ++index) {
        if ((*plan_)[index].control == &control) {
            describe(index, widget);
        }
    }
}

QWidget* QtWindow::widget(const std::string& name) const {
    auto found = widgets_.find(name);
    return found == widgets_.end() ? nullptr : found->second;
}

void QtWindow::property_changed(const app::Control& control, app::Property property) {
    auto found = widgets_.find(control.name());
    if (found != widgets_.end()) {
        mirror(control, found->second, property);
    }
}

void QtWindow::mirror(const app::Control& control, QWidget* widget, app::Property property) {
    using P = app::Property;
    // Changes made here come from the model and go back to it as no event.
    QScopedValueRollback<bool> quiet(mirroring_, true);
    switch (property) {
        case P::Caption:
            if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
                button->setText(to_qt(control.caption()));
            } else if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
                frame->setTitle(to_qt(control.caption()));
            } else if (auto* label = qobject_cast<QLabel*>(widget)) {
                label->setText(to_qt(control.caption()));
            }
            describe(control, widget);
            break;
        case P::Text:
            if (auto* box = qobject_cast<QLineEdit*>(widget)) {
                if (box->text().toStdString() != control.text()) {
                    box->setText(to_qt(control.text()));
                }
            }
            break;
        case P::Value:
            if (auto* button = qobject_cast<QAbstractButton*>(widget);
                button && button->isCheckable()) {
                button->setChecked(control.value() != 0);
            } else if (auto* meter = dynamic_cast<StrengthMeter*>(widget)) {
                meter->set_value(control.value());
                announce_value(meter, meter->value());
            } else if (widget == tabs_ && tabs_->currentIndex() != control.value()) {
                tabs_->setCurrentIndex(control.value());
            }
            break;
        case P::Enabled:
            widget->setEnabled(control.enabled());
            break;
        case P::Selection:
            if (auto* box = qobject_cast<QLineEdit*>(widget)) {
                auto [start, length] =
                    utf16_range(box->text(), control.selection_start(), control.selection_length());
                box->setSelection(start, length);
            }
            break;
        case P::Background:
            if (control.background() != app::SystemColour::Default) {
                QPalette colours = widget->palette();
                QPalette::ColorRole source =
                    control.background() == app::SystemColour::InactiveBorder ? QPalette::Window
                                                                              : QPalette::Base;
                colours.setColor(QPalette::Base, QApplication::palette().color(source));
                widget->setPalette(colours);
            }
            break;
        case P::Items:
            if (auto* list = dynamic_cast<ListView*>(widget)) {
                static_cast<ListModel*>(list->model())->set_items(control.items());
            }
            break;
        case P::ListIndex:
            if (auto* list = dynamic_cast<ListView*>(widget)) {
                list->setCurrentIndex(list->model()->index(control.list_index(), 0));
            }
            break;
        case P::ToolTip:
            widget->setToolTip(to_qt(control.tooltip()));
            describe(control, widget);
            break;
    }
}

bool QtWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease && qobject_cast<QLabel*>(watched) &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        auto found = controls_.find(watched);
        if (found != controls_.end()) {
            form_->raise_click(*found->second);
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress && qobject_cast<QLabel*>(watched)) {
        // A link opens with Enter or Space, as a button presses.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
            form_->raise_click(*controls_.at(watched));
            return true;
        }
        return QWidget::eventFilter(watched, event);
    }
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::InputMethod) {
        auto found = controls_.find(watched);
        if (found != controls_.end()) {
            app::Control& control = *found->second;
            if (filter_typing(event, [&](int& code) { form_->raise_key_press(control, code); })) {
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void QtWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && form_ != nullptr) {
        form_->raise_activate();
    }
    QWidget::changeEvent(event);
}

void QtWindow::closeEvent(QCloseEvent* event) {
    if (form_ == nullptr) {
        return QWidget::closeEvent(event);
    }
    int cancel = 0;
    form_->raise_query_unload(cancel, session_ending_ ? app::vbAppWindows : app::vbFormControlMenu);
    if (cancel != 0) {
        event->ignore();
        return;
    }
    event->accept();
    form_->raise_unload();
    QCoreApplication::quit();
}

void QtWindow::end_session() {
    session_ending_ = true;
    close();
}

QMenu* QtWindow::menu(const std::string& name) const {
    auto found = menus_.find(name);
    return found == menus_.end() ? nullptr : found->second;
}

void QtWindow::popup_menu(const std::string& name) {
    if (QMenu* shown = menu(name)) {
        shown->popup(QCursor::pos());
    }
}

void QtWindow::show_window() {
    show();
    activateWindow();
    // The first activation comes right after loading, also where no window manager hands out
    // the focus; later ones come from the window system.
    if (form_ != nullptr && !isActiveWindow()) {
        form_->raise_activate();
    }
}

void QtWindow::hide_window() {
    hide();
}

bool QtWindow::window_visible() const {
    return isVisible();
}

void QtWindow::set_window_state(WindowState state) {
    if (state == WindowState::Minimized) {
        setWindowState(windowState() | Qt::WindowMinimized);
    } else {
        setWindowState(windowState() & ~Qt::WindowMinimized);
    }
}

WindowState QtWindow::window_state() const {
    return (windowState() & Qt::WindowMinimized) ? WindowState::Minimized : WindowState::Normal;
}

void QtWindow::end_process() {
    hide();
    // Queued, so that it also ends a process whose event loop has not started yet.
    QMetaObject::invokeMethod(
        qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

}  // namespace platform::qt
