#pragma once

#include <QAbstractItemView>

namespace platform::qt {

// A list of rows of one height, one column, one selected row. It keeps nothing per row, so ten
// million records cost the view no more than ten: where a row lies follows from its number.
// Scrolling goes by whole rows.
class ListView : public QAbstractItemView {
  public:
    explicit ListView(QWidget* parent = nullptr);

    QRect visualRect(const QModelIndex& index) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint& point) const override;
    void reset() override;
    // Typing does not search: over millions of records it would hold up the window.
    void keyboardSearch(const QString&) override {}

  protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex& index) const override;
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    int rows() const;
    int row_height() const;
    int first_shown() const;
    // How many rows fit whole in the viewport, at least one.
    int rows_shown() const;
    int row_at(int y) const;
    void update_scroll_range();
};

}  // namespace platform::qt
