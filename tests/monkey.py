#!/usr/bin/python3
# A monkey on the real window: the built terminal under Xvfb and openbox, driven from a seed by
# random real key presses (any key of the keyboard's layout with any of Shift, Ctrl, Alt and
# AltGr), clicks of any button (context menus, the middle button's paste), resizes and a
# clipboard set from outside (empty, text, an image, rich text, a huge text, control
# characters), while a unit on a pseudo-terminal talks, floods, sends garbage and NUL runs,
# pauses, sends its banner, goes away and comes back. All through it checks that the program
# lives, answers a ping within the limit, shows at most one box per device loss and stays within
# its memory; whenever it ends (File, Exit, from the monkey's own keys, or at the end), that the
# capture files hold only what the unit sent, in order, each line whole. At the end, with the
# pane full of stand-ins and its insertion point blinking, that the quiet program uses almost no
# CPU.
#
# monkey.py TERMINAL [SEED [EVENTS]]      (BRENIX_MONKEY_EVENTS sets EVENTS too)
#
# A failure prints the seed and the last events; the same seed plays the same events again.
import os
import pty
import random
import re
import select
import subprocess
import sys
import time
import tty

from Xlib import X, XK, display, protocol
from Xlib.ext import xtest
from xsession import Session

TERMINAL = os.path.abspath(sys.argv[1])
SEED = int(sys.argv[2]) if len(sys.argv) > 2 else random.randrange(1 << 30)
EVENTS = int(sys.argv[3]) if len(sys.argv) > 3 else int(os.environ.get("BRENIX_MONKEY_EVENTS",
                                                                        "2000"))
PING_LIMIT = float(os.environ.get("BRENIX_MONKEY_PING_S", "1.0"))
MEMORY_LIMIT_MB = int(os.environ.get("BRENIX_MONKEY_MEMORY_MB", "600"))
QUIET_CPU_LIMIT = float(os.environ.get("BRENIX_MONKEY_QUIET_CPU", "5"))  # % of a core
LOSS_BOX = "Error reading comm port!"
MODIFIERS = ["Shift_L", "Control_L", "Alt_L", "ISO_Level3_Shift"]  # AltGr is the last
# The controls' centres in the main window at its design size, in pixels below the menu bar:
# the port list, Open, Closed, the baud list, Change, Save To File, the check box, the pane.
CONTROLS = [(36, 29), (88, 14), (91, 32), (160, 29), (372, 14), (372, 35), (22, 72), (200, 208)]
MENU_BAR = 22
BYTES = [b for b in range(256) if b not in (10, 13)]
CLIPBOARD = ["empty", "text", "image", "rich", "huge", "control"]
NOBODY = 65534 if os.geteuid() == 0 else os.geteuid()  # root hands the program to nobody
# Each kind of event up to its share of the draws (cumulative), and what it draws for itself.
# Keys are drawn by index into the keyboard's keys, known once the X server runs.
EVENT_KINDS = [
    (0.45, "key", lambda r: (r.random(), [m for m in MODIFIERS if r.random() < 0.25])),
    (0.55, "click", lambda r: (r.random(), r.random(), r.choice([1, 1, 1, 2, 3]))),
    (0.62, "control", lambda r: r.choice(CONTROLS) + (r.choice([1, 1, 2, 3]),)),
    (0.64, "resize", lambda r: (r.randrange(50, 900), r.randrange(50, 700))),
    (0.67, "clipboard", lambda r: (r.choice(["clipboard", "primary"]), r.choice(CLIPBOARD))),
    (0.83, "line", None), (0.86, "flood", None), (0.88, "garbage", None), (0.89, "nul", None),
    (0.92, "banner", None),
    (0.95, "pause", lambda r: r.random() * 0.5),
    (1.0, "cable", lambda r: r.choice(["unplug", "plug"])),
]


def xdotool(*args):
    return subprocess.run(["xdotool"] + [str(a) for a in args], capture_output=True,
                          text=True).stdout


class Failure(Exception):
    pass


class Unit:
    # The unit on a pseudo-terminal linked as the port folder's com1: numbered lines that say
    # what was sent, so that a capture file can be checked against them.

    def __init__(self, link, rng):
        self.link, self.rng, self.master, self.count, self.sent = link, rng, None, 0, {}
        self.banner_at, self.out = -10.0, bytearray()
        self.plug()

    def plug(self):
        self.master, slave = pty.openpty()
        tty.setraw(slave)
        os.fchown(slave, NOBODY, -1)  # the program's user opens it
        name = os.ttyname(slave)
        os.close(slave)
        os.set_blocking(self.master, False)
        tmp = self.link + ".new"
        os.symlink(name, tmp)
        os.replace(tmp, self.link)

    def unplug(self):
        os.unlink(self.link)
        os.close(self.master)
        self.master, self.out = None, bytearray()

    def send(self, kind, size=None):
        # Queues numbered lines; a flood's lines carry every byte value but CR and LF; garbage,
        # a unit at the wrong baud rate, is any bytes (a CR now and then); a NUL run pads.
        if self.master is None:
            return
        lines = 1 if kind != "flood" else self.rng.randrange(50, 400)
        if kind == "banner":
            self.banner_at = time.monotonic()
        for _ in range(lines):
            self.count += 1
            body = {"line": lambda: b"READING %d" % self.rng.randrange(1000),
                    "flood": lambda: bytes(self.rng.choice(BYTES) for _ in range(60)),
                    "garbage": lambda: bytes(self.rng.randrange(256) for _ in range(
                        size or self.rng.randrange(100, 4000))),
                    "nul": lambda: bytes(size or self.rng.randrange(100, 16384)),
                    "banner": lambda: b"(C) 1998 BRENIX INDUSTRIES, INC."}[kind]()
            line = b"L%07d %s" % (self.count, body)
            # As a capture file holds it: without LF.
            self.sent[self.count] = line.replace(b"\n", b"").decode("latin-1")
            self.out += line + b"\r\n"

    def pump(self):
        # Writes what the line takes now; the rest waits, so that no line is ever cut short.
        if self.master is None:
            return
        while select.select([self.master], [], [], 0)[0]:  # what the terminal typed
            try:
                if not os.read(self.master, 65536):
                    break
            except OSError:  # EIO: the port is closed, and would drop what waits at its opening
                return
        try:
            if self.out:
                del self.out[:os.write(self.master, self.out)]
        except OSError:  # full for now, or nobody has the line open
            pass


class Screen:
    # The X display: the keyboard, the program's window, a ping it must answer, the boxes it
    # shows.

    def __init__(self):
        self.d = display.Display()
        self.root = self.d.screen().root
        self.root.change_attributes(event_mask=X.StructureNotifyMask)  # where the answer comes
        self.protocols = self.d.intern_atom("WM_PROTOCOLS")
        self.ping_atom = self.d.intern_atom("_NET_WM_PING")
        # Every key of the layout, by keycode.
        XK.load_keysym_group("xf86")
        XK.load_keysym_group("xkb")
        names = {v: n[3:] for n, v in vars(XK).items() if n.startswith("XK_")}
        first = self.d.display.info.min_keycode
        mapping = self.d.get_keyboard_mapping(first, self.d.display.info.max_keycode - first + 1)
        self.keys = [(first + i, names.get(syms[0], hex(syms[0])))
                     for i, syms in enumerate(mapping) if syms[0]]

    def keycode(self, name):
        return self.d.keysym_to_keycode(XK.string_to_keysym(name))

    def key(self, keycode, modifiers):
        # A real chord through the XTEST extension, as a hand presses it.
        held = [self.keycode(m) for m in modifiers]
        for code in held + [keycode]:
            xtest.fake_input(self.d, X.KeyPress, code)
        for code in [keycode] + held[::-1]:
            xtest.fake_input(self.d, X.KeyRelease, code)
        self.d.sync()

    def windows(self, pid=None, name=None):
        out = xdotool("search", "--all", "--onlyvisible", *(["--pid", pid] if pid else []),
                      "--name", "^%s$" % name if name else ".")  # names without regex signs
        return [int(w) for w in out.split()]

    def ping(self, window, limit):
        # Seconds until the program answers _NET_WM_PING, or None past twice the limit.
        stamp = int(time.time() * 1000) & 0xFFFFFFFF
        target = self.d.create_resource_object("window", window)
        target.send_event(protocol.event.ClientMessage(
            window=target, client_type=self.protocols,
            data=(32, [self.ping_atom, stamp, window, 0, 0])), event_mask=0)
        self.d.flush()
        start = time.monotonic()
        while time.monotonic() - start < 2 * limit:
            select.select([self.d], [], [], 0.05)
            while self.d.pending_events():  # never waits for an event that may not come
                e = self.d.next_event()
                if e.type == X.ClientMessage and list(e.data[1][:2]) == [self.ping_atom, stamp]:
                    return time.monotonic() - start
        return None


class Clipboard:
    # The clipboard and the primary selection, set from outside: each owned by an xclip of its
    # own, or by nobody (empty) once that xclip has ended.

    PNG = bytes.fromhex("89504e470d0a1a0a0000000d4948445200000001000000010806000000"
                        "1f15c4890000000d49444154789c6360f8cfc0f01f0005000201a5d8"
                        "a85e0000000049454e44ae426082")

    def __init__(self, folder):
        self.owners, self.files = {}, {}
        contents = {
            "text": ("UTF8_STRING", b"pasted text"),
            "image": ("image/png", self.PNG),
            "rich": ("text/html", b"<b>rich</b> <i>text</i><img src='x.png'>"),
            "huge": ("UTF8_STRING", b"".join(b"huge line %d %s\n" % (i, b"x" * 1000)
                                             for i in range(2000))),
            "control": ("UTF8_STRING", "".join(map(chr, range(1, 0x250))).encode()),
        }
        for state, (target, data) in contents.items():
            path = os.path.join(folder, "clipboard-" + state)
            with open(path, "wb") as f:
                f.write(data)
            self.files[state] = (target, path)

    def set(self, selection, state):
        owner = self.owners.pop(selection, None)
        if owner:
            owner.kill()
            owner.wait()
        if state != "empty":
            target, path = self.files[state]
            self.owners[selection] = subprocess.Popen(
                ["xclip", "-quiet", "-selection", selection, "-t", target, "-i", path],
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def stop(self):
        for selection in list(self.owners):
            self.set(selection, "empty")


def rss_mb(pid):
    with open("/proc/%d/status" % pid) as f:
        found = re.search(r"VmRSS:\s+(\d+)", f.read())  # none once it has ended
        return int(found.group(1)) // 1024 if found else 0


def check_captures(home, unit):
    # Every capture file is made of the unit's lines, whole or cut at a switch or a CR, and
    # trailers (empty lines); the lines of one file come in the order they were sent. Returns
    # how many whole lines the files hold.
    whole, everything = 0, "\n".join(unit.sent.values())  # a file holds no LF
    for folder, _, files in os.walk(home):
        for name in (name for name in files if name.endswith(".txt")):
            path = os.path.join(folder, name)
            data = open(path, "rb").read().decode("latin-1")
            last = 0
            for piece in data.split("\r\n"):
                m = re.match(r"L(\d{7}) ", piece)
                if m and int(m.group(1)) in unit.sent and piece == unit.sent[int(m.group(1))]:
                    if int(m.group(1)) <= last:
                        raise Failure("%s: line %s out of order" % (path, m.group(1)))
                    last, whole = int(m.group(1)), whole + 1
                elif piece and piece not in everything:
                    raise Failure("%s holds what the unit never sent: %r" % (path, piece[:80]))
    return whole


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def main():
    rng = random.Random(SEED)
    session = Session("monkey-", "1024x768x24")
    home = session.home
    # The program runs as nobody, with a home of its own: random keys in its save dialog can
    # walk to any folder and delete what is there (Delete, then Y), which nobody may not.
    os.chmod(session.scratch, 0o755)
    for folder in (home, os.path.join(home, "Desktop")):
        os.chown(folder, NOBODY, -1)
    session.start_window_manager(keys=False)
    unit = Unit(os.path.join(session.ports, "com1"), rng)
    screen = Screen()
    clipboard = Clipboard(session.scratch)
    env = dict(session.env, ASAN_OPTIONS=os.environ.get("ASAN_OPTIONS", "") +
               ":quarantine_size_mb=32")
    log = open(os.path.join(session.scratch, "terminal.log"), "wb")
    program, window, losses, history = None, None, 0, []
    worst = {"ping": 0.0, "rss": 0, "runs": 0, "captured": 0, "quiet": 0.0}

    def start():
        nonlocal program, window
        program = subprocess.Popen([TERMINAL], env=env, stdout=log, stderr=log, user=NOBODY,
                                   cwd=home)
        worst["runs"] += 1
        for _ in range(200):
            found = screen.windows(program.pid, "Brenix Terminal V1.0")
            if found:
                window = found[0]
                return
            if screen.windows(program.pid):  # a box before the window (no port): answered
                xdotool("key", "Return")
            time.sleep(0.05)
        raise Failure("the window did not appear")

    def ended():
        # The program ended: by File, Exit (code 0) its files must hold; otherwise it failed.
        worst["captured"] = check_captures(home, unit)
        if program.returncode != 0:
            raise Failure("the program ended with %d" % program.returncode)

    def act(event):
        nonlocal losses
        kind, arg = event
        if kind == "key":
            screen.key(arg[0][0], arg[1])
        elif kind == "click":  # anywhere in the active window
            g = dict(re.findall(r"(\w+)=(\d+)", xdotool("getactivewindow", "getwindowgeometry",
                                                         "--shell")))
            if g:
                xdotool("mousemove", int(g["X"]) + int(arg[0] * int(g["WIDTH"])),
                        int(g["Y"]) + int(arg[1] * int(g["HEIGHT"])), "click", arg[2])
        elif kind == "control":
            xdotool("mousemove", "--window", window, arg[0], arg[1] + MENU_BAR, "click", arg[2])
        elif kind == "clipboard":
            clipboard.set(*arg)
        elif kind == "resize":
            xdotool("windowsize", window, *arg)
        elif kind == "cable" and arg == "unplug" and unit.master is not None:
            unit.unplug()
            losses += 1
        elif kind == "cable" and arg == "plug" and unit.master is None:
            unit.plug()
        elif kind in ("line", "flood", "garbage", "nul", "banner"):
            unit.send(kind)
        elif kind == "pause":
            time.sleep(arg)

    def pastes():
        # Every way to paste into the pane, with the clipboard (and the selection the middle
        # button pastes) in each state, and emptied by the program's own Copy of nothing.
        pane = (200, 208 + MENU_BAR)
        ways = {"Ctrl+V": lambda: screen.key(screen.keycode("v"), ["Control_L"]),
                "Shift+Insert": lambda: screen.key(screen.keycode("Insert"), ["Shift_L"]),
                "the middle button": lambda: xdotool("mousemove", "--window", window, *pane,
                                                     "click", 2),
                "the context menu": lambda: (xdotool("mousemove", "--window", window, *pane,
                                                     "click", 3), time.sleep(0.3),
                                             xdotool("key", "p", "Escape"))}
        for state in CLIPBOARD + ["copied nothing"]:
            for selection in ("clipboard", "primary"):
                clipboard.set(selection, "empty" if state == "copied nothing" else state)
            if state == "copied nothing":
                xdotool("key", "alt+e", "c")
            for way, paste in ways.items():
                xdotool("mousemove", "--window", window, *pane, "click", 1)
                paste()
                time.sleep(0.3)
                if program.poll() is not None:
                    raise Failure("a paste by %s with the clipboard %s ended the program with "
                                  "%d" % (way, state, program.returncode))

    try:
        start()
        pastes()
        for n in range(EVENTS):
            r = rng.random()
            kind, draw = next((kind, draw) for share, kind, draw in EVENT_KINDS if r < share)
            event = (kind, draw(rng) if draw else None)
            if kind == "key":  # by name, as the history shows it
                event = (kind, (screen.keys[int(event[1][0] * len(screen.keys))], event[1][1]))
            history.append(event)
            act(event)
            unit.pump()
            time.sleep(0.01)
            if program.poll() is not None:
                ended()
                start()
            if n % 10 == 0 and program.poll() is None:  # one that just ended is seen above
                # Answering a banner blocks the window for 1.25 s by design.
                limit = PING_LIMIT + (1.25 if time.monotonic() - unit.banner_at < 3 else 0)
                answered = screen.ping(window, limit)
                if answered is None or answered > limit:  # a blip of a loaded machine passes,
                    again = screen.ping(window, limit)    # a window that stays late does not
                    if program.poll() is not None:  # it ended meanwhile: seen at the next event
                        continue
                    if again is None or again > limit:
                        raise Failure("the window did not answer within %.2f s" % limit)
                    answered = answered or 2 * limit
                worst["ping"] = max(worst["ping"], answered)
                worst["rss"] = max(worst["rss"], rss_mb(program.pid))
                if worst["rss"] > MEMORY_LIMIT_MB:
                    raise Failure("resident memory %d MiB" % worst["rss"])
                boxes = len(screen.windows(program.pid, LOSS_BOX))
                if boxes > 1:
                    raise Failure("%d device-loss boxes at once" % boxes)
        # Quiet: the boxes answered, the port open, the pane full of a NUL run and garbage with
        # its insertion point blinking; then the unit says nothing while the CPU is measured.
        if unit.master is None:
            unit.plug()
        for _ in range(3):
            xdotool("key", "Escape")
        xdotool("windowactivate", "--sync", window)
        xdotool("windowsize", window, 700, 500)
        xdotool("mousemove", "--window", window, 88, 14 + MENU_BAR, "click", 1)  # Open
        time.sleep(0.5)
        unit.send("nul", 16384)
        unit.send("garbage", 32768)
        for _ in range(1000):
            unit.pump()
            if not unit.out:
                break
            time.sleep(0.01)
        xdotool("mousemove", "--window", window, 200, 208 + MENU_BAR, "click", 1)  # the pane
        time.sleep(2)
        before, start_at = cpu_seconds(program.pid), time.monotonic()
        time.sleep(5)
        worst["quiet"] = 100 * (cpu_seconds(program.pid) - before) / (time.monotonic() - start_at)
        if worst["quiet"] > QUIET_CPU_LIMIT:
            raise Failure("the quiet program used %.1f %% of a core" % worst["quiet"])
        # The end: every box and dialog answered, then File, Exit.
        for _ in range(20):
            if program.poll() is not None:
                break
            xdotool("key", "Escape")
            xdotool("windowactivate", "--sync", window)
            xdotool("key", "alt+f", "x")
            time.sleep(0.5)
        if program.poll() is None:
            raise Failure("File, Exit did not end the program")
        ended()
    except Failure as failure:
        print("FAIL: %s" % failure)
        print("seed %d, after %d of %d events; the last events:" % (SEED, len(history), EVENTS))
        for event in history[-25:]:
            print("    %r" % (event,))
        print("the program's output is in %s" % log.name)
        if program and program.poll() is None:
            program.kill()
        return 1
    finally:
        clipboard.stop()
        session.stop()
    print("seed %d: %d events, %d runs of the program, %d unplugs, %d lines sent, %d captured; "
          "slowest answer %.3f s, most memory %d MiB, quiet CPU %.2f %%" % (
              SEED, EVENTS, worst["runs"], losses, unit.count, worst["captured"], worst["ping"],
              worst["rss"], worst["quiet"]))
    print("1 passed, 0 failed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
