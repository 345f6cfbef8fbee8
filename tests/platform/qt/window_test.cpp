// The real Qt window, offscreen, over test doubles in a temporary program folder.
#include <QAbstractButton>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>
#include <cmath>
#include <memory>

#include "app/inventory.h"
#include "app/text.h"
#include "platform/qt/strength_meter.h"
#include "window_fixture.h"

class WindowTest : public WindowFixture {
    Q_OBJECT

  private:
    int pixels(int twips) const {
        return static_cast<int>(std::lround(twips * window->pixels_per_twip()));
    }

  private slots:
    void init() { start(); }

    void cleanup() { stop(); }

    void window_has_its_title_and_client_size() {
        QCOMPARE(window->windowTitle(), QString("Keymint v0.3"));
        QCOMPARE(window->size(), QSize(pixels(4680), pixels(7545)));
        QVERIFY(window->isVisible());
        QVERIFY(!window->windowIcon().isNull());
        QCOMPARE(window->focusWidget(), widget("cmdOlustur"));
    }

    void every_control_matches_the_inventory() {
        for (const auto& control : app::frmMain_inventory()) {
            if (control.kind == app::ControlKind::MenuItem) {
                continue;
            }
            QWidget* built = window->widget(control.name);
            QVERIFY2(built != nullptr, control.name.c_str());
            const auto& r = control.rect;
            QCOMPARE(built->geometry(),
                     QRect(pixels(r.left), pixels(r.top), pixels(r.width), pixels(r.height)));
            QString expected_parent =
                control.container.empty() ? QString() : QString::fromStdString(control.container);
            QCOMPARE(built->parentWidget() == window.get() ? QString()
                                                           : built->parentWidget()->objectName(),
                     expected_parent);
            QCOMPARE(built->toolTip(), QString::fromStdString(control.tooltip));
            const app::Control& model = form->control(control.name);
            if (auto* button = qobject_cast<QAbstractButton*>(built)) {
                QCOMPARE(button->text(), QString::fromStdString(control.caption));
                QCOMPARE(button->isChecked(), button->isCheckable() && control.value != 0);
            } else if (auto* frame = qobject_cast<QGroupBox*>(built)) {
                QCOMPARE(frame->title(), QString::fromStdString(control.caption));
            } else if (auto* box = qobject_cast<QLineEdit*>(built)) {
                QCOMPARE(box->text(), QString::fromStdString(model.text()));
            }
        }
        // Activation disabled the copy button, as the password box is empty.
        QVERIFY(!widget("cmdKopyala")->isEnabled());
        QVERIFY(widget("cmdOlustur")->isEnabled());
        auto tabs = widget<QTabWidget>("SSTab1");
        QCOMPARE(tabs->count(), 4);
        QCOMPARE(tabs->tabText(0), QString("Generate"));
        QCOMPARE(tabs->tabText(3), QString("About"));
        QCOMPARE(tabs->currentIndex(), 0);
    }

    void captions_carry_working_access_keys() {
        QCOMPARE(widget<QPushButton>("cmdOlustur")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_O));
        QCOMPARE(widget<QPushButton>("cmdKopyala")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_K));
        QCOMPARE(widget<QPushButton>("cmdGizle")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_G));
        QCOMPARE(widget<QRadioButton>("blnOzelKarakterler")->shortcut(),
                 QKeySequence(Qt::ALT | Qt::Key_S));
    }

    void access_keys_press_their_controls() {
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window.get(), Qt::Key_O, Qt::AltModifier);
        QTRY_COMPARE(app::code_point_count(widget<QLineEdit>("txtSifre")->text().toStdString()),
                     std::size_t{8});
        QTest::keyClick(window.get(), Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(form->blnOzelKarakterler.value(), 1);
        QCOMPARE(form->blnTumKarakterler.value(), 0);
        QVERIFY(!widget("blnUpper")->isEnabled());
    }

    void the_tab_pages_show_the_face_of_a_plain_tab_control() {
        auto* tabs = widget<QTabWidget>("SSTab1");
        QTabWidget plain;
        plain.addTab(new QWidget, "Generate");
        plain.resize(tabs->size());
        plain.show();
        QVERIFY(QTest::qWaitForWindowExposed(&plain));
        // A spot on the page that no control covers, near its bottom right corner.
        const QWidget* page = tabs->currentWidget();
        const QPoint spot = page->mapTo(tabs, QPoint(page->width() - 4, page->height() - 4));
        QCOMPARE(tabs->grab().toImage().pixelColor(spot), plain.grab().toImage().pixelColor(spot));
        QVERIFY(page->testAttribute(Qt::WA_OpaquePaintEvent));
    }

    void only_the_chosen_tab_shows_its_controls() {
        QVERIFY(widget("Frame1")->isVisible());
        QVERIFY(!widget("Frame3")->isVisible());
        widget<QTabWidget>("SSTab1")->setCurrentIndex(app::kTabRecords);
        QVERIFY(!widget("Frame1")->isVisible());
        QVERIFY(widget("Frame3")->isVisible());
        QVERIFY(widget("cmdSifreSil")->isVisible());
        QCOMPARE(form->SSTab1.value(), int(app::kTabRecords));
        QVERIFY(widget("cmdGizle")->isVisible());
    }

    void clicking_generate_shows_and_records_a_password() {
        QTest::mouseClick(widget("cmdOlustur"), Qt::LeftButton);
        const QString shown = widget<QLineEdit>("txtSifre")->text();
        QCOMPARE(app::code_point_count(shown.toStdString()), std::size_t{8});
        QCOMPARE(QString::fromStdString(doubles::read_file(folder->file("sifreler.dat"))),
                 "temppass\r\n" + shown + "\r\n");
        QVERIFY(widget("cmdKopyala")->isEnabled());
        QVERIFY(messages.shown.empty());
    }

    void generator_messages_are_captured_and_the_box_follows_the_model() {
        auto* length = widget<QLineEdit>("intUzunluk");
        length->setText("51");
        emit length->textEdited("51");
        QTest::mouseClick(widget("cmdOlustur"), Qt::LeftButton);
        QCOMPARE(messages.shown.size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(messages.shown[0].text),
                 QString("Password can be max. 50 chars!"));
        QCOMPARE(length->text(), QString("6"));
    }

    void typed_keys_pass_through_the_filters() {
        auto* length = widget<QLineEdit>("intUzunluk");
        length->setFocus();
        length->selectAll();
        QTest::keyClicks(length, "1a2-");
        QCOMPARE(length->text(), QString("12"));
        QCOMPARE(form->intUzunluk.text(), std::string("12"));
        QCOMPARE(sound.beeps, 2);
        QTest::keyClick(length, Qt::Key_Backspace);
        QTest::keyClick(length, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(length->text(), QString("12"));
        QCOMPARE(sound.beeps, 4);
        QTest::keyClick(length, Qt::Key_Home);
        QTest::keyClick(length, Qt::Key_Delete);
        QCOMPARE(form->intUzunluk.text(), std::string("2"));

        auto* custom = widget<QLineEdit>("arrOzelKarakterler");
        QTest::keyClicks(custom, "a b");
        QCOMPARE(custom->text(), QString("ab"));
        QCOMPARE(sound.beeps, 5);
        QCOMPARE(form->arrOzelKarakterler.text(), std::string("ab"));

        auto* password = widget<QLineEdit>("txtSifre");
        QTest::keyClicks(password, "xyz");
        QTest::keyClick(password, Qt::Key_Backspace);
        QCOMPARE(password->text(), QString());
        QCOMPARE(sound.beeps, 5);  // the password box refuses silently
    }

    void without_a_tray_closing_minimizes_and_exit_saves() {
        QVERIFY(!tray.available());  // offscreen has no notification area
        window->close();
        QVERIFY(window->isVisible());
        QVERIFY(window->windowState() & Qt::WindowMinimized);

        QTest::mouseClick(widget("cmKapat"), Qt::LeftButton);
        QVERIFY(messages.shown.empty());
        QVERIFY(!window->isVisible());
        const std::string settings = doubles::read_file(folder->file("keymint.ini"));
        QVERIFY(settings.find("numberofchars=8\r\n") != std::string::npos);
    }

    void link_labels_look_like_links_and_open_their_addresses() {
        auto* link = widget<QLabel>("Label1");
        QCOMPARE(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QVERIFY(link->font().underline());
        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
        QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(shell.opened.size(), std::size_t{1});
        QVERIFY(shell.opened[0].find("https://") != std::string::npos);
    }

    void the_strength_meter_shows_the_password_and_only_links_look_like_links() {
        auto* meter = dynamic_cast<platform::qt::StrengthMeter*>(window->widget("barStrength"));
        QVERIFY(meter != nullptr);
        QCOMPARE(meter->value(), 0);
        QTest::mouseClick(widget("cmdOlustur"), Qt::LeftButton);
        // Eight characters from 85: 51 bits.
        QCOMPARE(meter->value(), 51);
        QCOMPARE(meter->toolTip(), QString("51 bits — fair"));
        QCOMPARE(meter->colour(), QColor(0xf5, 0x9e, 0x0b));
        auto* plain = widget<QLabel>("lblLicence");
        QVERIFY(!plain->font().underline());
        QVERIFY(plain->wordWrap());
        QVERIFY(widget<QLabel>("lblMakerLink")->font().underline());
    }

    void the_desktop_clipboard_is_cleared_only_while_it_holds_our_password() {
        QTest::mouseClick(widget("cmdOlustur"), Qt::LeftButton);
        QTest::mouseClick(widget("cmdKopyala"), Qt::LeftButton);
        const QString password = widget<QLineEdit>("txtSifre")->text();
        QCOMPARE(QGuiApplication::clipboard()->text(), password);
        timer.elapse();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString());

        QTest::mouseClick(widget("cmdKopyala"), Qt::LeftButton);
        QGuiApplication::clipboard()->setText("copied by the user");
        timer.elapse();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("copied by the user"));
    }

    void the_tray_menu_lists_its_items_in_order() {
        QMenu* menu = window->menu("systraymenu");
        QVERIFY(menu != nullptr);
        QStringList captions;
        for (QAction* item : menu->actions()) {
            captions << item->text();
        }
        QCOMPARE(captions, QStringList({"Show", "Hide", "Generate", "Exit"}));
        menu->actions().at(2)->trigger();
        QCOMPARE(app::code_point_count(widget<QLineEdit>("txtSifre")->text().toStdString()),
                 std::size_t{8});
    }

    void up_down_arrows_write_lengths_within_range() {
        auto* arrows = widget("UpDown1");
        QToolButton* up = arrows->findChild<QToolButton*>("up");
        QToolButton* down = arrows->findChild<QToolButton*>("down");
        QTest::mouseClick(up, Qt::LeftButton);
        QCOMPARE(widget<QLineEdit>("intUzunluk")->text(), QString("9"));
        form->intUzunluk.set_text("1");
        QTest::mouseClick(down, Qt::LeftButton);
        QCOMPARE(widget<QLineEdit>("intUzunluk")->text(), QString("1"));
    }

    void the_generator_options_show_on_the_options_tab_and_tick_by_their_access_keys() {
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        widget<QTabWidget>("SSTab1")->setCurrentIndex(app::kTabOptions);
        for (auto [name, key] :
             {std::pair{"chkEveryClass", Qt::Key_H}, {"chkNoLookAlikes", Qt::Key_B}}) {
            auto* box = widget<QCheckBox>(name);
            QVERIFY(box->isVisible());
            QVERIFY(!box->isChecked());
            QTest::keyClick(window.get(), key, Qt::AltModifier);
            QTRY_VERIFY(box->isChecked());
            QCOMPARE(form->control(name).value(), 1);
        }
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
