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

#include "window_fixture.h"

namespace {

const auto kNone = Qt::NoModifier, kCtrl = Qt::ControlModifier, kShift = Qt::ShiftModifier;

struct Key {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char* text;
    const char* taken_by;  // L length box, C custom list, P password box; the rest refuse it
};

const Key kKeys[] = {
    {"a", Qt::Key_A, kNone, "a", "C"},
    {"5", Qt::Key_5, kNone, "5", "LC"},
    {"ş", Qt::Key_unknown, kNone, "ş", "C"},
    {"space", Qt::Key_Space, kNone, " ", ""},
    {"no-break space", Qt::Key_unknown, kNone, "\u00A0", ""},
    {"right-to-left override", Qt::Key_unknown, kNone, "\u202E", ""},
    {"a character the files cannot hold", Qt::Key_unknown, kNone, "😀", ""},
    {"Backspace", Qt::Key_Backspace, kNone, "", "C"},
    {"Ctrl+Backspace", Qt::Key_Backspace, kCtrl, "", ""},
    {"Enter", Qt::Key_Return, kNone, "", "C"},
    {"keypad Enter", Qt::Key_Enter, Qt::KeypadModifier, "", "C"},
    {"Esc", Qt::Key_Escape, kNone, "", "C"},
    {"Ctrl+A", Qt::Key_A, kCtrl, "", "C"},
    {"Ctrl+C", Qt::Key_C, kCtrl, "", "C"},
    {"Ctrl+K", Qt::Key_K, kCtrl, "", "C"},
    {"Ctrl+V", Qt::Key_V, kCtrl, "", "C"},
    {"Ctrl+X", Qt::Key_X, kCtrl, "", "C"},
    {"Ctrl+Z", Qt::Key_Z, kCtrl, "", "C"},
    {"Delete", Qt::Key_Delete, kNone, "", "LCP"},
    {"Shift+Insert", Qt::Key_Insert, kShift, "", "C"},
    {"Ctrl+Insert", Qt::Key_Insert, kCtrl, "", "C"},
    {"Shift+Delete", Qt::Key_Delete, kShift, "", "C"},
};

void press(QWidget* box, const Key& key) {
    QTest::sendKeyEvent(QTest::Click, box, key.key, QString(key.text), key.modifiers);
}

// "12" typed in two steps (so that undo has something to take back), the cursor between the two,
// "9" on the clipboard.
void prepare(QLineEdit* box) {
    box->insert("2");
    box->setCursorPosition(1);
    QGuiApplication::clipboard()->setText("9");
}

bool marked_secret(QClipboard::Mode mode) {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData(mode);
    return data != nullptr && data->data("x-kde-passwordManagerHint") == "secret";
}

}  // namespace

class KeysTest : public WindowFixture {
    Q_OBJECT

  private slots:
    void init() {
        start();
        encoding.refused = {"😀"};
    }
    void cleanup() { stop(); }

    void each_box_filters_each_key() {
        const std::pair<const char*, app::Control*> boxes[] = {
            {"intUzunluk", &form->intUzunluk},
            {"arrOzelKarakterler", &form->arrOzelKarakterler},
            {"txtSifre", &form->txtSifre}};
        for (const auto& [name, control] : boxes) {
            for (const auto& key : kKeys) {
                const QByteArray row = QByteArray(name) + " " + key.name;
                QLineEdit unfiltered("1");
                prepare(&unfiltered);
                press(&unfiltered, key);
                const bool takes = std::strchr(key.taken_by, name[0] == 'i'   ? 'L'
                                                             : name[0] == 'a' ? 'C'
                                                                              : 'P') != nullptr;
                const QString expected = takes ? unfiltered.text() : QString("12");

                control->set_text("1");
                prepare(widget<QLineEdit>(name));
                form->raise_text_edit(*control, "12");
                sound.beeps = 0;
                press(widget(name), key);
                QVERIFY2(widget<QLineEdit>(name)->text() == expected, row);
                QVERIFY2(control->text() == expected.toStdString(), row);
                // The password box refuses silently.
                QVERIFY2(sound.beeps == (takes || name[0] == 't' ? 0 : 1), row);
                QVERIFY2(takes || QGuiApplication::clipboard()->text() == "9", row);
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

    void every_copy_of_the_password_is_marked() {
        QClipboard* clipboard = QGuiApplication::clipboard();
        QList<QClipboard::Mode> modes = {QClipboard::Clipboard};
        if (clipboard->supportsSelection()) {
            modes << QClipboard::Selection;
        }
        QVERIFY(modes.size() == 2 || QGuiApplication::platformName() != "xcb");
        int marked_selections = 0;
        QTest::mouseClick(widget("cmdOlustur"), Qt::LeftButton);
        auto* box = widget<QLineEdit>("txtSifre");
        const QString password = box->text();

        auto menu = [box](const char* item) {
            return [=] {
                QContextMenuEvent event(QContextMenuEvent::Mouse, {2, 2},
                                        box->mapToGlobal(QPoint(2, 2)));
                QApplication::sendEvent(box, &event);
                auto* shown = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                QVERIFY(shown != nullptr);
                for (QAction* action : shown->actions()) {
                    if (action->text().startsWith(item)) {
                        action->trigger();
                    }
                }
                shown->close();
            };
        };
        const int middle = box->height() / 2;
        // The keys that copy or select all are refused in this box (see above); these remain.
        const std::pair<const char*, std::function<void()>> paths[] = {
            {"Shift+End", [=] { QTest::keyClick(box, Qt::Key_End, kShift); }},
            {"mouse drag",
             [=] {
                 QTest::mousePress(box, Qt::LeftButton, {}, {2, middle});
                 QTest::mouseMove(box, {box->width() - 2, middle});
                 QTest::mouseRelease(box, Qt::LeftButton, {}, {box->width() - 2, middle});
             }},
            {"double click", [=] { QTest::mouseDClick(box, Qt::LeftButton); }},
            {"menu Select All", menu("Select All")},
            // With the whole password selected, these three must copy it.
            {"Copy button", [this] { QTest::mouseClick(widget("cmdKopyala"), Qt::LeftButton); }},
            {"menu Copy", menu("&Copy")},
            {"menu Cut", menu("Cu&t")},
        };
        for (const auto& [name, run] : paths) {
            form->txtSifre.set_text(password.toStdString());
            for (auto mode : modes) {
                clipboard->setText("unrelated", mode);
            }
            const bool copies = std::strstr(name, "Copy") || std::strstr(name, "Cut");
            if (copies) {
                box->selectAll();
            }
            run();
            for (auto mode : modes) {
                const QByteArray row = QByteArray(name) + (mode ? " selection" : " clipboard");
                const QString text = clipboard->text(mode);
                QVERIFY2(text == "unrelated" || marked_secret(mode), row);
                QVERIFY2(!copies || mode != QClipboard::Clipboard || text == password, row);
                marked_selections += mode == QClipboard::Selection && marked_secret(mode);
            }
            // However it got there, the password is cleared on the copy's timer.
            timer.elapse();
            for (auto mode : modes) {
                const QByteArray row = QByteArray(name) + (mode ? " selection" : " clipboard");
                QVERIFY2(clipboard->text(mode) == "unrelated" || !marked_secret(mode), row);
            }
        }
        // Where there is a selection, the paths above do reach it.
        QVERIFY(modes.size() == 1 || marked_selections > 0);
    }

    void a_long_paste_arrives_whole() {
        QGuiApplication::clipboard()->setText(QString(40000, 'a') + QString(1000, 'Z'));
        QTest::keyClick(widget("arrOzelKarakterler"), Qt::Key_V, kCtrl);
        QCOMPARE(form->arrOzelKarakterler.text(), std::string(40000, 'a') + std::string(1000, 'Z'));
    }
};

QTEST_MAIN(KeysTest)
#include "keys_test.moc"
