#include "platform/qt/accessibility.h"

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <unordered_map>
#include <utility>

namespace platform::qt {
namespace {

// Made by the window, not found by Qt's factory: Qt looks a widget's interface up here first.
void install(QAccessibleInterface* interface) {
    QAccessible::registerAccessibleInterface(interface);
}

class RadioButtonInterface : public QAccessibleWidget {
  public:
    explicit RadioButtonInterface(QAbstractButton* option)
        : QAccessibleWidget(option, QAccessible::RadioButton) {}

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = static_cast<QAbstractButton*>(widget())->isChecked();
        return state;
    }
    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == pressAction()) {
            static_cast<QAbstractButton*>(widget())->click();
        } else {
            QAccessibleWidget::doAction(action);
        }
    }
};

class LinkInterface : public QAccessibleWidget {
  public:
    LinkInterface(QWidget* label, std::function<void()> open)
        : QAccessibleWidget(label, QAccessible::Link), open_(std::move(open)) {}

    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == pressAction()) {
            open_();
        } else {
            QAccessibleWidget::doAction(action);
        }
    }

  private:
    std::function<void()> open_;
};

class MeterInterface : public QAccessibleWidget, public QAccessibleValueInterface {
  public:
    MeterInterface(QWidget* meter, std::function<int()> value)
        : QAccessibleWidget(meter, QAccessible::ProgressBar), value_(std::move(value)) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface) {
            return static_cast<QAccessibleValueInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text text) const override {
        if (text == QAccessible::Value) {
            return QString::number(value_());
        }
        return QAccessibleWidget::text(text);
    }
    QVariant currentValue() const override { return value_(); }
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return 100; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

  private:
    std::function<int()> value_;
};

class ListRowInterface : public QAccessibleInterface {
  public:
    ListRowInterface(QAbstractItemView* list, int row) : list_(list), row_(row) {}

    bool isValid() const override { return list_ != nullptr && list_->model() != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return parent()->window(); }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(list_);
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text text) const override {
        if (text != QAccessible::Name || !isValid()) {
            return {};
        }
        return index().data(Qt::DisplayRole).toString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        QRect place = list_->visualRect(index());
        return QRect(list_->viewport()->mapToGlobal(place.topLeft()), place.size());
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.selectable = true;
        state.focusable = true;
        if (!isValid()) {
            return state;
        }
        state.selected = list_->selectionModel()->isSelected(index());
        state.focused = list_->hasFocus() && list_->currentIndex() == index();
        state.invisible = !list_->viewport()->rect().intersects(list_->visualRect(index()));
        state.offscreen = state.invisible;
        return state;
    }

  private:
    QModelIndex index() const { return list_->model()->index(row_, 0, list_->rootIndex()); }

    QAbstractItemView* list_;
    int row_;
};

// The rows' interfaces are made when a reader asks for one, and dropped when the rows change:
// a list of millions costs only the rows read.
class ListInterface : public QAccessibleWidget {
  public:
    explicit ListInterface(QAbstractItemView* list) : QAccessibleWidget(list, QAccessible::List) {
        QObject::connect(list->model(), &QAbstractItemModel::modelReset, list,
                         [this] { drop_rows(); });
    }
    ~ListInterface() override { drop_rows(); }

    int childCount() const override { return list()->model()->rowCount(list()->rootIndex()); }
    QAccessibleInterface* child(int row) const override {
        if (row < 0 || row >= childCount()) {
            return nullptr;
        }
        auto found = rows_.find(row);
        if (found == rows_.end()) {
            auto* made = new ListRowInterface(list(), row);
            found = rows_.emplace(row, QAccessible::registerAccessibleInterface(made)).first;
        }
        return QAccessible::accessibleInterface(found->second);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (const auto& [row, id] : rows_) {
            if (QAccessible::accessibleInterface(id) == child) {
                return row;
            }
        }
        return -1;
    }
    QAccessibleInterface* focusChild() const override {
        QModelIndex current = list()->currentIndex();
        return current.isValid() ? child(current.row()) : nullptr;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        QModelIndex at = list()->indexAt(list()->viewport()->mapFromGlobal(QPoint(x, y)));
        return at.isValid() ? child(at.row()) : nullptr;
    }

  private:
    QAbstractItemView* list() const { return static_cast<QAbstractItemView*>(widget()); }
    void drop_rows() {
        for (const auto& [row, id] : rows_) {
            QAccessible::deleteAccessibleInterface(id);
        }
        rows_.clear();
    }

    mutable std::unordered_map<int, QAccessible::Id> rows_;
};

}  // namespace

void read_as_window(QWidget* window) {
    install(new QAccessibleWidget(window, QAccessible::Window));
}

void read_as_radio_button(QAbstractButton* option) {
    install(new RadioButtonInterface(option));
}

void read_as_link(QWidget* label, std::function<void()> open) {
    install(new LinkInterface(label, std::move(open)));
}

void read_as_meter(QWidget* meter, std::function<int()> value) {
    install(new MeterInterface(meter, std::move(value)));
}

void read_as_spin_button(QWidget* arrows) {
    install(new QAccessibleWidget(arrows, QAccessible::SpinBox));
}

void read_as_list(QAbstractItemView* list) {
    install(new ListInterface(list));
}

void announce_value(QWidget* widget, int value) {
    QAccessibleValueChangeEvent event(widget, value);
    QAccessible::updateAccessibility(&event);
}

void announce_current_row(QAbstractItemView* list) {
    QAccessibleInterface* row = QAccessible::queryAccessibleInterface(list)->focusChild();
    if (row == nullptr) {
        return;
    }
    QAccessibleEvent selection(row, QAccessible::Selection);
    QAccessible::updateAccessibility(&selection);
    if (list->hasFocus()) {
        QAccessibleEvent focus(row, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}

}  // namespace platform::qt
