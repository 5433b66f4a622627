#!/usr/bin/env python3
"""What a blind operator hears: the terminal in a real X session with the GNOME screen reader
Orca, driven with real key events, against the unit simulator on a pseudo-terminal. Checks what
Orca says (its debug log records every utterance) for the Tab walk, a line from the unit, the
command-access handshake and a message box.

Run inside its own D-Bus session: dbus-run-session -- orca_test.py TERMINAL UNIT
"""
import datetime
import os
import re
import signal
import subprocess
import sys
import tempfile
import time

TERMINAL, UNIT = sys.argv[1:3]
SPEECH = re.compile(r"^(\d\d:\d\d:\d\d\.\d+) - SPEECH OUTPUT: '(.*)'\s*[\[{]")


def now():
    return datetime.datetime.now().strftime("%H:%M:%S.%f")


class Desktop:
    """Xvfb, the AT-SPI bus, openbox and Orca; said() gives what Orca said between two
    moments, read from its debug log."""

    def __init__(self, scratch):
        self.scratch = scratch
        self.log = os.path.join(scratch, "orca.log")
        self.procs = []
        read, write = os.pipe()
        self.start(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24",
                    "-nolisten", "tcp"], pass_fds=(write,))
        os.close(write)
        os.environ["DISPLAY"] = ":" + os.read(read, 16).decode().strip()
        os.close(read)
        self.start(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
        self.start(["openbox"])
        time.sleep(1)
        prefs = os.path.join(scratch, "orca-prefs")
        os.makedirs(prefs)
        self.orca = self.start(["orca", "--replace", "--debug-file", self.log, "-u", prefs])
        self.wait_for("Screen reader on", 30)

    def start(self, argv, **kw):
        # Each in a process group of its own, which stop() ends whole (the AT-SPI bus launcher
        # starts a bus daemon of its own).
        p = subprocess.Popen(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                             start_new_session=True, **kw)
        self.procs.append(p)
        return p

    def utterances(self):
        try:
            with open(self.log, errors="replace") as f:
                return [m.groups() for m in map(SPEECH.match, f) if m]
        except FileNotFoundError:
            return []

    def wait_for(self, phrase, seconds):
        """Waits until Orca has said the phrase or the time is up. The log is written in blocks,
        so a miss here is only a wait: the checks read the whole log once Orca has stopped."""
        since, end = now(), time.monotonic() + seconds
        while time.monotonic() < end:
            if any(phrase in text for at, text in self.utterances() if at >= since):
                return
            time.sleep(0.2)

    def said(self, start, end):
        return [text for at, text in self.utterances() if start <= at < end]

    def stop(self):
        self.orca.send_signal(signal.SIGTERM)  # Orca writes out its log as it quits
        try:
            self.orca.wait(15)
        except subprocess.TimeoutExpired:
            pass
        for p in reversed(self.procs):
            try:
                os.killpg(p.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            p.wait()


def keys(*names, pause=1.0):
    for name in names:
        subprocess.run(["xdotool", "key", "--clearmodifiers", name], check=True)
        time.sleep(pause)


def main():
    scratch = tempfile.mkdtemp(prefix="orca-test-")
    ports = os.path.join(scratch, "ports")
    home = os.path.join(scratch, "home")
    os.makedirs(ports)
    os.makedirs(os.path.join(home, "Desktop"))
    desktop = Desktop(scratch)
    unit = subprocess.Popen([UNIT, os.path.join(ports, "com1"), "--interval", "400"],
                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    while not os.path.exists(os.path.join(ports, "com1")):
        time.sleep(0.05)
    env = dict(os.environ, BRENIX_PORT_DIR=ports, HOME=home, XDG_CONFIG_HOME=home + "/.config")
    env.pop("QT_QPA_PLATFORM", None)
    terminal = subprocess.Popen([TERMINAL], env=env)

    # Each step: what it does, then the phrases Orca must say, in order, before the next step
    # starts, and those it must not say then.
    def unplug():
        unit.send_signal(signal.SIGTERM)
        desktop.wait_for("Error reading comm port!", 10)

    steps = [
        ("window opens", lambda: desktop.wait_for("Port combo box", 30),
         ["Brenix Terminal", "Port combo box", "1"], []),
        ("Tab to the option pair", lambda: keys("Tab"),
         ["Port", "Closed", "selected radio button"], []),
        ("Tab to the baud list", lambda: keys("Tab"), ["Baud Rate combo box", "9600"], []),
        ("Tab to Change", lambda: keys("Tab"), ["Change push button", "Save Path: "], []),
        ("Tab to Save To File", lambda: keys("Tab"),
         ["Save To File push button", "File Name: Text1.txt"], []),
        ("Tab to the pane", lambda: keys("Tab"), ["Terminal text"], []),
        ("Tab to the check box", lambda: keys("Tab"),
         ["Enable Command Access check box not checked", "Alt+C"], []),
        ("Alt+C", lambda: keys("alt+c", pause=2),
         ["Terminal text", "Cycle power on the Brenix unit."], ["not checked", "combo box"]),
        ("back to the option pair", lambda: keys(*["shift+Tab"] * 4), ["Port", "Closed"], []),
        ("Up opens the port, the unit starts", lambda: (keys("Up"), desktop.wait_for(
            "Please wait for unit to initialize.", 15)),
         ["Open", "selected radio button", "Please wait for unit to initialize."], []),
        ("Tab to the pane, the unit's lines", lambda: (keys(*["Tab"] * 4, pause=0.6),
                                                       time.sleep(3)),
         ["Terminal text", "initialis"], []),
        ("the handshake ends", lambda: desktop.wait_for("check box not checked", 30),
         ["STATUS", "Enable Command Access check box not checked"], []),
        ("the unit is unplugged", unplug, ["Error reading comm port!"], []),
    ]
    marks = []
    try:
        for name, act, _, _ in steps:
            start = now()
            act()
            time.sleep(1)
            marks.append((start, now()))
        keys("Return")
    finally:
        terminal.terminate()
        terminal.wait(10)
        unit.kill()
        desktop.stop()

    failures = 0
    for (name, _, expected, forbidden), (start, end) in zip(steps, marks):
        said = desktop.said(start, end)
        heard = " | ".join(said)
        rest, missing = heard, []
        for phrase in expected:
            at = rest.find(phrase)
            if at < 0:
                missing.append(phrase)
            else:
                rest = rest[at + len(phrase):]
        wrong = [p for p in forbidden if p in heard]
        ok = not missing and not wrong
        failures += not ok
        print(("PASS" if ok else "FAIL") + f": {name}: Orca said: {heard!r}")
        if missing:
            print(f"    missing, in this order: {missing!r}")
        if wrong:
            print(f"    should not have said: {wrong!r}")
    print(f"{len(steps) - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
