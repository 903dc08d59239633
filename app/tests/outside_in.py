#!/usr/bin/python3
"""The built program as a keyboard user and a screen-reader user meet it.

Each scenario starts its own copy of the executable in a fresh folder, finds
controls by their accessible names on the accessibility bus (AT-SPI), reads
focus, texts and check marks there, and drives the program with real X key
presses (xdotool): no mouse event at all. Every wait is on a condition, with
a limit; each scenario has a time limit of its own.

usage: outside_in.py PROGRAM SCREENSHOT-PREFIX  (inside an X session with a
window manager and a D-Bus session bus: see outside_in_test.sh)
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

import pyatspi

TITLE = "Zentorix2024电阻计算器2024"
HINT = "系统提示System Hint"
ABOUT = "关于本软件About"
PHONE = "手机二维码访问本软件网站Visite with 2-Dims Code"
WEB_ADDRESS = "https://zentorix.org/"

OHM_PAGE = "电阻阻值功率电压电流计算Res PVIR"

# The controls as a screen reader names them.
TABS = "page tab list"
MEMO = "text '各电阻值Resistors values(omh)：'"
EDIT_RS = "text '串联值Series Values(omh)'"
EDIT_RP = "text '并联值Parallels Values(omh)'"
BTN_RS = "push button '计算结果 Compute Values'"
EDIT = {q: f"text '{label}'" for q, label in
        (("R", "电阻R(omh)"), ("V", "电压V(V)"), ("I", "电流I(A)"), ("P", "功率Power(W)"))}
BTN = {q: f"push button '{caption}'" for q, caption in
       (("R", "用V/I计算R  use V/I compute R"), ("V", "用R/I计算V use R/I compute V"),
        ("I", "用R/V计算I use R/V compute I"), ("P", "用V/I计算P use V/I compute P"))}
BTN_SAMPLE = "push button '例子数据 Sample Datas'"

# The tab orders of the two pages, from the page control once round.
SERIES_ORDER = [TABS, MEMO, EDIT_RS, EDIT_RP, BTN_RS]
OHM_ORDER = [TABS, EDIT["R"], EDIT["V"], EDIT["I"], EDIT["P"],
             BTN["R"], BTN["V"], BTN["I"], BTN["P"], BTN_SAMPLE]

program_file, shots = sys.argv[1], sys.argv[2]
desktop = pyatspi.Registry.getDesktop(0)


class Failure(Exception):
    pass


def wait_for(condition, what, timeout=10.0):
    """The first true value of condition(), polled; Failure after timeout."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            value = condition()
        except Exception:  # the tree changes under us as windows come and go
            value = None
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure(f"timed out waiting for {what}")
        time.sleep(0.05)


def check(condition, message):
    if not condition:
        raise Failure(message)


# Roles in these checks' words, found by their AT-SPI constants: the names
# AT-SPI itself gives them change between releases ("push button" is
# "button" in libatspi 2.56).
ROLE_WORDS = {
    pyatspi.ROLE_PAGE_TAB_LIST: "page tab list", pyatspi.ROLE_PAGE_TAB: "page tab",
    pyatspi.ROLE_PUSH_BUTTON: "push button", pyatspi.ROLE_TEXT: "text",
    pyatspi.ROLE_FRAME: "frame", pyatspi.ROLE_DIALOG: "dialog", pyatspi.ROLE_ALERT: "alert",
    pyatspi.ROLE_FILLER: "filler", pyatspi.ROLE_PANEL: "panel",
}


def role_of(accessible):
    role = accessible.getRole()
    return ROLE_WORDS.get(role) or accessible.getRoleName()


def describe(accessible):
    role = role_of(accessible)
    return role if role == TABS else f"{role} '{accessible.name}'"


def descendants(accessible):
    yield accessible
    for child in accessible:
        if child is not None:
            yield from descendants(child)


def has(accessible, state):
    return accessible.getState().contains(state)


def press(*keys):
    """Real key presses to whatever has the keyboard."""
    for key in keys:
        subprocess.run(["xdotool", "key", key], check=True)


def type_text(text):
    subprocess.run(["xdotool", "type", "--delay", "15", text], check=True)


def x(*command):
    return subprocess.run(command, check=True, capture_output=True, text=True).stdout


def screenshot(name, program=None, settled=False):
    """The screen, cut to the program's windows (with room for their frames)
    when there is a program; once two pictures in a row are the same when
    settled (a window just shown is still being painted)."""
    crop = []
    if program is not None:
        scale = program.scale or 1
        areas = [w.queryComponent().getExtents(pyatspi.DESKTOP_COORDS) for w in program.windows()]
        left = max(0, min(a.x for a in areas) * scale - 30)
        top = max(0, min(a.y for a in areas) * scale - 40)
        right = max((a.x + a.width) for a in areas) * scale + 30
        bottom = max((a.y + a.height) for a in areas) * scale + 30
        crop = ["-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage"]
    grab = ["import", "-window", "root", *crop, "-depth", "8", "ppm:-"]
    pictures = [subprocess.run(grab, check=True, capture_output=True).stdout]
    if settled:
        def same_again():
            pictures.append(subprocess.run(grab, check=True, capture_output=True).stdout)
            return pictures[-1] == pictures[-2]
        wait_for(same_again, f"the screen to settle for {name}")
    picture = pictures[-1]
    subprocess.run(["convert", "ppm:-", f"{shots}-{name}.png"], input=picture, check=True)


def check_centred(window):
    """The window (an accessible), with the frame the window manager reports,
    centred on the screen to a pixel from the moment it is there: it is
    placed before it is mapped, never afterwards."""
    offset = offset_from_centre(window)
    check(max(abs(d) for d in offset) <= 1, f"{window.name}: its frame is off centre by {offset}")


def offset_from_centre(window):
    """How far the window's frame is from the screen's centre."""
    area = window.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)

    def fields(*command):
        return dict(line.strip().split(":", 1) for line in x(*command).splitlines() if ":" in line)

    for candidate in x("xdotool", "search", "--onlyvisible", "--name", f"^{window.name}$").split():
        info = fields("xwininfo", "-id", candidate)
        if (int(info["Absolute upper-left X"]), int(info["Absolute upper-left Y"])) == (area.x, area.y):
            extents = x("xprop", "-id", candidate, "_NET_FRAME_EXTENTS").split("=")[1]
            left, right, top, bottom = (int(v) for v in extents.split(","))
            break
    else:
        raise Failure(f"no X window at {window.name}'s place")
    screen = fields("xwininfo", "-root")
    dx = (2 * (area.x - left) + area.width + left + right - int(screen["Width"])) / 2
    dy = (2 * (area.y - top) + area.height + top + bottom - int(screen["Height"])) / 2
    return dx, dy


class Program:
    """One copy of the executable in a folder of its own, running."""

    def __init__(self, scale=None):
        self.folder = tempfile.mkdtemp(prefix="zentorix-outside-")
        self.scale = scale
        shutil.copy(program_file, os.path.join(self.folder, "zentorix"))
        self.start()

    def start(self):
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                   PATH=os.path.join(self.folder, "shim") + ":" + os.environ["PATH"])
        if self.scale:
            env["QT_SCALE_FACTOR"] = str(self.scale)
        self.process = subprocess.Popen([os.path.join(self.folder, "zentorix")], env=env,
                                        stderr=subprocess.DEVNULL)
        self.app = wait_for(lambda: next(a for a in desktop
                                         if a is not None and a.get_process_id() == self.process.pid),
                            "the program on the accessibility bus")
        wait_for(lambda: self.window(TITLE, "frame"), "the main window")
        wait_for(lambda: self.focus(), "the keyboard focus in the main window")

    def windows(self):
        return [w for w in self.app if w is not None and has(w, pyatspi.STATE_SHOWING)]

    def window(self, name, role=None):
        return next((w for w in self.windows()
                     if w.name == name and (role is None or role_of(w) == role)), None)

    def focus(self):
        """What has the keyboard: the innermost focused control of the active
        window. The current page's tab stays marked focused, and so do the
        containers around a control: neither counts."""
        for window in self.windows():
            if has(window, pyatspi.STATE_ACTIVE):
                focused = [a for a in descendants(window) if has(a, pyatspi.STATE_FOCUSED)
                           and role_of(a) not in ("filler", "panel", "page tab")]
                return describe(focused[-1]) if focused else None
        return None

    def control(self, description, within=None):
        for window in [within] if within else self.windows():
            for accessible in descendants(window):
                if describe(accessible) == description:
                    return accessible
        raise Failure(f"no {description}")

    def text(self, description, within=None):
        return self.control(description, within).queryText().getText(0, -1)

    def press_and_follow(self, key):
        """Presses a key that moves the focus; the focus after it."""
        before = self.focus()
        press(key)
        return wait_for(lambda: (lambda now: now if now != before else None)(self.focus()),
                        f"the focus to move from {before} on {key}")

    def tab_to(self, description, key="Tab", limit=12):
        for _ in range(limit):
            if self.focus() == description:
                return
            self.press_and_follow(key)
        raise Failure(f"{key} never reached {description}")

    def set_box(self, description, *lines):
        """Replaces the box's text by `lines`, typed (Return between them)."""
        self.tab_to(description)
        press("ctrl+a")
        for number, line in enumerate(lines):
            if number > 0:
                press("Return")
            type_text(line)
        wanted = "\n".join(lines)
        wait_for(lambda: self.text(description).replace("\u2029", "\n") == wanted,
                 f"{description} to read {wanted!r} (it reads {self.text(description)!r})")

    def exit_by_menu(self):
        press("alt+f")
        wait_for(lambda: self.control("menu item '退出本软件Exit'"), "the File menu")
        press("e")
        return self.wait_for_exit()

    def wait_for_exit(self):
        code = wait_for(lambda: self.process.poll() is not None and (self.process.returncode,),
                        "the program to end")[0]
        return code

    def menu_checks(self):
        """Opens the Set menu and reads its check marks."""
        press("alt+s")
        chinese = wait_for(lambda: self.control("menu item '中文界面Chinese'"), "the Set menu")
        english = self.control("menu item '英文界面English'")
        # The marks are set as the menu opens: wait until exactly one shows.
        marks = wait_for(lambda: (lambda c, e: (c, e) if c != e else None)(
            has(chinese, pyatspi.STATE_CHECKED), has(english, pyatspi.STATE_CHECKED)), "a check mark")
        return marks

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        shutil.rmtree(self.folder, ignore_errors=True)


def start_on_ohm_page(program):
    check(program.focus() == TABS, f"the focus at start is on {program.focus()}, not the page control")
    press("ctrl+Page_Up")
    wait_for(lambda: program.control(TABS).name == OHM_PAGE, "Ctrl+PgUp to bring the Ohm's-law page")


def scenario_typical_request(program):
    """The Overview's request, keyboard alone from a fresh start: 12 V and
    4 A give R = 3."""
    start_on_ohm_page(program)
    program.set_box(EDIT["V"], "12")
    program.set_box(EDIT["I"], "4")
    program.tab_to(BTN["R"])
    press("Return")
    wait_for(lambda: program.text(EDIT["R"]) == "3", "R to show 3")
    check(program.text(EDIT["P"]) == "0", f"P shows {program.text(EDIT['P'])}")
    screenshot("ohm-page", program)
    check(program.exit_by_menu() == 0, "exit code")


def scenario_tab_cycles(program):
    """Tab and Shift+Tab walk each page in its order and come back round."""
    for order, switch in ((SERIES_ORDER, "ctrl+Tab"), (OHM_ORDER, None)):
        check(program.focus() == TABS, f"each cycle starts on the page control, not {program.focus()}")
        forward = [program.focus()] + [program.press_and_follow("Tab") for _ in order]
        check(forward == order + [order[0]], f"Tab order: {forward}")
        backward = [program.focus()] + [program.press_and_follow("shift+Tab") for _ in order]
        check(backward == [order[0]] + order[:0:-1] + [order[0]], f"Shift+Tab order: {backward}")
        if switch:
            press(switch)
            wait_for(lambda: program.control(TABS).name == OHM_PAGE, "Ctrl+Tab to bring the Ohm's-law page")
    check(program.exit_by_menu() == 0, "exit code")


def read_and_dismiss_box(program, key, text, back_to):
    """The failure box: its text, where it stands, its focus; closed by `key`,
    after which the focus is back on `back_to`."""
    box = wait_for(lambda: program.window(TITLE, "alert"), "the failure box")
    shown = program.text(f"text '{text}'", within=box)  # named by its text, as a label is
    check(shown == text, f"the box reads {shown!r}")
    check(box.description == text, f"the box is described as {box.description!r}")
    check(program.focus() == "push button 'OK'", f"the box's focus is on {program.focus()}")
    check_centred(box)
    press(key)
    wait_for(lambda: program.window(TITLE, "alert") is None, f"{key} to close the box")
    wait_for(lambda: program.focus() == back_to, f"the focus back on {back_to} (it is on {program.focus()})")


def scenario_failure_boxes(program):
    """Each page's failure box is read, placed, dismissed by keyboard, and the
    focus comes back to the button that had it."""
    program.set_box(MEMO, "1", "abc")
    program.tab_to(BTN_RS)
    press("Return")
    screenshot("failure-box", program)
    read_and_dismiss_box(program, "Return", "'abc' is not a valid floating point value.", BTN_RS)
    program.tab_to(TABS)
    start_on_ohm_page(program)
    program.set_box(EDIT["V"], "1")
    program.tab_to(BTN["R"])  # the current box still holds 0
    press("space")
    read_and_dismiss_box(program, "Escape", "Floating point division by zero.", BTN["R"])
    check(program.text(EDIT["R"]) == "0", "R changed by a failed division")
    check(program.exit_by_menu() == 0, "exit code")


def scenario_language(program):
    """The language chosen by keyboard: its check marks read back, kept across
    a restart."""
    check(program.menu_checks() == (True, False), "a first run is in Chinese")
    screenshot("set-menu", program)
    press("e")  # English
    wait_for(lambda: program.control("menu item '英文界面English'") and not program.control(
        "menu item '英文界面English'").getState().contains(pyatspi.STATE_SHOWING), "the menu to close")
    check(program.menu_checks() == (False, True), "English is checked once chosen")
    press("Escape", "Escape")
    check(program.exit_by_menu() == 0, "exit code")
    program.start()
    check(program.menu_checks() == (False, True), "English is still checked after a restart")
    press("Escape", "Escape")
    check(program.exit_by_menu() == 0, "exit code")


def scenario_dialogs(program):
    """Both dialogs opened from the Help menu by keyboard, centred, the
    default button focused, closed with Escape and with Enter."""
    check_centred(program.window(TITLE, "frame"))
    press("alt+h")
    wait_for(lambda: program.control("menu item '手机访问本软件网站Phone'"), "the Help menu")
    screenshot("help-menu", program)
    for item, title, button, key in (("p", PHONE, "push button '关闭Close'", "Escape"),
                                     ("a", ABOUT, "push button '关闭OK'", "Return")):
        if item != "p":
            press("alt+h")
            wait_for(lambda: program.control("menu item '关于本软件About'"), "the Help menu")
        press(item)
        dialog = wait_for(lambda: program.window(title), f"the dialog {title}")
        wait_for(lambda: program.focus() == button, f"the focus on {button} (it is on {program.focus()})")
        check_centred(dialog)
        screenshot("dialog-" + ("phone" if item == "p" else "about"), program)
        press(key)
        wait_for(lambda: program.window(title) is None, f"{key} to close {title}")
        wait_for(lambda: program.focus() == TABS, "the focus back in the main window")
    check(program.exit_by_menu() == 0, "exit code")


def scenario_scale_two(program):
    """At scale factor 2: both pages, the menus and both dialogs on screen for
    a look, and the QR code sharp enough to decode from the screen."""
    screenshot("scale2-series-page", program)
    start_on_ohm_page(program)
    screenshot("scale2-ohm-page", program)
    press("alt+h")
    wait_for(lambda: program.control("menu item '关于本软件About'"), "the Help menu")
    screenshot("scale2-help-menu", program)
    press("p")
    dialog = wait_for(lambda: program.window(PHONE), "the phone dialog")
    area = dialog.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)  # in unscaled pixels
    shot = f"{shots}-scale2-phone.png"

    def decoded():
        # Nothing on the bus tells when the pixels are there: the screen is
        # read until the code on it decodes, or the wait ends.
        subprocess.run(["import", "-window", "root", "-crop",
                        f"{2 * area.width}x{2 * area.height}+{2 * area.x}+{2 * area.y}", "+repage", shot],
                       check=True)
        return subprocess.run(["zbarimg", "--raw", "-q", shot], capture_output=True, text=True).stdout.strip()
    try:
        wait_for(lambda: decoded() == WEB_ADDRESS, "a QR code on screen that reads the web address")
    except Failure:
        check(False, f"the QR code on screen reads {decoded()!r}")
    press("Escape")
    wait_for(lambda: program.window(PHONE) is None, "Escape to close the dialog")
    press("alt+h")
    wait_for(lambda: program.control("menu item '关于本软件About'"), "the Help menu")
    press("a")
    wait_for(lambda: program.window(ABOUT), "the about box")
    screenshot("scale2-about", program, settled=True)
    press("Return")
    wait_for(lambda: program.window(ABOUT) is None, "Enter to close the about box")
    check(program.exit_by_menu() == 0, "exit code")


SCENARIOS = [(scenario_typical_request, None), (scenario_tab_cycles, None), (scenario_failure_boxes, None),
             (scenario_language, None), (scenario_dialogs, None), (scenario_scale_two, 2)]


def main():
    failures = 0
    for scenario, scale in SCENARIOS:
        name = scenario.__name__.removeprefix("scenario_")
        signal.signal(signal.SIGALRM, lambda *_: (_ for _ in ()).throw(Failure("time limit")))
        signal.alarm(60)
        program = None
        started = time.monotonic()
        try:
            program = Program(scale)
            scenario(program)
            print(f"ok   {name} ({time.monotonic() - started:.1f} s)")
        except Exception as failure:  # report and go on with the next scenario
            failures += 1
            print(f"FAIL {name}: {failure}")
            if not isinstance(failure, Failure):
                traceback.print_exc()
            screenshot(f"failed-{name}")  # the whole screen
        finally:
            signal.alarm(0)
            if program:
                program.close()
    print(f"{len(SCENARIOS) - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
