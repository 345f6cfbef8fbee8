#pragma once

#include <QAbstractListModel>

#include "app/list_items.h"

namespace platform::qt {

// Shows a list box's items without copying them: each row's text is made when it is drawn.
class ListModel : public QAbstractListModel {
  public:
    using QAbstractListModel::QAbstractListModel;

    void set_items(const app::ListItems& items);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

  private:
    app::ListItems items_;
};

}  // namespace platform::qt
