// Every caption fits its control, run at the scales the window is used at (QT_SCALE_FACTOR):
// a caption that needs more room than its control has is cut off on the screen.
#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QtTest>

#include "app/accessibility.h"
#include "platform/qt/artwork.h"
#include "window_fixture.h"

class TextFitTest : public WindowFixture {
    Q_OBJECT

  private:
    // The room a caption needs inside `widget`, or an empty size for widgets without one.
    static QSize needed(QWidget* widget, QSize& room) {
        const QFontMetrics metrics(widget->font());
        room = widget->size();
        if (auto* label = qobject_cast<QLabel*>(widget); label && label->pixmap().isNull()) {
            return wrapped(metrics, label->text(), room.width(), label->wordWrap());
        }
        if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
            return wrapped(metrics, frame->title(), room.width(), false);
        }
        auto* button = qobject_cast<QAbstractButton*>(widget);
        if (button == nullptr) {
            return {};
        }
        if (qobject_cast<QPushButton*>(widget)) {
            const int margin = widget->style()->pixelMetric(QStyle::PM_ButtonMargin);
            room -= QSize(2 * margin, 0);
            return wrapped(metrics, button->text(), room.width(), false);
        }
        // Check boxes and option buttons wrap beside their mark.
        QStyleOptionButton option;
        option.initFrom(widget);
        const bool radio = qobject_cast<QRadioButton*>(widget) != nullptr;
        QRect text = widget->style()->subElementRect(
            radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents, &option, widget);
        room.setWidth(widget->width() - text.left());
        return wrapped(metrics, button->text(), room.width(), true);
    }
    static QSize wrapped(const QFontMetrics& metrics, const QString& caption, int width,
                         bool wrap) {
        const QString shown = QString::fromStdString(app::spoken_caption(caption.toStdString()));
        const int flags = wrap ? Qt::TextWordWrap : Qt::TextSingleLine;
        return metrics.boundingRect(QRect(0, 0, width, 10000), flags, shown).size();
    }

  private slots:
    void initTestCase() { platform::qt::use_window_font(); }
    void init() { start(); }
    void cleanup() { stop(); }

    void every_caption_fits_its_control() {
        // The longest read-out the strength label shows.
        form->lblStrength.set_caption(app::strength_text(100, form->spoken_texts()));
        int checked = 0;
        int captioned = 0;
        for (const auto& control : form->controls()) {
            QWidget* widget = window->widget(control.name());
            if (widget == nullptr) {
                continue;
            }
            captioned += control.caption().empty() ? 0 : 1;
            QSize room;
            QSize size = needed(widget, room);
            if (size.isEmpty()) {
                continue;
            }
            ++checked;
            // A line's box reaches a pixel below the letters' lowest point.
            QVERIFY2(size.width() <= room.width() && size.height() <= room.height() + 1,
                     qPrintable(QString("%1 needs %2x%3, has %4x%5")
                                    .arg(QString::fromStdString(control.name()))
                                    .arg(size.width())
                                    .arg(size.height())
                                    .arg(room.width())
                                    .arg(room.height())));
        }
        // Every caption, and the text boxes' texts besides.
        QVERIFY2(checked >= captioned, qPrintable(QString("%1 of %2").arg(checked).arg(captioned)));
    }
};

QTEST_MAIN(TextFitTest)
#include "text_fit_test.moc"
