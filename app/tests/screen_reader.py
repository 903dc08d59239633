#!/usr/bin/python3
"""What a blind user hears: the built program worked by keyboard alone while
Orca, Debian's screen reader, listens. Its speech goes to a server that speaks
into nothing and writes down each utterance (silentspeech.py); every step
waits, with a limit, for what Orca says.

usage: screen_reader.py PROGRAM  (inside an X session with a window manager
and a D-Bus session bus: see screen_reader_test.sh)
"""
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

TITLE = "Zentorix2024电阻计算器2024"
here = os.path.dirname(os.path.abspath(__file__))


class Failure(Exception):
    pass


def alternatives(part):
    return part if isinstance(part, tuple) else (part,)


# Roles as Orca says them: Orca 48 says "button" where 43 said "push button",
# and "page tab" for the page tabs ("page tab list" in 43).
def button(caption):
    return (caption + " push button", caption + " button")


TABS = "page tab"
COMPUTE_R = "用V/I计算R  use V/I compute R"
# Back in the main window when a box or dialog closes: Orca 43 names the
# window, Orca 48 the control that has the focus again.
BACK = (TITLE + " frame",) + button(COMPUTE_R)


class Orca:
    """The screen reader, running, and what it has said so far."""

    def __init__(self, folder):
        self.log = os.path.join(folder, "spoken.log")
        prefs = os.path.join(folder, "orca")
        os.makedirs(prefs)
        with open(os.path.join(prefs, "user-settings.conf"), "w") as settings:
            json.dump({"general": {"speechServerFactory": "silentspeech", "speechServerInfo": None,
                                   "firstStart": False, "startingProfile": ["Default", "default"]},
                       "profiles": {"default": {"profile": ["Default", "default"]}},
                       "pronunciations": {}, "keybindings": {}}, settings)
        env = dict(os.environ, SPOKEN_LOG=self.log, PYTHONPATH=here)
        self.process = subprocess.Popen(["orca", "-u", prefs], env=env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.heard = 0  # utterances already matched
        self.hear("Screen reader on")

    def said(self):
        try:
            with open(self.log, encoding="utf-8") as log:
                return [json.loads(line) for line in log if line.endswith("\n")]
        except FileNotFoundError:
            return []

    def hear(self, *parts, timeout=20):
        """Waits until Orca says, after what was heard before, an utterance
        holding each part in turn (a part may be a tuple of the ways
        different Orca releases word it, any of which will do); returns
        those utterances."""
        deadline = time.monotonic() + timeout
        while True:
            said = self.said()[self.heard:]
            found = []
            for number, utterance in enumerate(said):
                if any(words in utterance for words in alternatives(parts[len(found)])):
                    found.append(utterance)
                    if len(found) == len(parts):
                        self.heard += number + 1
                        return found
            if time.monotonic() > deadline:
                raise Failure(f"Orca never said {parts[len(found)]!r}; its last words: {said[-6:]}")
            time.sleep(0.05)

    def close(self):
        self.process.terminate()
        self.process.wait()


def press(*keys):
    for key in keys:
        subprocess.run(["xdotool", "key", key], check=True)


def type_text(text):
    subprocess.run(["xdotool", "type", "--delay", "20", text], check=True)


def menu(letter, first_item, orca):
    """Opens a menu of the main window by its Alt key, held down as a person
    holds it. With Orca listening, Qt hands each key to it and takes it back
    a moment later: Alt pressed and let go within a millisecond around the
    letter, as one synthetic chord, can reach the menu bar after the letter
    and close the menu again."""
    subprocess.run(["xdotool", "keydown", "Alt_L"], check=True)
    time.sleep(0.2)
    press(letter)
    time.sleep(0.2)
    subprocess.run(["xdotool", "keyup", "Alt_L"], check=True)
    orca.hear(first_item)


def check(condition, message):
    if not condition:
        raise Failure(message)


def scenario(program, orca, folder):
    ini = os.path.join(folder, "zentorix.ini")
    orca.hear(TITLE + " frame", TABS)

    # The series/parallel page: a list that cannot be read.
    press("Tab")
    orca.hear("各电阻值Resistors values(omh)： text")  # an edit box's label
    press("ctrl+a")
    type_text("abc")
    press("Tab", "Tab", "Tab")
    orca.hear(button("计算结果 Compute Values"))
    press("Return")
    orca.hear("alert " + TITLE, "'abc' is not a valid floating point value.")
    press("Return")
    orca.hear(button("计算结果 Compute Values"))

    # A list that can be read: the results are heard as they are computed,
    # and each result box is read whole, by Shift+Tab and after a page switch.
    press("shift+Tab", "shift+Tab", "shift+Tab")
    orca.hear("各电阻值Resistors values(omh)： text")
    press("ctrl+a")
    for line in ("1.5", "2.4"):
        type_text(line)
        press("Return")
    type_text("3")
    press("Tab", "Tab", "Tab")
    orca.hear(button("计算结果 Compute Values"))
    press("Return")
    orca.hear("串联值Series Values(omh) 6.9, 并联值Parallels Values(omh) 0.705882352941177")
    press("shift+Tab")
    orca.hear("并联值Parallels Values(omh) text", "0.705882352941177 selected")
    press("shift+Tab")
    orca.hear("串联值Series Values(omh) text", "6.9 selected")
    press("ctrl+Page_Up")
    orca.hear("电阻R(omh) text")
    press("ctrl+Page_Down")
    orca.hear("串联值Series Values(omh) text", "6.9")

    # The Ohm's-law page: a division by zero.
    press("Tab", "Tab", "Tab")
    orca.hear(TABS)
    press("ctrl+Page_Up")
    orca.hear("电阻阻值功率电压电流计算Res PVIR")
    press("Tab")
    orca.hear("电阻R(omh) text")
    press("Tab")
    orca.hear("电压V(V) text")
    type_text("1")
    press("Tab", "Tab", "Tab")
    orca.hear(button(COMPUTE_R))
    press("Return")
    orca.hear("alert " + TITLE, "Floating point division by zero.")
    press("Escape")
    orca.hear(button(COMPUTE_R))

    # Help > Content with no help file: the notice.
    help_file = os.path.join(folder, "zentorix.chm")
    menu("h", "帮助主题Content", orca)
    press("c")
    _, notice = orca.hear("alert 系统提示System Hint", "不能打开帮助文件" + help_file)
    check("Can not Open Help File" + help_file in notice, f"the notice is heard as {notice!r}")
    press("Return")
    orca.hear(BACK)

    # The two dialogs, each heard in full as it opens.
    for item, title, texts, key in (
            ("a", "关于本软件About", ["Zentorix2024电阻计算器", "版本号Version：2024", "Works out resistance",
                                     "Copyright © 2024 the Zentorix developers"], "Return"),
            ("p", "手机二维码访问本软件网站Visite with 2-Dims Code", ["https://zentorix.org/"], "Escape")):
        menu("h", "帮助主题Content", orca)
        press(item)
        (heard,) = orca.hear(title + " dialog")
        for text in texts:
            check(text in heard, f"the dialog {title} is heard as {heard!r}, without {text!r}")
        press(key)
        orca.hear(BACK)

    # File > Exit with a settings file that cannot be written: the box at exit.
    menu("f", "退出本软件Exit", orca)
    press("e")
    orca.hear("alert " + TITLE, "Unable to write to " + ini)
    press("Return")
    check(program.wait(timeout=20) == 0, f"exit code {program.returncode}")


def main():
    signal.signal(signal.SIGALRM, lambda *_: (_ for _ in ()).throw(Failure("time limit")))
    signal.alarm(180)
    folder = tempfile.mkdtemp(prefix="zentorix-heard-")
    orca = program = None
    try:
        orca = Orca(folder)
        shutil.copy(sys.argv[1], os.path.join(folder, "zentorix"))
        # A settings file no one may write: the box at exit.
        ini = os.path.join(folder, "zentorix.ini")
        with open(ini, "w") as settings:
            settings.write("[Setting]\nbChinese=1\n")
        os.chmod(ini, 0o444)
        # Qt's bridge to the screen reader holds copies of the keys it is
        # still asking Orca about, and keeps them when the program ends: the
        # leak check of a sanitizer build would blame the program for them.
        asan = os.environ.get("ASAN_OPTIONS", "")
        program = subprocess.Popen([os.path.join(folder, "zentorix")], stderr=subprocess.DEVNULL,
                                   env=dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                                            ASAN_OPTIONS=(asan + ":" if asan else "") + "detect_leaks=0"))
        started = time.monotonic()
        scenario(program, orca, folder)
        print(f"ok   heard in full ({time.monotonic() - started:.1f} s)")
        return 0
    except Failure as failure:
        print(f"FAIL heard in full: {failure}")
        return 1
    finally:
        signal.alarm(0)
        if program and program.poll() is None:
            program.kill()
        if orca:
            orca.close()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
