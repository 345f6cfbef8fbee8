#include "platform/qt/tab_pages.h"

#include <QEvent>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QStyleOptionTabWidgetFrame>

namespace platform::qt {
namespace {

// The colour the style fills the pane with, or an invalid colour where it is not flat.
QColor pane_face(QTabWidget* tabs) {
    constexpr int kSide = 64;
    QStyleOptionTabWidgetFrame option;
    option.initFrom(tabs);
    option.rect = QRect(0, 0, kSide, kSide);
    QImage image(kSide, kSide, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        tabs->style()->drawPrimitive(QStyle::PE_FrameTabWidget, &option, &painter, tabs);
    }
    const QColor face = image.pixelColor(kSide / 2, kSide / 2);
    for (QPoint inside : {QPoint(12, 12), QPoint(kSide - 12, 12), QPoint(12, kSide - 12),
                          QPoint(kSide - 12, kSide - 12)}) {
        if (image.pixelColor(inside) != face) {
            return {};
        }
    }
    return face.alpha() == 255 ? face : QColor();
}

class FaceKeeper : public QObject {
  public:
    explicit FaceKeeper(QTabWidget* tabs) : QObject(tabs), tabs_(tabs) {}

    void refresh() {
        const QColor face = pane_face(tabs_);
        for (int i = 0; i < tabs_->count(); ++i) {
            if (auto* page = dynamic_cast<TabPage*>(tabs_->widget(i))) {
                page->set_face(face);
            }
        }
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::StyleChange || event->type() == QEvent::PaletteChange) {
            refresh();
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    QTabWidget* tabs_;
};

}  // namespace

void TabPage::set_face(const QColor& face) {
    face_ = face;
    setAttribute(Qt::WA_OpaquePaintEvent, face_.isValid());
    update();
}

void TabPage::paintEvent(QPaintEvent* event) {
    if (face_.isValid()) {
        QPainter(this).fillRect(event->rect(), face_);
    }
}

void add_tab_pages(QTabWidget* tabs, const QStringList& captions) {
    for (const QString& caption : captions) {
        tabs->addTab(new TabPage(tabs), caption);
    }
    auto* keeper = new FaceKeeper(tabs);
    keeper->refresh();
    tabs->installEventFilter(keeper);
}

}  // namespace platform::qt
