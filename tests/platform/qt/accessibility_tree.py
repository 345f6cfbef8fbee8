"""Reads the real window's accessibility tree over AT-SPI, as a screen reader does, and compares
it with the table of controls: every control's role and name, the Records list's rows, the
strength meter's value and read-out, the links' role and focus.

Run inside a private session bus and X display:
    dbus-run-session -- xvfb-run -a python3 accessibility_tree.py KEYMINT TABLE
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

import pyatspi

ROLES = {
    "Graphic": {pyatspi.ROLE_IMAGE},
    "PageTabList": {pyatspi.ROLE_PAGE_TAB_LIST},
    "Grouping": {pyatspi.ROLE_PANEL, pyatspi.ROLE_GROUPING},
    "RadioButton": {pyatspi.ROLE_RADIO_BUTTON},
    "CheckBox": {pyatspi.ROLE_CHECK_BOX},
    "Text": {pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY},
    "List": {pyatspi.ROLE_LIST},
    "SpinButton": {pyatspi.ROLE_SPIN_BUTTON},
    "PushButton": {pyatspi.ROLE_PUSH_BUTTON},
    "Label": {pyatspi.ROLE_LABEL},
    "Link": {pyatspi.ROLE_LINK},
    "ProgressBar": {pyatspi.ROLE_PROGRESS_BAR},
}
RECORDS = ["Kq7#pLm2", "zx9!Ab4R", "Ünal€42x"]
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def read_table(path):
    rows = []
    with open(path, encoding="utf-8") as table:
        for line in table:
            line = line.rstrip("\n")
            if line and not line.startswith("#"):
                rows.append(line.split("\t"))
    return rows


def walk(node, found):
    found.append(node)
    for index in range(min(node.childCount, 200)):
        child = node.getChildAtIndex(index)
        if child is not None:
            walk(child, found)
    return found


def find_application(name, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for index in range(desktop.childCount):
            application = desktop.getChildAtIndex(index)
            if application is not None and application.name == name:
                windows = [application.getChildAtIndex(i) for i in range(application.childCount)]
                if any(w is not None and w.childCount > 0 for w in windows):
                    return application
        time.sleep(0.2)
    return None


def settle(condition, seconds=10):
    deadline = time.monotonic() + seconds
    while not condition() and time.monotonic() < deadline:
        time.sleep(0.1)


def press(node):
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    action.doAction(names.index("Press") if "Press" in names else 0)


def main(program, table_path):
    folder = tempfile.mkdtemp(prefix="keymint-atspi-")
    try:
        shutil.copy(program, folder)
        shutil.copytree(os.path.join(os.path.dirname(program), "Language"),
                        os.path.join(folder, "Language"))
        with open(os.path.join(folder, "sifreler.dat"), "w", encoding="utf-8", newline="") as f:
            f.write("".join(line + "\r\n" for line in ["temppass"] + RECORDS))
        environment = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                           QT_QPA_PLATFORM="xcb", XDG_CONFIG_HOME=folder,
                           XDG_DATA_HOME=folder, XDG_RUNTIME_DIR=folder)
        window = subprocess.Popen([os.path.join(folder, os.path.basename(program))],
                                  env=environment)
        try:
            run(table_path)
        finally:
            window.terminate()
            window.wait(timeout=30)
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


def run(table_path):
    application = find_application("Keymint", 60)
    if application is None:
        failures.append("keymint never showed on the accessibility bus")
        return
    nodes = lambda: walk(application, [])
    by_role_and_name = lambda role, name: [
        n for n in nodes() if n.getRole() in ROLES[role] and n.name == name]

    window = application.getChildAtIndex(0)
    check(window.getRole() == pyatspi.ROLE_FRAME and window.name == "Keymint v0.3",
          "the window reads as a frame with its title: %s %r" % (window.getRole(), window.name))
    generate = by_role_and_name("PushButton", "Şifre Oluştur")
    check(len(generate) == 1, "one Generate button")
    if generate:
        press(generate[0])
    meter = [n for n in nodes() if n.getRole() == pyatspi.ROLE_PROGRESS_BAR]
    check(len(meter) == 1, "one strength meter")
    if meter:
        settle(lambda: meter[0].queryValue().currentValue > 0)
        value = int(meter[0].queryValue().currentValue)
        check(value == 51, "the meter reads 8 characters of 85: 51 bits, got %d" % value)
        check(by_role_and_name("Label", "51 bit — orta"), "the read-out says 51 bit — orta")

    # Each tab shows its own controls: the tree is read with every tab shown in turn.
    seen = []
    tabs = [n for n in nodes() if n.getRole() == pyatspi.ROLE_PAGE_TAB]
    check(len(tabs) == 4, "four page tabs, got %d" % len(tabs))
    for tab in tabs:
        press(tab)
        settle(lambda: tab.getState().contains(pyatspi.STATE_SELECTED), 5)
        seen += [(n.getRole(), n.name, n.getState()) for n in nodes()]

    rows = read_table(table_path)
    for control, role, name in rows:
        matches = [(r, n, s) for r, n, s in seen if r in ROLES[role] and
                   (n == name or (name == "*" and n))]
        check(matches, "%s: no %s named %r" % (control, role, name))
    links = {n for r, n, s in seen if r == pyatspi.ROLE_LINK and s.contains(pyatspi.STATE_FOCUSABLE)}
    check(len(links) == 4, "four links that take the focus, got %r" % links)
    radios = {n for r, n, s in seen if r == pyatspi.ROLE_RADIO_BUTTON}
    check(len(radios) == 4, "four radio buttons, got %r" % radios)

    lists = [n for n in nodes() if n.getRole() == pyatspi.ROLE_LIST]
    check(len(lists) == 1, "one list")
    if lists:
        records = lists[0]
        # The records on file, the password generated above and the empty piece after it.
        settle(lambda: records.childCount == len(RECORDS) + 2)
        check(records.childCount == len(RECORDS) + 2, "rows: %d" % records.childCount)
        texts = [records.getChildAtIndex(i).name for i in range(len(RECORDS))]
        check(texts == RECORDS, "the rows read %r" % texts)
        first = records.getChildAtIndex(0)
        check(first.getRole() == pyatspi.ROLE_LIST_ITEM, "a row is a list item")
        # Chosen with the keyboard, as the list offers no selection of its own to a reader.
        records.queryComponent().grabFocus()
        pyatspi.Registry.generateKeyboardEvent(0xFF54, None, pyatspi.KEY_SYM)  # Down
        selected = lambda: [i for i in range(records.childCount)
                            if records.getChildAtIndex(i).getState().contains(pyatspi.STATE_SELECTED)]
        settle(lambda: len(selected()) == 1, 5)
        check(len(selected()) == 1, "one row reads as selected: %r" % selected())


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
