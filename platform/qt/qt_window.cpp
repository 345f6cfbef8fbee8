#include "platform/qt/qt_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCursor>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/frm_main.h"
#include "app/inventory.h"
#include "platform/qt/artwork.h"
#include "platform/qt/labels.h"
#include "platform/qt/list_model.h"
#include "platform/qt/list_view.h"
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

bool takes_focus(app::ControlKind kind) {
    using K = app::ControlKind;
    return kind == K::TabControl || kind == K::OptionButton || kind == K::CheckBox ||
           kind == K::TextBox || kind == K::ListBox || kind == K::Button;
}

}  // namespace

QtWindow::QtWindow() {
    setWindowTitle(QString::fromUtf8(app::kWindowTitle));
    setWindowIcon(program_icon());
}

void QtWindow::build(app::frmMain& form) {
    form_ = &form;
    QScreen* display = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    double dpi = display != nullptr ? display->logicalDotsPerInchX() : 96.0;
    pixels_per_twip_ = dpi / 96.0 / app::kTwipsPerPixelAt96Dpi;
    setFixedSize(pixels(app::kClientWidthTwips), pixels(app::kClientHeightTwips));

    for (auto& control : form.controls()) {
        const auto& definition = control.definition();
        if (definition.kind == app::ControlKind::MenuItem) {
            add_menu_item(control);
            continue;
        }
        QWidget* parent = this;
        if (!definition.container.empty()) {
            parent = widgets_.at(definition.container);
        }
        QWidget* widget = create_widget(control, parent);
        widget->setObjectName(to_qt(definition.name));
        place(widget, definition.rect);
        if (!definition.tooltip.empty()) {
            widget->setToolTip(to_qt(definition.tooltip));
        }
        if (parent == tabs_) {
            tab_members_.emplace_back(widget, definition.tab);
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

QWidget* QtWindow::create_widget(app::Control& control, QWidget* parent) {
    using K = app::ControlKind;
    const QString caption = to_qt(control.caption());
    switch (control.kind()) {
        case K::Picture: {
            auto* picture = new QLabel(parent);
            QSize size(pixels(control.definition().rect.width),
                       pixels(control.definition().rect.height));
            picture->setPixmap(banner_picture(size, devicePixelRatioF()));
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
            return list;
        }
        case K::UpDown: {
            auto* spin = new QWidget(parent);
            auto* layout = new QVBoxLayout(spin);
            layout->setContentsMargins(0, 0, 0, 0);
            layout->setSpacing(0);
            for (auto arrow : {Qt::UpArrow, Qt::DownArrow}) {
                auto* button = new QToolButton(spin);
                button->setArrowType(arrow);
                button->setAutoRepeat(true);
                button->setFocusPolicy(Qt::NoFocus);
                button->setObjectName(arrow == Qt::UpArrow ? "up" : "down");
                button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
                layout->addWidget(button);
            }
            return spin;
        }
        case K::Button: {
            auto* button = new QPushButton(caption, parent);
            // Enter presses the focused button, as Space does.
            button->setAutoDefault(true);
            return button;
        }
        case K::Label: {
            // A label that does something on a click is a link; the others are plain text.
            QLabel* label = make_label(caption, control.Click.bound(), parent);
            if (control.Click.bound()) {
                label->installEventFilter(this);
            }
            return label;
        }
        case K::Meter:
            return new StrengthMeter(parent);
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
    } else if (auto* check = qobject_cast<QCheckBox*>(widget)) {
        connect(check, &QCheckBox::clicked, this,
                [&form, &control](bool checked) { form.raise_value_change(control, checked); });
    } else if (auto* option = qobject_cast<QRadioButton*>(widget)) {
        connect(option, &QRadioButton::clicked, this, [this, &form, &control, option] {
            // A chosen option stays chosen when clicked again.
            option->setChecked(true);
            form.raise_value_change(control, 1);
            mirror(control, option, app::Property::Value);
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
                [this, &form, &control](const QModelIndex& index) {
                    if (!mirroring_ && index.isValid()) {
                        form.raise_list_select(control, index.row());
                    }
                });
    } else if (widget == tabs_) {
        connect(tabs_, &QTabWidget::currentChanged, this, [this, &form](int index) {
            show_tab(index);
            form.raise_tab_change(index);
        });
        // A click on the tab already shown refreshes too.
        connect(tabs_, &QTabWidget::tabBarClicked, this, [this, &form](int index) {
            if (index == tabs_->currentIndex()) {
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

void QtWindow::place(QWidget* widget, const app::TwipsRect& rect) {
    widget->setGeometry(pixels(rect.left), pixels(rect.top), pixels(rect.width),
                        pixels(rect.height));
}

int QtWindow::pixels(int twips) const {
    return static_cast<int>(std::lround(twips * pixels_per_twip_));
}

void QtWindow::show_tab(int index) {
    for (auto& [widget, tab] : tab_members_) {
        widget->setVisible(tab == index);
    }
}

void QtWindow::apply_tab_order() {
    std::vector<std::pair<int, QWidget*>> order;
    for (auto& [widget, control] : controls_) {
        int index = control->definition().tab_index;
        if (index != app::kNoTabIndex && takes_focus(control->kind())) {
            order.emplace_back(index, static_cast<QWidget*>(widget));
        }
    }
    std::sort(order.begin(), order.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1].second, order[i].second);
    }
    // The window opens with the focus on the first control in that order.
    if (!order.empty()) {
        order.front().second->setFocus();
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
