#!/usr/bin/python3
"""The window on real kernel serial drivers: tst_guest inside a QEMU guest (TCG) booted from
Debian's own kernel package and a busybox initramfs, with QEMU's FTDI adapter (usb-serial behind
qemu-xhci, /dev/ttyUSB0, port 5) and a second 16550 UART (/dev/ttyS1, port 2). The host plays
the unit: it streams numbered lines, pulls the adapter out over QMP mid-stream and plugs it back,
and closes and reopens the UART's far end. The guest's usbmon records what the driver received,
so the capture is judged against the kernel's own account.

    vm_test.py TST_GUEST     (downloads are cached in $BRENIX_VM_CACHE, else ~/.cache)
"""
import base64
import errno
import glob
import json
import os
import queue
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import termios
import threading
import time
import tty

CACHE = os.environ.get("BRENIX_VM_CACHE",
                       os.path.expanduser("~/.cache/brenix-terminal/vm"))
MODULES = ["usb-common", "usbcore", "xhci-hcd", "xhci-pci", "usbserial", "ftdi_sio", "usbmon"]
QT_PLUGINS = "/usr/lib/x86_64-linux-gnu/qt6/plugins"
FONTS = ["/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
         "/usr/share/fonts/truetype/liberation/LiberationMono-Regular.ttf"]
# Bytes the driver had this long before the adapter went must reach the capture; later ones
# may still be in the kernel's hands when it hangs the line up.
SETTLE_S = 0.025

INIT = r"""#!/bin/busybox sh
/bin/busybox --install -s /bin
mkdir -p /proc /sys /dev /tmp
mount -t proc proc /proc; mount -t sysfs sys /sys; mount -t devtmpfs dev /dev
mount -t tmpfs tmp /tmp
for m in %s; do insmod /modules/$m.ko; done
i=0; while [ ! -e /dev/ttyUSB0 ] || [ ! -e /dev/usbmon0 ]; do
  i=$((i+1)); [ $i -gt 300 ] && echo "vm: no /dev/ttyUSB0" && poweroff -f; sleep 0.1; done
cat /dev/usbmon0 > /tmp/usbmon &
cd /tmp && HOME=/tmp QT_QPA_PLATFORM=offscreen QT_QPA_PLATFORM_PLUGIN_PATH=/qt/platforms \
  /guest/tst_guest -maxwarnings 0
rc=$?
sleep 0.2; base64 /tmp/usbmon | sed 's/^/vm: usbmon /'
echo "vm: exit $rc"
poweroff -f
""" % " ".join(MODULES)


def kernel():
    """Debian's current amd64 kernel, downloaded once and unpacked into the cache."""
    os.makedirs(CACHE, exist_ok=True)
    depends = subprocess.run(["apt-cache", "depends", "linux-image-amd64"], check=True,
                             capture_output=True, text=True).stdout
    package = next(l.split()[-1] for l in depends.splitlines() if "Depends:" in l)
    root = os.path.join(CACHE, package)
    if not os.path.isdir(root):
        if not glob.glob(os.path.join(CACHE, package + "_*.deb")):
            subprocess.run(["apt-get", "download", package], cwd=CACHE, check=True)
        deb = glob.glob(os.path.join(CACHE, package + "_*.deb"))[0]
        subprocess.run(["dpkg-deb", "-x", deb, root + ".part"], check=True)
        os.rename(root + ".part", root)
    return glob.glob(root + "/boot/vmlinuz-*")[0], root


def closure(binary):
    """The shared libraries `binary` loads, with the loader."""
    out = subprocess.run(["ldd", binary], check=True, capture_output=True, text=True).stdout
    return [w for l in out.splitlines() for w in l.split() if w.startswith("/")]


def initramfs(guest, modules_root, folder):
    def put(src, dst=None):
        dst = os.path.join(folder, (dst or src).lstrip("/"))
        os.makedirs(os.path.dirname(dst), exist_ok=True)
        shutil.copy(src, dst)

    put("/bin/busybox")
    put(guest, "/guest/tst_guest")
    offscreen = QT_PLUGINS + "/platforms/libqoffscreen.so"
    put(offscreen, "/qt/platforms/libqoffscreen.so")
    for lib in set(closure(guest) + closure(offscreen)):
        put(lib)
    for name in MODULES:
        put(glob.glob(f"{modules_root}/lib/modules/*/kernel/**/{name}.ko", recursive=True)[0],
            f"/modules/{name}.ko")
    shutil.copytree("/etc/fonts", os.path.join(folder, "etc/fonts"))
    for font in FONTS:
        put(font)
    with open(os.path.join(folder, "init"), "w") as f:
        f.write(INIT)
    os.chmod(os.path.join(folder, "init"), 0o755)
    image = folder + ".cpio"
    files = subprocess.run(["find", "."], cwd=folder, check=True, capture_output=True).stdout
    with open(image, "wb") as out:
        subprocess.run(["busybox", "cpio", "-o", "-H", "newc"], cwd=folder, input=files,
                       stdout=out, stderr=subprocess.DEVNULL, check=True)
    return image


class Qmp:
    def __init__(self, path):
        for _ in range(100):
            try:
                self.sock = socket.socket(socket.AF_UNIX)
                self.sock.connect(path)
                break
            except OSError:
                time.sleep(0.1)
        self.lines = self.sock.makefile("r")
        self.lines.readline()
        self("qmp_capabilities")

    def __call__(self, command, **arguments):
        self.sock.sendall(json.dumps({"execute": command, "arguments": arguments}).encode())
        while True:
            answer = json.loads(self.lines.readline())
            if "error" in answer:
                sys.exit(f"QMP {command}: {answer['error']}")
            if "return" in answer:
                return answer["return"]


class Guest:
    """QEMU's console: lines 'vm: ...' from the guest, with everything kept for a failure."""

    def __init__(self, process):
        self.said = queue.Queue()
        self.log = []
        threading.Thread(target=self.read, args=(process.stdout,), daemon=True).start()

    def read(self, stream):
        for raw in stream:
            line = raw.decode(errors="replace").rstrip("\r\n")
            self.log.append(line)
            if line.startswith("vm: "):
                self.said.put(line[4:])
            elif line.startswith("FAIL!"):
                self.said.put("failed")

    def expect(self, word, timeout=120):
        deadline = time.monotonic() + timeout
        while True:
            try:
                line = self.said.get(timeout=max(0.1, deadline - time.monotonic()))
            except queue.Empty:
                fail(f"the guest never said {word!r}", self)
            if line.split(" ")[0] == word or line == word:
                return line[len(word):].strip()
            if line.startswith("exit") or line == "failed":
                fail(f"the guest failed before it said {word!r}", self)


def fail(message, guest=None):
    if guest:
        print("\n".join(l for l in guest.log if not l.startswith("vm: usbmon")))
    print("FAIL:", message)
    sys.exit(1)


def stream(write, prefix, count, end=b""):
    """Numbered lines, one every 10 ms (38,400 baud at most): what was written."""
    sent = b""
    for i in range(1, count + 1):
        line = b"%s%04d\r\n" % (prefix, i)
        write(line)
        sent += line
        time.sleep(0.01)
    if end:
        write(end)
    return sent + end


def received(usbmon):
    """The FTDI adapter's bulk-in data as the guest's driver took it before the adapter went,
    as (seconds, payload) per transfer, and when it went (the transfer that found it gone)."""
    chunks, gone, at = [], None, 0
    while at + 48 <= len(usbmon) and gone is None:
        kind, xfer, ep, sec, usec, status, _, captured = struct.unpack_from(
            "<8xcBB5xqiiII", usbmon, at)
        data = usbmon[at + 48:at + 48 + captured]
        at += 48 + captured
        if kind != b"C" or xfer != 3 or not ep & 0x80:
            continue
        if status == -errno.ESHUTDOWN:
            gone = sec + usec / 1e6
        elif status == 0:
            # Every 64-byte packet starts with two status bytes of the adapter's.
            chunks.append((sec + usec / 1e6,
                           b"".join(data[i + 2:i + 64] for i in range(0, len(data), 64))))
    return chunks, gone


def main():
    guest_binary = sys.argv[1]
    vmlinuz, modules_root = kernel()
    work = tempfile.mkdtemp(prefix="brenix-vm-")
    image = initramfs(guest_binary, modules_root, os.path.join(work, "root"))
    qmp_path, uart_path = os.path.join(work, "qmp"), os.path.join(work, "uart")
    usb_serial = dict(driver="usb-serial", chardev="usb", id="ftdi", bus="xhci.0")
    qemu = subprocess.Popen(
        ["qemu-system-x86_64", "-S", "-accel", "tcg", "-m", "1024", "-nodefaults",
         "-display", "none", "-no-reboot", "-kernel", vmlinuz, "-initrd", image,
         "-append", "console=ttyS0 quiet loglevel=1 panic=-1",
         "-serial", "stdio", "-chardev", f"socket,id=uart,path={uart_path},server=on,wait=off",
         "-serial", "chardev:uart", "-chardev", "pty,id=usb", "-device", "qemu-xhci,id=xhci",
         "-device", "usb-serial,chardev=usb,id=ftdi,bus=xhci.0",
         "-qmp", f"unix:{qmp_path},server=on,wait=off"],
        stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    try:
        qmp = Qmp(qmp_path)
        pty = next(c["filename"][4:] for c in qmp("query-chardev") if c["label"] == "usb")
        # QEMU plugs its adapter in only while somebody holds the pseudo-terminal open.
        usb = os.open(pty, os.O_RDWR | os.O_NOCTTY)
        tty.setraw(usb)
        guest = Guest(qemu)
        started = time.monotonic()
        qmp("cont")

        guest.expect("ready", timeout=180)
        print(f"guest up in {time.monotonic() - started:.1f} s")
        sent = stream(lambda b: os.write(usb, b), b"A", 150)
        qmp("device_del", id="ftdi")
        termios.tcflush(usb, termios.TCOFLUSH)  # what QEMU's adapter had not taken goes with it
        guest.expect("lost")
        print(f"usb: {guest.expect('rested')} s of CPU in the 10 s after the loss")
        before_loss = base64.b64decode(guest.expect("capture"))
        guest.expect("unplugged")
        qmp("device_add", **usb_serial)
        guest.expect("ready-again")
        after = stream(lambda b: os.write(usb, b), b"B", 50, b"END\r\n")
        usb_capture = base64.b64decode(guest.expect("capture"))

        guest.expect("ready")
        far_end = socket.socket(socket.AF_UNIX)
        far_end.connect(uart_path)
        uart_sent = stream(far_end.sendall, b"C", 100, b"PAUSE\r\n")
        far_end.close()
        guest.expect("closed")
        print(f"uart: {guest.expect('rested')} s of CPU in the 10 s after the close")
        guest.expect("ready-again")
        far_end = socket.socket(socket.AF_UNIX)
        far_end.connect(uart_path)
        uart_sent += stream(far_end.sendall, b"D", 20, b"END\r\n")
        uart_capture = base64.b64decode(guest.expect("capture"))
        usbmon = b""
        while True:
            line = guest.said.get(timeout=60)
            if line.startswith("usbmon "):
                usbmon += base64.b64decode(line[7:])
            elif line.startswith("exit"):
                break
        if line != "exit 0":
            fail("the guest's test failed", guest)
        print(f"guest done in {time.monotonic() - started:.1f} s")
    finally:
        qemu.kill()
        qemu.wait()
        shutil.rmtree(work, ignore_errors=True)

    chunks, gone = received(usbmon)
    driver = b"".join(c for _, c in chunks)
    if gone is None:
        fail("the guest's usbmon never saw the adapter go")
    must = b"".join(c for t, c in chunks if t <= gone - SETTLE_S)
    print(f"usb: sent {len(sent)} bytes, the driver received {len(driver)}, "
          f"{len(must)} of them {SETTLE_S * 1000:.0f} ms before the adapter went; "
          f"captured {len(before_loss)}; the last transfer {(gone - chunks[-1][0]) * 1000:.0f} ms "
          f"before the adapter went")
    if not sent.startswith(driver):
        fail(f"the driver's bytes are not what was sent: {driver[-40:]!r}")
    if not sent.startswith(before_loss):
        fail(f"the capture is not what was sent: ...{before_loss[-40:]!r}")
    if len(before_loss) < len(must):
        fail(f"the capture ends {len(must) - len(before_loss)} bytes early, at "
             f"{before_loss[-16:]!r}; the driver had {must[len(before_loss):][:40]!r}")
    if usb_capture != before_loss + after:
        fail(f"after the adapter came back the capture is not the stream: "
             f"{usb_capture[len(before_loss):][:60]!r}")
    if uart_capture != uart_sent:
        fail(f"the UART's capture is not what was sent ({len(uart_capture)} of "
             f"{len(uart_sent)} bytes)")
    print("PASS")


if __name__ == "__main__":
    main()
