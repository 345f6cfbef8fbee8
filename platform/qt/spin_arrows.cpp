#include "platform/qt/spin_arrows.h"

#include <QToolButton>
#include <QVBoxLayout>

#include "platform/qt/accessibility.h"

namespace platform::qt {

QWidget* make_spin_arrows(const QString& up_name, const QString& down_name, QWidget* parent) {
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
        button->setAccessibleName(arrow == Qt::UpArrow ? up_name : down_name);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        layout->addWidget(button);
    }
    read_as_spin_button(spin);
    return spin;
}

}  // namespace platform::qt
