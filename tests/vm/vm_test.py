#!/usr/bin/python3
# The window on real kernel serial drivers: tst_guest inside a QEMU guest (TCG) booted from
# Debian's own kernel package and a busybox initramfs, with QEMU's FTDI adapter (usb-serial behind
# qemu-xhci, /dev/ttyUSB0, port 5) and a second 16550 UART (/dev/ttyS1, port 2). The host plays
# the unit: it streams numbered lines, pulls the adapter out over QMP mid-stream and plugs it back,
# and closes and reopens the UART's far end. The guest's usbmon records what the driver received,
# so the capture is judged against the kernel's own account.
#
#     vm_test.py TST_GUEST     (downloads are cached in $BRENIX_VM_CACHE, else ~/.cache)
import base64
import errno
import glob
import json
import os
import select
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import termios
import time
import tty

CACHE = os.environ.get("BRENIX_VM_CACHE", os.path.expanduser("~/.cache/brenix-terminal/vm"))
MODULES = ["usb-common", "usbcore", "xhci-hcd", "xhci-pci", "usbserial", "ftdi_sio", "usbmon"]
FONTS = "/usr/share/fonts/truetype/liberation/Liberation%s-Regular.ttf"
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
  i=$((i+1)); [ $i -gt 300 ] && echo "vm: exit no /dev/ttyUSB0" && poweroff -f; sleep 0.1; done
cat /dev/usbmon0 > /tmp/usbmon &
cd /tmp && HOME=/tmp QT_QPA_PLATFORM=offscreen QT_QPA_PLATFORM_PLUGIN_PATH=/qt/platforms \
  /guest/tst_guest -maxwarnings 0
rc=$?
sleep 0.2; base64 /tmp/usbmon | sed 's/^/vm: usbmon /'
echo "vm: exit $rc"
poweroff -f
""" % " ".join(MODULES)


def kernel(updated=False):
    # Debian's current amd64 kernel, downloaded once and unpacked into the cache.
    os.makedirs(CACHE, exist_ok=True)
    depends = subprocess.run(["apt-cache", "depends", "linux-image-amd64"],
                             capture_output=True, text=True).stdout
    if "Depends:" not in depends and not updated:  # package lists never fetched here
        subprocess.run(["apt-get", "update", "-q"], check=True)
        return kernel(True)
    package = next(l.split()[-1] for l in depends.splitlines() if "Depends:" in l)
    root = os.path.join(CACHE, package)
    if not os.path.isdir(root):
        if not glob.glob(f"{CACHE}/{package}_*.deb"):
            subprocess.run(["apt-get", "download", package], cwd=CACHE, check=True)
        subprocess.run(["dpkg-deb", "-x", glob.glob(f"{CACHE}/{package}_*.deb")[0],
                        root + ".part"], check=True)
        os.rename(root + ".part", root)
    return glob.glob(root + "/boot/vmlinuz-*")[0], root


def initramfs(guest, modules, folder):
    # busybox, the modules, tst_guest with its libraries, Qt's offscreen plugin, two fonts.
    def put(src, dst=None):
        dst = os.path.join(folder, (dst or src).lstrip("/"))
        os.makedirs(os.path.dirname(dst), exist_ok=True)
        shutil.copy(src, dst)

    offscreen = "/usr/lib/x86_64-linux-gnu/qt6/plugins/platforms/libqoffscreen.so"
    copies = {"/bin/busybox": None, guest: "/guest/tst_guest",
              offscreen: "/qt/platforms/libqoffscreen.so", FONTS % "Sans": None,
              FONTS % "Mono": None}
    for binary in (guest, offscreen):
        ldd = subprocess.run(["ldd", binary], check=True, capture_output=True, text=True).stdout
        copies.update((w, None) for w in ldd.split() if w.startswith("/"))
    for name in MODULES:
        copies[glob.glob(f"{modules}/lib/modules/*/kernel/**/{name}.ko", recursive=True)[0]] = \
            f"/modules/{name}.ko"
    for src, dst in copies.items():
        put(src, dst)
    shutil.copytree("/etc/fonts", os.path.join(folder, "etc/fonts"))
    with open(os.path.join(folder, "init"), "w") as f:
        f.write(INIT)
    os.chmod(os.path.join(folder, "init"), 0o755)
    files = subprocess.run(["find", "."], cwd=folder, check=True, capture_output=True).stdout
    with open(folder + ".cpio", "wb") as out:
        subprocess.run(["busybox", "cpio", "-o", "-H", "newc"], cwd=folder, input=files,
                       stdout=out, stderr=subprocess.DEVNULL, check=True)
    return folder + ".cpio"


class Qmp:
    def __init__(self, path):
        self.sock = socket.socket(socket.AF_UNIX)
        for _ in range(100):
            if self.sock.connect_ex(path) == 0:
                break
            time.sleep(0.1)
        self.lines = self.sock.makefile("r")
        self.lines.readline()
        self("qmp_capabilities")

    def __call__(self, command, **arguments):
        self.sock.sendall(json.dumps({"execute": command, "arguments": arguments}).encode())
        while True:
            answer = json.loads(self.lines.readline())
            if "error" in answer or "return" in answer:
                return answer.get("return") if "return" in answer else fail(answer["error"])


class Guest:
    # QEMU's console: what the guest says in lines 'vm: WORD ...', the rest kept for a failure.

    def __init__(self, process):
        self.out, self.log, self.buffer, self.usbmon = process.stdout, [], b"", b""

    def expect(self, word, timeout=120):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if b"\n" not in self.buffer:
                if select.select([self.out], [], [], 0.5)[0]:
                    self.buffer += os.read(self.out.fileno(), 65536) or fail("QEMU ended", self)
                continue
            line, self.buffer = self.buffer.split(b"\n", 1)
            line = line.decode(errors="replace").rstrip("\r")
            if line.startswith("vm: usbmon "):
                self.usbmon += base64.b64decode(line[11:])
                continue
            self.log.append(line)
            if line.startswith(f"vm: {word} ") or line == f"vm: {word}":
                return line[len(word) + 5:]
            if line.startswith(("vm: exit", "FAIL!")):
                fail(f"the guest failed before it said {word!r}", self)
        fail(f"the guest never said {word!r}", self)


def fail(message, guest=None):
    if guest:
        print("\n".join(guest.log))
    print("FAIL:", message)
    sys.exit(1)


def stream(write, prefix, count, end=b""):
    # Numbered lines, one every 10 ms (38,400 baud at most): what was written.
    sent = b""
    for i in range(1, count + 1):
        sent += b"%s%04d\r\n" % (prefix, i)
        write(sent[-7:])
        time.sleep(0.01)
    write(end)
    return sent + end


def received(usbmon):
    # The FTDI adapter's bulk-in data as the guest's driver took it before the adapter went,
    # as (seconds, payload) per transfer, and when it went (the transfer that found it gone).
    chunks, at = [], 0
    while at + 48 <= len(usbmon):
        kind, xfer, ep, sec, usec, status, _, captured = struct.unpack_from(
            "<8xcBB5xqiiII", usbmon, at)
        data = usbmon[at + 48:at + 48 + captured]
        at += 48 + captured
        if kind == b"C" and xfer == 3 and ep & 0x80 and status == -errno.ESHUTDOWN:
            return chunks, sec + usec / 1e6
        if kind == b"C" and xfer == 3 and ep & 0x80 and status == 0:
            # Every 64-byte packet starts with two status bytes of the adapter's.
            chunks.append((sec + usec / 1e6,
                           b"".join(data[i + 2:i + 64] for i in range(0, len(data), 64))))
    fail("the guest's usbmon never saw the adapter go")


def main():
    vmlinuz, modules = kernel()
    work = tempfile.mkdtemp(prefix="brenix-vm-")
    qmp_path, uart_path = os.path.join(work, "qmp"), os.path.join(work, "uart")
    qemu = subprocess.Popen(
        ["qemu-system-x86_64", "-S", "-accel", "tcg", "-m", "1024", "-nodefaults",
         "-display", "none", "-no-reboot", "-kernel", vmlinuz,
         "-initrd", initramfs(sys.argv[1], modules, os.path.join(work, "root")),
         "-append", "console=ttyS0 quiet loglevel=1 panic=-1",
         "-serial", "stdio", "-chardev", f"socket,id=uart,path={uart_path},server=on,wait=off",
         "-serial", "chardev:uart", "-chardev", "pty,id=usb", "-device", "qemu-xhci,id=xhci",
         "-device", "usb-serial,chardev=usb,id=ftdi,bus=xhci.0",
         "-qmp", f"unix:{qmp_path},server=on,wait=off"],
        stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    try:
        qmp, guest = Qmp(qmp_path), Guest(qemu)
        pty = next(c["filename"][4:] for c in qmp("query-chardev") if c["label"] == "usb")
        # QEMU plugs its adapter in only while somebody holds the pseudo-terminal open.
        usb = os.open(pty, os.O_RDWR | os.O_NOCTTY)
        tty.setraw(usb)
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
        qmp("device_add", driver="usb-serial", chardev="usb", id="ftdi", bus="xhci.0")
        guest.expect("ready-again")
        after = stream(lambda b: os.write(usb, b), b"B", 50, b"END\r\n")
        usb_capture = base64.b64decode(guest.expect("capture"))

        guest.expect("ready")
        uart_sent = b""
        for prefix, count, end, word in ((b"C", 100, b"PAUSE\r\n", "closed"),
                                         (b"D", 20, b"END\r\n", "capture")):
            far_end = socket.socket(socket.AF_UNIX)
            far_end.connect(uart_path)
            uart_sent += stream(far_end.sendall, prefix, count, end)
            far_end.close()
            said = guest.expect(word)
            if word == "closed":
                print(f"uart: {guest.expect('rested')} s of CPU in the 10 s after the close")
                guest.expect("ready-again")
        uart_capture = base64.b64decode(said)
        if guest.expect("exit") != "0":
            fail("the guest's test failed", guest)
        print(f"guest done in {time.monotonic() - started:.1f} s")
    finally:
        qemu.kill()
        qemu.wait()
        shutil.rmtree(work, ignore_errors=True)

    chunks, gone = received(guest.usbmon)
    driver = b"".join(c for _, c in chunks)
    must = b"".join(c for t, c in chunks if t <= gone - SETTLE_S)
    print(f"usb: sent {len(sent)} bytes, the driver received {len(driver)}, {len(must)} of them "
          f"{SETTLE_S * 1000:.0f} ms before the adapter went (the last "
          f"{(gone - chunks[-1][0]) * 1000:.0f} ms before); captured {len(before_loss)}")
    if not sent.startswith(driver) or not sent.startswith(before_loss):
        fail(f"not what was sent: the driver's ...{driver[-20:]!r}, "
             f"the capture's ...{before_loss[-20:]!r}")
    if len(before_loss) < len(must):
        fail(f"the capture ends at ...{before_loss[-16:]!r}; the driver had "
             f"{must[len(before_loss):][:40]!r}")
    if usb_capture != before_loss + after:
        fail(f"after the replug: {usb_capture[len(before_loss):][:60]!r}")
    if uart_capture != uart_sent:
        fail(f"the UART's capture: {len(uart_capture)} of {len(uart_sent)} bytes")
    print("PASS")


if __name__ == "__main__":
    main()
