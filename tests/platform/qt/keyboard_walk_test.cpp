// The real Qt window walked with the keyboard alone: the Tab key, the arrow keys on the tab
// control, Enter and Space, and the access keys.
#include <QLineEdit>
#include <QTabWidget>
#include <QtTest>
#include <set>
#include <string>

#include "app/window_plan.h"
#include "window_fixture.h"

class KeyboardWalkTest : public WindowFixture {
    Q_OBJECT

  private:
    // The control a focused widget belongs to: the tab bar is the tab control's.
    std::string focused_control() const {
        for (QWidget* at = QApplication::focusWidget(); at != nullptr; at = at->parentWidget()) {
            if (window->widget(at->objectName().toStdString()) == at) {
                return at->objectName().toStdString();
            }
        }
        return {};
    }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
    // Tab from the tab control round to it again; what the focus rested on.
    std::set<std::string> tab_round() {
        std::set<std::string> reached;
        for (int step = 0; step < 60; ++step) {
            press(Qt::Key_Tab);
            if (focused_control() == "SSTab1") {
                break;
            }
            reached.insert(focused_control());
        }
        return reached;
    }

  private slots:
    void init() {
        start();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }

    void cleanup() { stop(); }

    void tab_reaches_every_control_on_every_tab() {
        // A password, so that Copy is enabled too; Alt+O is the Generate button's access key.
        press(Qt::Key_O, Qt::AltModifier);
        QTRY_VERIFY(!form->txtSifre.text().empty());
        app::WindowPlan plan(form->controls());
        while (focused_control() != "SSTab1") {
            press(Qt::Key_Tab);
        }
        for (int tab = 0; tab < 4; ++tab) {
            if (tab > 0) {
                press(Qt::Key_Right);
            }
            QCOMPARE(form->SSTab1.value(), tab);
            std::set<std::string> expected;
            for (std::size_t index : plan.focus_order()) {
                const app::Control& control = *plan[index].control;
                if (plan.shown_on(index, tab) && control.enabled() && control.name() != "SSTab1") {
                    expected.insert(control.name());
                }
            }
            QCOMPARE(tab_round(), expected);
        }
    }

    void enter_and_space_open_a_focused_link() {
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Space}) {
            window->widget("Label1")->setFocus();
            press(key);
        }
        QCOMPARE(shell.opened.size(), std::size_t{2});
    }
};

QTEST_MAIN(KeyboardWalkTest)
#include "keyboard_walk_test.moc"
