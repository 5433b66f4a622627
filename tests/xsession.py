# The X server the window tests run under: Xvfb on the first free display, checked to take
# connections (a server that finds a stale socket of an earlier one can name its display, then
# quit), started again if not.
import os
import subprocess
import tempfile
import time


def start_xvfb(size="1280x1024x24"):
    """Starts Xvfb in a process group of its own; returns the process and sets DISPLAY."""
    log = tempfile.TemporaryFile()
    for _ in range(5):
        read, write = os.pipe()
        server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", size,
                                   "-nolisten", "tcp"], pass_fds=(write,),
                                  stdout=subprocess.DEVNULL, stderr=log, process_group=0)
        os.close(write)
        number = os.read(read, 16).decode().strip()
        os.close(read)
        os.environ["DISPLAY"] = ":" + number
        end = time.monotonic() + 10
        while number and server.poll() is None and time.monotonic() < end:
            if subprocess.run(["xdotool", "getdisplaygeometry"],
                              capture_output=True).returncode == 0:
                return server
            time.sleep(0.2)
        server.kill()
        server.wait()
    log.seek(0)
    raise RuntimeError("Xvfb did not start:\n" + log.read().decode(errors="replace"))
