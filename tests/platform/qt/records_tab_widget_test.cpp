// The Records tab and the copy button through the real widgets, offscreen, with the real
// clipboard; message boxes are recorded, never shown.
#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>
#include <memory>

#include "app/inventory.h"
#include "window_fixture.h"

class RecordsTabWidgetTest : public WindowFixture {
    Q_OBJECT

  private:
    QAbstractItemView* list() { return widget<QAbstractItemView>("lstSifreler"); }
    std::string records_path() const { return folder->file("sifreler.dat"); }
    std::string records() const { return doubles::read_file(records_path()); }

    void click_tab(int index) {
        QTabBar* bar = widget<QTabWidget>("SSTab1")->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    }
    void click(const char* name) { QTest::mouseClick(widget(name), Qt::LeftButton); }
    void click_item(int row) {
        QModelIndex item = list()->model()->index(row, 0);
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {},
                          list()->visualRect(item).center());
    }
    QStringList shown() {
        QStringList rows;
        QAbstractItemModel* model = list()->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            rows << model->index(row, 0).data().toString();
        }
        return rows;
    }

  private slots:
    void init() { start(); }

    void cleanup() {
        QVERIFY2(messages.shown.empty(),
                 messages.shown.empty() ? "" : messages.shown[0].text.c_str());
        stop();
    }

    void clicking_a_tab_fills_the_view_from_the_file() {
        doubles::write_file(records_path(), "temppass\r\nabc\r\ntemppass\r\n£€x\r\n");
        QCOMPARE(list()->model()->rowCount(), 0);
        click_tab(app::kTabRecords);
        QVERIFY(list()->isVisible());
        QCOMPARE(shown(), QStringList({"abc", "£€x", ""}));

        doubles::write_file(records_path(), "temppass\r\nnew\r\n");
        click_tab(app::kTabOptions);
        QCOMPARE(shown(), QStringList({"new", ""}));
    }

    void the_delete_button_follows_the_chosen_option() {
        doubles::write_file(records_path(), "temppass\r\nabc\r\nxyz\r\nABC\r\n");
        click_tab(app::kTabRecords);
        click("optAll");
        QVERIFY(widget<QRadioButton>("optAll")->isChecked());

        // Clicking an item switches back to deleting the selected record.
        click_item(2);
        QVERIFY(widget<QRadioButton>("optSecililer")->isChecked());
        QVERIFY(!widget<QRadioButton>("optAll")->isChecked());
        QCOMPARE(form->lstSifreler.list_text(), std::string("ABC"));
        click("cmdSifreSil");
        QCOMPARE(records(), std::string("temppass\r\nxyz\r\n"));
        QCOMPARE(shown(), QStringList({"xyz", ""}));
        QVERIFY(!list()->currentIndex().isValid());

        click("optAll");
        QVERIFY(!widget<QRadioButton>("optSecililer")->isChecked());
        click("cmdSifreSil");
        QCOMPARE(records(), std::string("temppass\r\n"));
        QCOMPARE(list()->model()->rowCount(), 0);
        click_tab(app::kTabGenerate);
        click_tab(app::kTabRecords);
        QCOMPARE(shown(), QStringList({""}));
    }

    void keyboard_selection_decides_what_is_deleted() {
        doubles::write_file(records_path(), "temppass\r\nabc\r\nxyz\r\n");
        click_tab(app::kTabRecords);
        click_item(0);
        // The arrow keys move the highlight; the highlighted record is the one to go.
        QTest::keyClick(list(), Qt::Key_Down);
        QCOMPARE(list()->currentIndex().row(), 1);
        click("cmdSifreSil");
        QCOMPARE(records(), std::string("temppass\r\nabc\r\n"));
    }

    void a_long_list_scrolls_to_its_ends_and_a_click_takes_the_row_under_the_pointer() {
        std::string text = "temppass\r\n";
        for (int i = 0; i < 100000; ++i) {
            text += "r" + std::to_string(i) + "\r\n";
        }
        doubles::write_file(records_path(), text);
        click_tab(app::kTabRecords);
        QTRY_COMPARE(list()->model()->rowCount(), 100001);
        click_item(0);
        const QRect viewport = list()->viewport()->rect();
        for (auto [key, row] : {std::pair{Qt::Key_End, 100000},
                                {Qt::Key_Home, 0},
                                {Qt::Key_PageDown, -1},
                                {Qt::Key_Up, -1}}) {
            const int before = list()->currentIndex().row();
            QTest::keyClick(list(), key);
            const int now = list()->currentIndex().row();
            if (row >= 0) {
                QCOMPARE(now, row);
            } else {
                QVERIFY2(now != before, "the key moved nothing");
            }
            QVERIFY(viewport.contains(list()->visualRect(list()->currentIndex())));
        }
        QTest::keyClick(list(), Qt::Key_End);
        // The second row from the bottom of the view, as the pointer finds it.
        const QPoint point(viewport.center().x(),
                           list()->visualRect(list()->currentIndex()).center().y() -
                               list()->visualRect(list()->currentIndex()).height());
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, point);
        QCOMPARE(form->lstSifreler.list_text(), std::string("r99999"));
        QVERIFY(!list()->indexAt(QPoint(point.x(), viewport.bottom() + 50)).isValid());
    }

    void copy_puts_the_password_on_the_clipboard_marked_secret() {
        click("cmdOlustur");
        auto* box = widget<QLineEdit>("txtSifre");
        const QString generated = box->text();
        QVERIFY(!generated.isEmpty());
        // Outside the pools, but a user's own list may hold it: two UTF-16 units, one character.
        const QString passwords[] = {generated, QString("£€Ab😀9")};
        for (const QString& password : passwords) {
            form->txtSifre.set_text(password.toStdString());
            QVERIFY(widget("cmdKopyala")->isEnabled());
            click("cmdKopyala");

            QClipboard* system = QGuiApplication::clipboard();
            QCOMPARE(system->text(), password);
            QCOMPARE(system->mimeData()->data("x-kde-passwordManagerHint"), QByteArray("secret"));
            QCOMPARE(box->selectedText(), password);
            QCOMPARE(messages.shown.size(), std::size_t{1});
            QCOMPARE(messages.shown[0].icon, platform::MessageIcon::None);
            QCOMPARE(QString::fromStdString(messages.shown[0].text),
                     QString("The password copied to clipboard.\r\n\r\nYou can paste it to a "
                             "textarea."));
            messages.shown.clear();
        }
    }
};

QTEST_MAIN(RecordsTabWidgetTest)
#include "records_tab_widget_test.moc"
