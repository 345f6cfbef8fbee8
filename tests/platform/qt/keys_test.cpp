// Keys, typed text and copies through the real boxes and buttons of the window.
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>
#include <functional>

#include "app/text.h"
#include "window_fixture.h"

namespace {

struct Key {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    QString text;  // what the key types, where it is not the key's own letter
    bool length_takes;
    bool custom_takes;
};

const Qt::KeyboardModifiers kNone = Qt::NoModifier;
const Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;
const Qt::KeyboardModifiers kShift = Qt::ShiftModifier;

// Length box: digits only. Custom list: all but invisible characters and those the files cannot
// hold. Password box: nothing. Delete types no character and passes everywhere.
const Key kKeys[] = {
    {"a", Qt::Key_A, kNone, {}, false, true},
    {"5", Qt::Key_5, kNone, {}, true, true},
    {"ş", Qt::Key_unknown, kNone, "ş", false, true},
    {"space", Qt::Key_Space, kNone, {}, false, false},
    {"no-break space", Qt::Key_unknown, kNone, "\u00A0", false, false},
    {"right-to-left override", Qt::Key_unknown, kNone, "\u202E", false, false},
    {"a character the files cannot hold", Qt::Key_unknown, kNone, "😀", false, false},
    {"Backspace", Qt::Key_Backspace, kNone, {}, false, true},
    {"Ctrl+Backspace", Qt::Key_Backspace, kCtrl, {}, false, false},
    {"Enter", Qt::Key_Return, kNone, {}, false, true},
    {"keypad Enter", Qt::Key_Enter, Qt::KeypadModifier, {}, false, true},
    {"Esc", Qt::Key_Escape, kNone, {}, false, true},
    {"Ctrl+A", Qt::Key_A, kCtrl, {}, false, true},
    {"Ctrl+C", Qt::Key_C, kCtrl, {}, false, true},
    {"Ctrl+K", Qt::Key_K, kCtrl, {}, false, true},
    {"Ctrl+V", Qt::Key_V, kCtrl, {}, false, true},
    {"Ctrl+X", Qt::Key_X, kCtrl, {}, false, true},
    {"Ctrl+Z", Qt::Key_Z, kCtrl, {}, false, true},
    {"Delete", Qt::Key_Delete, kNone, {}, true, true},
    {"Shift+Insert", Qt::Key_Insert, kShift, {}, false, true},
    {"Ctrl+Insert", Qt::Key_Insert, kCtrl, {}, false, true},
    {"Shift+Delete", Qt::Key_Delete, kShift, {}, false, true},
};

void press(QWidget* box, const Key& key) {
    if (key.text.isEmpty()) {
        QTest::keyClick(box, key.key, key.modifiers);
    } else {
        QTest::sendKeyEvent(QTest::Click, box, key.key, key.text, key.modifiers);
    }
}

// "12" typed in two steps (so that undo has something to take back), the cursor between them and
// "9" on the clipboard.
void prepare(QLineEdit* box) {
    box->insert("2");
    box->setCursorPosition(1);
    box->setFocus();
    QGuiApplication::clipboard()->setText("9");
}

QString clipboard_text(QClipboard::Mode mode) {
    return QGuiApplication::clipboard()->text(mode);
}

bool marked_secret(QClipboard::Mode mode) {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData(mode);
    return data != nullptr && data->data("x-kde-passwordManagerHint") == "secret";
}

}  // namespace

class KeysTest : public WindowFixture {
    Q_OBJECT

  private:
    // What an unfiltered box makes of the key.
    QString unfiltered(const Key& key) {
        QLineEdit reference("1");
        prepare(&reference);
        press(&reference, key);
        return reference.text();
    }

    void prepare_box(const char* name, app::Control& control) {
        control.set_text("1");
        prepare(widget<QLineEdit>(name));
        form->raise_text_edit(control, "12");
    }

  private slots:
    void init() {
        start();
        encoding.refused = {"😀"};
    }
    void cleanup() { stop(); }

    void each_box_filters_each_key() {
        struct Box {
            const char* name;
            app::Control& control;
            std::function<bool(const Key&)> takes;
            bool beeps;
        };
        const Box boxes[] = {
            {"intUzunluk", form->intUzunluk, [](const Key& k) { return k.length_takes; }, true},
            {"arrOzelKarakterler", form->arrOzelKarakterler,
             [](const Key& k) { return k.custom_takes; }, true},
            {"txtSifre", form->txtSifre,
             [](const Key& k) { return k.key == Qt::Key_Delete && k.modifiers == kNone; }, false},
        };
        for (const auto& box : boxes) {
            for (const auto& key : kKeys) {
                const QByteArray row = QByteArray(box.name) + " " + key.name;
                const bool takes = box.takes(key);
                const QString expected = takes ? unfiltered(key) : QString("12");
                prepare_box(box.name, box.control);
                sound.beeps = 0;
                press(widget(box.name), key);
                QVERIFY2(widget<QLineEdit>(box.name)->text() == expected, row);
                QVERIFY2(box.control.text() == expected.toStdString(), row);
                QVERIFY2(sound.beeps == (!takes && box.beeps ? 1 : 0), row);
                if (!takes) {
                    QVERIFY2(clipboard_text(QClipboard::Clipboard) == "9", row);
                }
            }
        }
    }

    void input_methods_meet_the_same_filters() {
        auto commit = [this](const char* name, const QString& text) {
            QInputMethodEvent event;
            event.setCommitString(text);
            QApplication::sendEvent(widget(name), &event);
            return widget<QLineEdit>(name)->text();
        };
        QCOMPARE(commit("arrOzelKarakterler", "a b\u2028ş😀"), QString("abş"));
        QCOMPARE(sound.beeps, 3);
        QCOMPARE(commit("txtSifre", "xy"), QString());
        QCOMPARE(commit("intUzunluk", "7x"), QString("87"));
        QCOMPARE(sound.beeps, 4);
    }

    void enter_presses_every_push_button() {
        const auto buttons = window->findChildren<QPushButton*>();
        QVERIFY(buttons.size() >= 5);
        for (auto* button : buttons) {
            button->setEnabled(true);
            QSignalSpy clicks(button, &QPushButton::clicked);
            QTest::keyClick(button, Qt::Key_Return);
            QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
            QVERIFY2(clicks.count() == 2, qPrintable(button->objectName()));
        }
        QCOMPARE(sound.beeps, 0);
    }

    void the_window_opens_ready_for_enter() {
        auto* generate = widget("cmdOlustur");
        QCOMPARE(generate->focusPolicy() & Qt::TabFocus, Qt::TabFocus);
        QTest::keyClick(generate, Qt::Key_Return);
        QCOMPARE(app::code_point_count(widget<QLineEdit>("txtSifre")->text().toStdString()),
                 std::size_t{8});
    }

    void every_copy_of_the_password_is_marked() {
        QClipboard* clipboard = QGuiApplication::clipboard();
        QList<QClipboard::Mode> modes = {QClipboard::Clipboard};
        if (clipboard->supportsSelection()) {
            modes << QClipboard::Selection;
        }
        QVERIFY(clipboard->supportsSelection() || QGuiApplication::platformName() != "xcb");
        int marked_selections = 0;
        QTest::mouseClick(widget("cmdOlustur"), Qt::LeftButton);
        auto* box = widget<QLineEdit>("txtSifre");
        const QString password = box->text();

        auto menu_action = [box](const char* action) {
            QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2),
                                    box->mapToGlobal(QPoint(2, 2)));
            QApplication::sendEvent(box, &event);
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu != nullptr);
            QAction* item = nullptr;
            for (QAction* candidate : menu->actions()) {
                if (candidate->text().startsWith(action)) {
                    item = candidate;
                }
            }
            QVERIFY(item != nullptr);
            item->trigger();
            menu->close();
        };
        struct Path {
            const char* name;
            std::function<void()> run;
            bool copies;  // with the whole password selected, must leave it on the clipboard
        };
        const Path paths[] = {
            {"Copy button", [this] { QTest::mouseClick(widget("cmdKopyala"), Qt::LeftButton); },
             true},
            {"Ctrl+C", [box] { QTest::keyClick(box, Qt::Key_C, kCtrl); }, false},
            {"Ctrl+X", [box] { QTest::keyClick(box, Qt::Key_X, kCtrl); }, false},
            {"Ctrl+Insert", [box] { QTest::keyClick(box, Qt::Key_Insert, kCtrl); }, false},
            {"Shift+Delete", [box] { QTest::keyClick(box, Qt::Key_Delete, kShift); }, false},
            {"Ctrl+A", [box] { QTest::keyClick(box, Qt::Key_A, kCtrl); }, false},
            {"Shift+End", [box] { QTest::keyClick(box, Qt::Key_End, kShift); }, false},
            {"mouse drag",
             [box] {
                 QTest::mousePress(box, Qt::LeftButton, {}, QPoint(2, box->height() / 2));
                 QTest::mouseMove(box, QPoint(box->width() - 2, box->height() / 2));
                 QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(box->width() - 2, 5));
             },
             false},
            {"double click", [box] { QTest::mouseDClick(box, Qt::LeftButton); }, false},
            {"menu Select All", [&] { menu_action("Select All"); }, false},
            {"menu Copy", [&] { menu_action("&Copy"); }, true},
            {"menu Cut", [&] { menu_action("Cu&t"); }, true},
        };
        for (const auto& path : paths) {
            form->txtSifre.set_text(password.toStdString());
            box->setCursorPosition(0);
            for (auto mode : modes) {
                clipboard->setText("unrelated", mode);
            }
            if (path.copies) {
                box->selectAll();
            }
            path.run();
            for (auto mode : modes) {
                const QByteArray row = QByteArray(path.name) + (mode ? " selection" : " clipboard");
                const QString text = clipboard_text(mode);
                QVERIFY2(text == "unrelated" || marked_secret(mode), row);
                if (path.copies && mode == QClipboard::Clipboard) {
                    QVERIFY2(text == password, row);
                }
                marked_selections += mode == QClipboard::Selection && marked_secret(mode);
            }
        }
        // Where there is a selection, the paths above do reach it.
        QVERIFY(modes.size() == 1 || marked_selections > 0);
    }

    void a_long_paste_arrives_whole() {
        auto* custom = widget<QLineEdit>("arrOzelKarakterler");
        QGuiApplication::clipboard()->setText(QString(40000, 'a') + QString(1000, 'Z'));
        QTest::keyClick(custom, Qt::Key_V, kCtrl);
        QCOMPARE(custom->text().size(), 41000);
        QCOMPARE(form->arrOzelKarakterler.text().size(), std::size_t{41000});
        QVERIFY(custom->text().endsWith("ZZZ"));
    }
};

QTEST_MAIN(KeysTest)
#include "keys_test.moc"
