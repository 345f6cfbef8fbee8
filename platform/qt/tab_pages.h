#pragma once

#include <QColor>
#include <QTabWidget>
#include <QWidget>

namespace platform::qt {

// A page of the tab control that paints the face the style gives the tab control's pane, so a
// control that changes on it repaints the page alone rather than the tab control beneath.
// Where the style's pane is not one flat colour, the page stays transparent.
class TabPage : public QWidget {
  public:
    using QWidget::QWidget;
    void set_face(const QColor& face);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor face_;
};

// Adds a TabPage per caption to `tabs`, and gives them the pane's face again whenever the
// style or the palette changes.
void add_tab_pages(QTabWidget* tabs, const QStringList& captions);

}  // namespace platform::qt
