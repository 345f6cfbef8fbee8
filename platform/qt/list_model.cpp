#include "platform/qt/list_model.h"

namespace platform::qt {

void ListModel::set_items(const app::ListItems& items) {
    beginResetModel();
    items_ = items;
    endResetModel();
}

int ListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(items_.size());
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() ||
        static_cast<std::size_t>(index.row()) >= items_.size()) {
        return {};
    }
    return QString::fromStdString(items_.shown(static_cast<std::size_t>(index.row())));
}

}  // namespace platform::qt
