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
    std::string_view item = items_.at(static_cast<std::size_t>(index.row()));
    return QString::fromUtf8(item.data(), static_cast<qsizetype>(item.size()));
}

}  // namespace platform::qt
