# The X session the window tests run under: Xvfb on the first free display, checked to take
# connections (a server that finds a stale socket of an earlier one can name its display, then
# quit), started again if not; openbox managing the windows; a scratch folder with the port
# folder and a home with its Desktop, and the program's environment that points at them.
import os
import signal
import subprocess
import tempfile
import time


def start_xvfb(size):
    """Starts Xvfb in a process group of its own; returns the process and sets DISPLAY."""
    log = tempfile.TemporaryFile()
    for _ in range(5):
        read, write = os.pipe()
        server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", size,
                                   "-nolisten", "tcp"], pass_fds=(write,),
                                  stdout=subprocess.DEVNULL, stderr=log, process_group=0)
        os.close(write)
        # Up to the line's end: Xvfb writes the number and the newline apart, and dies when the
        # pipe is gone before the second.
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(read, 16)
            if not chunk:
                break
            number += chunk
        number = number.decode().strip()
        os.close(read)
        os.environ["DISPLAY"] = ":" + number
        end = time.monotonic() + 10
        while number and server.poll() is None and time.monotonic() < end:
            if subprocess.run(["xdotool", "getdisplaygeometry"],
                              capture_output=True).returncode == 0:
                return server
            time.sleep(0.2)
        end_process(server)
    log.seek(0)
    raise RuntimeError("Xvfb did not start:\n" + log.read().decode(errors="replace"))


def end_process(p):
    # The whole process group, gently first: a server killed outright leaves its lock behind.
    try:
        os.killpg(p.pid, signal.SIGTERM)
        p.wait(5)
    except subprocess.TimeoutExpired:
        os.killpg(p.pid, signal.SIGKILL)
        p.wait()
    except ProcessLookupError:
        p.wait()


class Session:
    def __init__(self, prefix, size="1280x1024x24"):
        self.scratch = tempfile.mkdtemp(prefix=prefix)
        self.ports, self.home = (os.path.join(self.scratch, d) for d in ("ports", "home"))
        os.makedirs(self.ports)
        os.makedirs(os.path.join(self.home, "Desktop"))
        self.procs = [start_xvfb(size)]
        self.env = dict(os.environ, BRENIX_PORT_DIR=self.ports, HOME=self.home,
                        XDG_CONFIG_HOME=self.home + "/.config")
        self.env.pop("QT_QPA_PLATFORM", None)

    def start(self, argv, **kw):
        # Each in a process group of its own, which stop() ends whole (the AT-SPI bus launcher
        # starts a bus daemon of its own).
        p = subprocess.Popen(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                             process_group=0, **kw)
        self.procs.append(p)
        return p

    def start_until(self, argv, ready, seconds=10):
        # Started again, up to three times, when it has not come up doing its part in time.
        for _ in range(3):
            p, end = self.start(argv), time.monotonic() + seconds
            while time.monotonic() < end:
                if ready():
                    return p
                time.sleep(0.1)
            end_process(p)
            self.procs.remove(p)
        return p

    def start_window_manager(self, keys=True):
        # It activates a new window, as the tests rely on; once in a CI run it was not managing
        # yet when the program's window came. keys=False: openbox takes no key for itself (its
        # own bindings would close the window or switch desktops on random chords).
        argv = ["openbox"]
        if not keys:
            rc = os.path.join(self.scratch, "openbox.xml")
            with open(rc, "w") as f:
                f.write('<openbox_config xmlns="http://openbox.org/3.4/rc"><keyboard/>'
                        '</openbox_config>\n')
            argv += ["--config-file", rc]
        self.start_until(argv, lambda: "window id" in subprocess.run(
            ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], capture_output=True, text=True).stdout)

    def stop(self):
        for p in reversed(self.procs):
            end_process(p)
