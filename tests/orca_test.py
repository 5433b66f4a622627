#!/usr/bin/env python3
# What a blind operator hears: the terminal in a real X session with the GNOME screen reader
# Orca, driven with real key events, against the unit simulator on a pseudo-terminal. Checks what
# Orca says (its debug log records every utterance) for the Tab walk, a line from the unit, the
# command-access handshake and a message box. Orca's whole log is kept in the scratch folder.
#
# Run inside its own D-Bus session: dbus-run-session -- orca_test.py TERMINAL UNIT
import datetime
import os
import pty
import re
import signal
import subprocess
import sys
import threading
import time
import tty

from xsession import Session

TERMINAL, UNIT = sys.argv[1:3]
SPEECH = re.compile(r"^(\d\d:\d\d:\d\d\.\d+) - SPEECH OUTPUT: '(.*)'\s*[\[{]")


def now():
    return datetime.datetime.now().strftime("%H:%M:%S.%f")


class Desktop(Session):
    # The session with the AT-SPI bus and Orca; said() gives what Orca said between two
    # moments. Orca's debug log goes to a pseudo-terminal, which Python writes line by line, so
    # every utterance is seen as it is made.

    def __init__(self):
        super().__init__("orca-test-")
        self.speech, self.lock = [], threading.Lock()
        self.start(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
        self.start_window_manager()  # Orca first speaks of a window when it is activated
        master, slave = pty.openpty()
        tty.setraw(slave)
        self.reader = threading.Thread(target=self.listen, args=(master,), daemon=True)
        self.reader.start()
        prefs = os.path.join(self.scratch, "orca-prefs")
        os.makedirs(prefs)
        self.slave = slave  # held open, so that the log never ends while Orca reopens it
        # Orca now and then comes up mute (seen once in a CI run: not a word in three minutes).
        since = now()
        self.orca = self.start_until(
            ["orca", "--replace", "--debug-file", os.ttyname(slave), "-u", prefs],
            lambda: any("Screen reader on" in text for text in self.said(since)), 30)

    def listen(self, master):
        # Keeps Orca's whole log in the scratch folder and its utterances in memory.
        with open(os.path.join(self.scratch, "orca.log"), "wb") as log, \
                os.fdopen(master, "rb") as f:
            try:
                for line in iter(f.readline, b""):
                    log.write(line)
                    m = SPEECH.match(line.decode(errors="replace"))
                    if m:
                        with self.lock:
                            self.speech.append(m.groups())
            except OSError:  # EIO: the other side is closed, at the end
                pass

    def said(self, start, end="~"):
        with self.lock:
            return [text for at, text in self.speech if start <= at < end]

    def stop(self):
        self.orca.send_signal(signal.SIGTERM)  # it ends alone, before the bus it talks to
        try:
            self.orca.wait(15)
        except subprocess.TimeoutExpired:
            pass
        super().stop()
        os.close(self.slave)


def keys(*names, pause=0.7):
    for name in names:
        subprocess.run(["xdotool", "key", name], check=True)
        time.sleep(pause)


def heard_in_order(heard, phrases):
    # The phrases not found in what was heard, each looked for after the one before.
    missing, at = [], 0
    for phrase in phrases:
        found = heard.find(phrase, at)
        missing += [phrase] if found < 0 else []
        at = at if found < 0 else found + len(phrase)
    return missing


def main():
    desktop = Desktop()
    try:
        return run(desktop)
    finally:
        desktop.stop()


def run(desktop):
    com1, said = os.path.join(desktop.ports, "com1"), os.path.join(desktop.scratch, "unit.log")
    with open(said, "wb") as console:  # the unit's console, read at the end
        unit = subprocess.Popen([UNIT, com1, "--interval", "400"], stdin=subprocess.DEVNULL,
                                stdout=console, stderr=subprocess.STDOUT)
    while not os.path.exists(com1):
        time.sleep(0.05)
    terminal = None

    def start_terminal():
        # Its window active, as a window manager leaves a new one (and as Orca needs it to be).
        nonlocal terminal
        terminal = subprocess.Popen([TERMINAL], env=desktop.env)
        subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name",
                        "^Brenix Terminal", "windowactivate", "--sync"], timeout=30,
                       stderr=subprocess.DEVNULL)

    # Each step: the keys it presses (or what it does), the phrases Orca must then say, in
    # order, before the next step, the phrases it must not say then, and how long it may take.
    steps = [
        ("the window opens", start_terminal, ["Brenix Terminal", "Port combo box", "1"], [], 30),
        ("Tab to the option pair", ["Tab"], ["Port", "Closed", "selected radio button"], [], 5),
        ("Tab to the baud list", ["Tab"], ["Baud Rate combo box", "9600"], [], 5),
        ("Tab to Change", ["Tab"], ["Change push button", "Save Path: "], [], 5),
        ("Tab to Save To File", ["Tab"], ["Save To File push button", "File Name: Text1.txt"],
         [], 5),
        ("Tab to the pane", ["Tab"], ["Terminal text"], [], 5),
        ("Tab to the check box", ["Tab"], ["Enable Command Access check box not checked",
                                           "Alt+C"], [], 5),
        ("Alt+C", ["alt+c"], ["Terminal text", "Cycle power on the Brenix unit."],
         ["not checked", "combo box", "File"], 5),
        ("back to the option pair", ["shift+Tab"] * 4, ["Port", "Closed"], [], 5),
        ("Up opens the port, the unit starts", ["Up"],
         ["Open", "selected radio button", "Please wait for unit to initialize."], [], 15),
        ("Tab to the pane, the unit's lines", ["Tab"] * 4, ["Terminal text", "initialis"], [],
         10),
        ("the handshake ends", [], ["STATUS", "Enable Command Access check box not checked"], [],
         30),
        ("the unit is unplugged", unit.terminate, ["Error reading comm port!"], [], 10),
    ]
    failures = 0
    try:
        for name, act, expected, forbidden, seconds in steps:
            start = now()
            act() if callable(act) else keys(*act)
            end = time.monotonic() + seconds
            while heard_in_order(" | ".join(desktop.said(start)), expected) and \
                    time.monotonic() < end:
                time.sleep(0.1)
            time.sleep(0.5)  # what follows the last phrase belongs to this step too
            heard = " | ".join(desktop.said(start))
            missing = heard_in_order(heard, expected)
            wrong = [p for p in forbidden if p in heard]
            failures += bool(missing or wrong)
            print(f"{'FAIL' if missing or wrong else 'PASS'}: {name}: Orca said: {heard!r}" +
                  (f"\n    missing, in this order: {missing!r}" if missing else "") +
                  (f"\n    should not have said: {wrong!r}" if wrong else ""))
        keys("Return")
    finally:
        if terminal:
            terminal.terminate()
            terminal.wait(10)
        unit.kill()
    # The probe at start-up is too brief to power the unit on: only "Up" did.
    powered = open(said).read().count("powered on")
    failures += powered != 1
    print(f"{'PASS' if powered == 1 else 'FAIL'}: the unit was powered on {powered} time(s)")
    print(f"{len(steps) + 1 - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
