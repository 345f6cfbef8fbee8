"""The real program on real Wayland compositors: weston with its X11 backend inside the private X
display, which gives it a seat, and its kiosk shell, which places the window where a click can
find it; the program driven by keys there and its clipboard read with wl-paste. Then sway, whose
data-control protocol lets the program clear the clipboard while another window has the focus.
Last a headless weston, which has no seat, where Copy must say that it failed.

Run as an ordinary user (sway refuses root) inside a private session bus and X display:
    xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- python3 wayland_clipboard.py KEYMINT
"""
import contextlib
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pyatspi  # noqa: E402
from accessibility_tree import press, settle, walk  # noqa: E402

COPY_FAILED = ("The password could not be put on the clipboard, so nothing was copied. "
               "Please try again.")
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


class Session:
    def __init__(self, folder, program):
        self.folder = folder
        self.program = program
        self.runtime = os.path.join(folder, "run")
        os.makedirs(self.runtime, mode=0o700, exist_ok=True)
        self.compositor = None

    def environment(self, socket):
        return dict(os.environ, XDG_RUNTIME_DIR=self.runtime, WAYLAND_DISPLAY=socket,
                    QT_QPA_PLATFORM="wayland", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                    XDG_CONFIG_HOME=self.folder, XDG_DATA_HOME=self.folder)

    def start_compositor(self, backend, socket):
        self.start(["weston", "--backend=" + backend, "--socket=" + socket, "--width=1000",
                    "--height=800", "--no-config", "--shell=kiosk-shell.so"], socket, {})

    def start_sway(self):
        config = os.path.join(self.folder, "sway.conf")
        with open(config, "w") as text:
            text.write("focus_follows_mouse no\n")
        environment = {"WLR_BACKENDS": "x11", "WLR_RENDERER": "pixman", "WLR_X11_OUTPUTS": "1"}
        self.start(["sway", "-c", config], "wayland-1", environment)

    def start(self, command, socket, extra):
        self.stop_compositor()
        self.socket = socket
        environment = dict(self.environment(socket), **extra)
        if command[0] == "sway":
            del environment["WAYLAND_DISPLAY"]  # else wlroots would nest in it
        self.compositor = subprocess.Popen(command, env=environment, stdout=subprocess.DEVNULL,
                                           stderr=subprocess.DEVNULL)
        settle(lambda: os.path.exists(os.path.join(self.runtime, socket)), 20)
        time.sleep(1)  # the shell's panel and background come up after the socket

    def start_client(self, command):
        return subprocess.Popen(command, env=self.environment(self.socket),
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def stop_compositor(self):
        if self.compositor is not None:
            self.compositor.terminate()
            self.compositor.wait(timeout=30)
            self.compositor = None

    def start_program(self):
        return self.start_client([self.program])

    def paste(self, *options):
        done = subprocess.run(["wl-paste", "-n", *options], env=self.environment(self.socket),
                              capture_output=True, timeout=10)
        return done.stdout.decode("utf-8", "replace")

    def copy(self, text):
        subprocess.run(["wl-copy", text], env=self.environment(self.socket), timeout=10)

    def last_record(self):
        with open(os.path.join(self.folder, "sifreler.dat"), encoding="utf-8") as records:
            lines = records.read().splitlines()
        return lines[-1] if len(lines) > 1 else ""


def focus():
    # The pointer over weston's window gives it the X keyboard. wl-paste and wl-copy take the
    # focus for a moment and weston gives it back to nobody, nor when a message box closes: a
    # click on the banner, which does nothing, gives it back (the shell centres the window).
    subprocess.run(["xdotool", "mousemove", "500", "190", "click", "1"], check=True)
    time.sleep(0.5)


def keys(*names):
    focus()
    for name in names:
        subprocess.run(["xdotool", "key", name], check=True)
        time.sleep(0.4)


def application_of(window, seconds=60):
    # By its process: the programs before it may linger on the bus.
    found = []

    def shown():
        desktop = pyatspi.Registry.getDesktop(0)
        for index in range(desktop.childCount):
            application = desktop.getChildAtIndex(index)
            try:
                if application is not None and application.get_process_id() == window.pid and \
                        any(application.getChildAtIndex(i).childCount > 0
                            for i in range(application.childCount)):
                    found.append(application)
                    return True
            except Exception:  # an application gone while it was read
                pass
        return False

    settle(shown, seconds)
    return found[0] if found else None


def controls(application, name):
    return [n for n in walk(application, []) if n.name == name]


def generate_and_copy(session):
    before = session.last_record()
    keys("alt+o")
    settle(lambda: session.last_record() != before)
    password = session.last_record()
    keys("alt+k")
    settle(lambda: session.paste() == password)
    check(password != before and session.paste() == password,
          "Copy put the new password on the clipboard: %r" % session.paste())
    # Read while the program holds the selection: weston's own copy, which it offers once the
    # focus goes to no window, keeps text only.
    types = session.paste("-l").split()
    check("x-kde-passwordManagerHint" in types, "the copy is marked secret: %r" % types)
    # The message that says it copied, centred on the screen: its text, then Enter.
    subprocess.run(["xdotool", "mousemove", "450", "365", "click", "1"], check=True)
    time.sleep(0.3)
    subprocess.run(["xdotool", "key", "Return"], check=True)
    time.sleep(0.3)
    return password


def stop(window):
    if window.poll() is None:
        window.terminate()
        window.wait(timeout=30)


@contextlib.contextmanager
def program(session, where):
    """The program started on the compositor: its process, and its application on the bus."""
    window = session.start_program()
    try:
        application = application_of(window)
        check(application is not None, "the window came up on " + where)
        yield window, application
    finally:
        stop(window)


def quit_by_button(application, window, focused=True):
    if focused:
        focus()  # as a click on it would
    button = controls(application, "Çıkış")
    check(len(button) == 1, "one Çıkış button")
    if button:
        press(button[0])
    window.wait(timeout=30)


def with_a_seat(session):
    session.start_compositor("x11-backend.so", "keymint-x11")
    with program(session, "weston") as (window, application):
        if application is None:
            return
        password = generate_and_copy(session)
        # wl-paste took the focus, so the clear waits for the window to have it again.
        time.sleep(32)
        focus()
        settle(lambda: session.paste() == "")
        check(session.paste() == "", "the password was gone after 30 s: %r" % session.paste())

        generate_and_copy(session)
        session.copy("copied by the user")
        quit_by_button(application, window)
        check(session.paste() == "copied by the user",
              "Exit left what the user copied: %r" % session.paste())
        check(password not in session.paste(), "the first password is not back")

    with program(session, "weston") as (window, application):
        if application is not None:
            generate_and_copy(session)
            quit_by_button(application, window)
            check(session.paste() == "", "Exit cleared the password: %r" % session.paste())


def with_data_control(session):
    # sway offers the data-control protocol: Keymint clears without the focus, and wl-paste reads
    # without taking it. A new window takes the focus; with none the focus falls back to Keymint.
    session.start_sway()
    subprocess.run(["xdotool", "mousemove", "512", "384"], check=True)

    def copy_by_key():
        before = session.last_record()
        for name in ["alt+o", "alt+k", "Return"]:
            subprocess.run(["xdotool", "key", name], check=True)
            time.sleep(0.4)
        settle(lambda: session.paste() == session.last_record() != before)
        check(session.paste() == session.last_record() != before, "sway: Copy copied")

    def another_window():
        window = session.start_client(["weston-flower"])
        time.sleep(0.5)
        return window

    with program(session, "sway") as (window, application):
        if application is None:
            return
        copy_by_key()
        types = session.paste("-l").split()
        check("x-kde-passwordManagerHint" in types, "sway: marked secret: %r" % types)
        other = another_window()
        time.sleep(32)
        check(session.paste() == "", "sway: cleared without the focus: %r" % session.paste())
        stop(other)
        time.sleep(0.5)
        copy_by_key()
        session.copy("copied by the user")
        other = another_window()
        quit_by_button(application, window, focused=False)
        check(session.paste() == "copied by the user", "sway: Exit left the user's copy")
        stop(other)

    with program(session, "sway") as (window, application):
        if application is not None:
            time.sleep(0.5)
            copy_by_key()
            other = another_window()
            quit_by_button(application, window, focused=False)
            check(session.paste() == "", "sway: Exit cleared without the focus")
            stop(other)


def without_a_seat(session):
    session.start_compositor("headless-backend.so", "keymint-headless")
    with program(session, "a headless weston") as (window, application):
        if application is None:
            return
        for name in ["Şifre Oluştur", "Kopyala"]:
            button = controls(application, name)
            if button:
                press(button[0])
            time.sleep(0.5)
        settle(lambda: controls(application, COPY_FAILED), 10)
        check(controls(application, COPY_FAILED), "without a seat Copy says it failed")


def main(program):
    folder = tempfile.mkdtemp(prefix="keymint-wayland-")
    session = Session(folder, os.path.join(folder, os.path.basename(program)))
    try:
        shutil.copy(program, folder)
        shutil.copytree(os.path.join(os.path.dirname(program), "Language"),
                        os.path.join(folder, "Language"))
        with_a_seat(session)
        with_data_control(session)
        without_a_seat(session)
    finally:
        session.stop_compositor()
        shutil.rmtree(folder, ignore_errors=True)
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
