#!/usr/bin/env python3
"""A 2.4 GHz receiver emulated through /dev/uhid, for tests in the kernel guest.

The kernel sees a USB HID device (vendor 0x25A7, product 0x0178 unless --product says otherwise)
and gives it hidraw and input nodes like real hardware, so the program's enumeration, opening,
reading and writing all run against the real kernel.

Usage:
  uhid_receiver.py --variant a|b|c [--script FILE|-] [--log FILE] [--product N] [--duration MS]

Descriptor variants:
  a  one vendor collection: usage page 0xFF01, Usage 0, report 0x0A with 16 bytes each way
  b  a mouse collection (report 0x01: buttons, x, y) and the vendor collection of (a) in the
     same interface
  c  like b, but no Usage item before the vendor collection

Script, one command per line, '#' starts a comment; numbers are decimal or 0x hex:
  wait MS                      pause (events are answered and periodic reports go on meanwhile)
  wait-open MS                 pause until some program opened the device, at most MS
  wait-output MS [HEX...]      pause until an output report that starts with these bytes (any
                               output report when none are given) has come since the emulator
                               started, at most MS
  report STATUS KEY [DX] [DY] [BUTTONS]
                               one vendor report: 0x0A, then 16 bytes with the status in byte 1,
                               the key in byte 4, signed motion in bytes 6 and 7, buttons in byte 8
  raw HEX...                   exactly these bytes as one input report (report id first)
  rate N                       send the last vendor report again N times a second (0: stop), the
                               way a remote that is on keeps reporting
  mouse start [HZ]             mouse reports (report 0x01, no motion) HZ times a second (1000)
  mouse stop
  unplug                       UHID_DESTROY: the device disappears
  plug                         UHID_CREATE2 again with the same descriptor
  note WORD...                 a line "note WORD..." in the log, to find a moment of the script
  deaf                         from here on /dev/uhid is not read: the device stays, the kernel's
                               events (output reports among them) are left unread, and nothing is
                               sent any more, periodic reports neither; for a receiver that stops
                               taking output reports

After the script the device stays until --duration ends or SIGTERM/SIGINT arrives.

Log (--log, default standard output), one line per event from the kernel: CLOCK_MONOTONIC in
seconds with microseconds, the event name, and for output and set_report the bytes in hex:
  123.456789 output 0A 50 01 ...
The names are start, stop, open, close, output, get_report, set_report; get_report shows the
report number, set_report the report number and then the bytes. GET_REPORT and
SET_REPORT are answered at once with success and no data. The script's notes and "deaf" are
logged too. After "deaf", the events the kernel still holds when the emulator ends are logged
before the device goes, as "unread <name> ...", with the time they were read.

Exit status: 0 done, 1 /dev/uhid cannot be used, 2 bad arguments or script.
"""
import argparse
import os
import select
import signal
import struct
import sys
import time

UHID_DESTROY = 1
UHID_START = 2
UHID_STOP = 3
UHID_OPEN = 4
UHID_CLOSE = 5
UHID_OUTPUT = 6
UHID_GET_REPORT = 9
UHID_GET_REPORT_REPLY = 10
UHID_CREATE2 = 11
UHID_INPUT2 = 12
UHID_SET_REPORT = 13
UHID_SET_REPORT_REPLY = 14

UHID_DATA_MAX = 4096
HID_MAX_DESCRIPTOR_SIZE = 4096
# struct uhid_event: a u32 type and a packed union whose largest member is uhid_create2_req.
EVENT_SIZE = 4 + 128 + 64 + 64 + 2 + 2 + 4 + 4 + 4 + 4 + HID_MAX_DESCRIPTOR_SIZE

BUS_USB = 0x03
VENDOR = 0x25A7
VENDOR_REPORT_ID = 0x0A
MOUSE_REPORT_ID = 0x01

# Usage Page 0xFF01 ... Collection (Application), report 0x0A: 16 bytes in, 16 bytes out.
VENDOR_BODY = bytes([
    0xA1, 0x01,        # Collection (Application)
    0x85, 0x0A,        #   Report ID 0x0A
    0x15, 0x00,        #   Logical Minimum 0
    0x26, 0xFF, 0x00,  #   Logical Maximum 255
    0x75, 0x08,        #   Report Size 8
    0x95, 0x10,        #   Report Count 16
    0x09, 0x00,        #   Usage 0
    0x81, 0x02,        #   Input (Data, Variable, Absolute)
    0x09, 0x00,        #   Usage 0
    0x91, 0x02,        #   Output (Data, Variable, Absolute)
    0xC0,              # End Collection
])
VENDOR_PAGE = bytes([0x06, 0x01, 0xFF])  # Usage Page 0xFF01
VENDOR_USAGE = bytes([0x09, 0x00])       # Usage 0

MOUSE = bytes([
    0x05, 0x01,        # Usage Page (Generic Desktop)
    0x09, 0x02,        # Usage (Mouse)
    0xA1, 0x01,        # Collection (Application)
    0x85, 0x01,        #   Report ID 0x01
    0x09, 0x01,        #   Usage (Pointer)
    0xA1, 0x00,        #   Collection (Physical)
    0x05, 0x09,        #     Usage Page (Button)
    0x19, 0x01,        #     Usage Minimum 1
    0x29, 0x03,        #     Usage Maximum 3
    0x15, 0x00,        #     Logical Minimum 0
    0x25, 0x01,        #     Logical Maximum 1
    0x95, 0x03,        #     Report Count 3
    0x75, 0x01,        #     Report Size 1
    0x81, 0x02,        #     Input (Data, Variable, Absolute)
    0x95, 0x01,        #     Report Count 1
    0x75, 0x05,        #     Report Size 5
    0x81, 0x03,        #     Input (Constant): padding
    0x05, 0x01,        #     Usage Page (Generic Desktop)
    0x09, 0x30,        #     Usage (X)
    0x09, 0x31,        #     Usage (Y)
    0x15, 0x81,        #     Logical Minimum -127
    0x25, 0x7F,        #     Logical Maximum 127
    0x75, 0x08,        #     Report Size 8
    0x95, 0x02,        #     Report Count 2
    0x81, 0x06,        #     Input (Data, Variable, Relative)
    0xC0,              #   End Collection
    0xC0,              # End Collection
])

DESCRIPTORS = {
    "a": VENDOR_PAGE + VENDOR_USAGE + VENDOR_BODY,
    "b": MOUSE + VENDOR_PAGE + VENDOR_USAGE + VENDOR_BODY,
    "c": MOUSE + VENDOR_PAGE + VENDOR_BODY,
}

EVENT_NAMES = {UHID_START: "start", UHID_STOP: "stop", UHID_OPEN: "open", UHID_CLOSE: "close",
               UHID_OUTPUT: "output", UHID_GET_REPORT: "get_report", UHID_SET_REPORT: "set_report"}


class ScriptError(Exception):
    pass


def number(text):
    try:
        return int(text, 0)
    except ValueError:
        raise ScriptError("not a number: " + text) from None


def byte(text, signed=False):
    value = number(text)
    if signed and -128 <= value <= 127:
        return value & 0xFF
    if 0 <= value <= 255:
        return value
    raise ScriptError("not a byte: " + text)


def parse_script(text):
    """Returns (line number, command, arguments) for each command, checked before anything runs."""
    commands = []
    for lineno, line in enumerate(text.splitlines(), 1):
        words = line.split("#", 1)[0].split()
        if not words:
            continue
        cmd, args = words[0], words[1:]
        try:
            if cmd in ("wait", "wait-open", "rate"):
                if len(args) != 1 or number(args[0]) < 0:
                    raise ScriptError(cmd + " takes one number")
                args = [number(args[0])]
            elif cmd == "report":
                if not 2 <= len(args) <= 5:
                    raise ScriptError("report takes 2 to 5 numbers")
                data = bytearray(17)
                data[0] = VENDOR_REPORT_ID
                for value, offset, signed in zip(args, (1, 4, 6, 7, 8), (False, False, True, True, False)):
                    data[offset] = byte(value, signed)
                args = [bytes(data)]
            elif cmd == "raw":
                if not 1 <= len(args) <= 64:
                    raise ScriptError("raw takes 1 to 64 bytes")
                args = [bytes(byte(a) for a in args)]
            elif cmd == "mouse":
                if not args or args[0] not in ("start", "stop") or len(args) > 2:
                    raise ScriptError("mouse start [HZ] | mouse stop")
                hz = number(args[1]) if len(args) == 2 else 1000
                if args[0] == "start" and not 1 <= hz <= 10000:
                    raise ScriptError("mouse rate out of range")
                args = [args[0], hz]
            elif cmd == "wait-output":
                if not args or number(args[0]) < 0 or len(args) > 17:
                    raise ScriptError("wait-output takes a number and up to 16 bytes")
                args = [number(args[0]), bytes(byte(a) for a in args[1:])]
            elif cmd in ("unplug", "plug", "deaf"):
                if args:
                    raise ScriptError(cmd + " takes nothing")
            elif cmd == "note":
                if not args:
                    raise ScriptError("note takes a word or more")
                args = [" ".join(args)]
            else:
                raise ScriptError("unknown command " + cmd)
        except ScriptError as e:
            raise ScriptError("line %d: %s" % (lineno, e)) from None
        commands.append((lineno, cmd, args))
    return commands


class Receiver:
    def __init__(self, fd, descriptor, product, name, log):
        self.fd = fd
        self.descriptor = descriptor
        self.product = product
        self.name = name
        self.log = log
        self.created = False
        self.opened = False
        self.deaf = False
        self.outputs = []
        self.last_vendor = None
        self.rate_period = 0.0
        self.next_rate = None
        self.mouse_period = 0.0
        self.next_mouse = None

    def write(self, event_type, payload):
        buf = struct.pack("<I", event_type) + payload
        os.write(self.fd, buf + bytes(EVENT_SIZE - len(buf)))

    def create(self):
        name = self.name.encode()[:127]
        payload = struct.pack("<128s64s64sHHIIII", name, b"uhid-receiver/input0", b"",
                              len(self.descriptor), BUS_USB, VENDOR, self.product, 0x0100, 0)
        self.write(UHID_CREATE2, payload + self.descriptor)
        self.created = True

    def destroy(self):
        if self.created:
            self.write(UHID_DESTROY, b"")
        self.created = False
        self.opened = False

    def input(self, data):
        if self.created:
            self.write(UHID_INPUT2, struct.pack("<H", len(data)) + data)

    def note(self, name, data=None):
        line = "%.6f %s" % (time.clock_gettime(time.CLOCK_MONOTONIC), name)
        if data is not None:
            line += " " + " ".join("%02X" % b for b in data)
        self.log.write(line + "\n")
        self.log.flush()

    def handle_event(self, prefix=""):
        buf = os.read(self.fd, EVENT_SIZE)
        if len(buf) < 4:
            return
        (event_type,) = struct.unpack_from("<I", buf)
        name = EVENT_NAMES.get(event_type)
        if event_type == UHID_OUTPUT:
            # struct uhid_output_req: data[4096], u16 size, u8 rtype
            (size,) = struct.unpack_from("<H", buf, 4 + UHID_DATA_MAX)
            data = buf[4:4 + min(size, UHID_DATA_MAX)]
            self.outputs.append(data)
            self.note(prefix + name, data)
        elif event_type == UHID_GET_REPORT:
            req_id, rnum, _rtype = struct.unpack_from("<IBB", buf, 4)
            self.note(prefix + name, bytes([rnum]))
            self.write(UHID_GET_REPORT_REPLY, struct.pack("<IHH", req_id, 0, 0))
        elif event_type == UHID_SET_REPORT:
            req_id, rnum, _rtype, size = struct.unpack_from("<IBBH", buf, 4)
            self.note(prefix + name, bytes([rnum]) + buf[12:12 + min(size, UHID_DATA_MAX)])
            self.write(UHID_SET_REPORT_REPLY, struct.pack("<IH", req_id, 0))
        elif name:
            if event_type == UHID_OPEN:
                self.opened = True
            elif event_type == UHID_CLOSE:
                self.opened = False
            self.note(prefix + name)

    def log_unread(self):
        """After `deaf`: what the kernel still holds, logged before the device goes."""
        while self.deaf and self.created and select.select([self.fd], [], [], 0)[0]:
            self.handle_event("unread ")

    def run_until(self, deadline, until=None):
        """Answers the kernel and sends periodic reports until `deadline` or `until()` holds."""
        while True:
            now = time.monotonic()
            if (deadline is not None and now >= deadline) or (until and until()):
                return
            if self.deaf:
                # Nothing is read or sent: only the time passes (a signal ends the sleep).
                time.sleep(min(deadline - now, 3600) if deadline is not None else 3600)
                continue
            if self.next_mouse is not None and now >= self.next_mouse:
                self.input(bytes([MOUSE_REPORT_ID, 0, 0, 0]))
                # Keeps the rate over time; after a stall it resumes rather than catching up.
                self.next_mouse = max(self.next_mouse + self.mouse_period, now)
            if self.next_rate is not None and now >= self.next_rate and self.last_vendor:
                self.input(self.last_vendor)
                self.next_rate = max(self.next_rate + self.rate_period, now)
            wake = [t for t in (deadline, self.next_mouse, self.next_rate) if t is not None]
            timeout = max(0.0, min(wake) - time.monotonic()) if wake else None
            ready, _, _ = select.select([self.fd], [], [], timeout)
            if ready:
                self.handle_event()

    def play(self, commands):
        for _lineno, cmd, args in commands:
            if cmd == "wait":
                self.run_until(time.monotonic() + args[0] / 1000.0)
            elif cmd == "wait-open":
                self.run_until(time.monotonic() + args[0] / 1000.0, lambda: self.opened)
            elif cmd == "wait-output":
                prefix = args[1]
                self.run_until(time.monotonic() + args[0] / 1000.0,
                               lambda: any(out.startswith(prefix) for out in self.outputs))
            elif cmd == "note":
                self.note("note " + args[0])
            elif cmd == "deaf":
                self.deaf = True
                self.note("deaf")
            elif cmd in ("report", "raw"):
                if cmd == "report":
                    self.last_vendor = args[0]
                self.input(args[0])
            elif cmd == "rate":
                self.rate_period = 1.0 / args[0] if args[0] else 0.0
                self.next_rate = time.monotonic() + self.rate_period if args[0] else None
            elif cmd == "mouse":
                if args[0] == "start":
                    self.mouse_period = 1.0 / args[1]
                    self.next_mouse = time.monotonic()
                else:
                    self.next_mouse = None
            elif cmd == "unplug":
                self.destroy()
            elif cmd == "plug":
                if not self.created:
                    self.create()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--variant", choices=sorted(DESCRIPTORS), default="a")
    parser.add_argument("--script", help="script file, - for standard input")
    parser.add_argument("--log", help="event log (default standard output)")
    parser.add_argument("--product", default="0x0178", type=lambda s: int(s, 0))
    parser.add_argument("--name", default="Emulated 2.4G Receiver")
    parser.add_argument("--duration", type=int, help="stop after this many milliseconds")
    opts = parser.parse_args()

    commands = []
    if opts.script:
        try:
            text = sys.stdin.read() if opts.script == "-" else open(opts.script).read()
            commands = parse_script(text)
        except OSError as e:
            print("uhid_receiver: %s" % e, file=sys.stderr)
            return 2
        except ScriptError as e:
            print("uhid_receiver: script %s" % e, file=sys.stderr)
            return 2

    try:
        fd = os.open("/dev/uhid", os.O_RDWR | os.O_CLOEXEC)
    except OSError as e:
        print("uhid_receiver: cannot open /dev/uhid: %s" % e, file=sys.stderr)
        return 1
    log = open(opts.log, "a", buffering=1) if opts.log else sys.stdout

    def on_signal(_signum, _frame):
        raise KeyboardInterrupt

    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGINT, on_signal)

    receiver = Receiver(fd, DESCRIPTORS[opts.variant], opts.product, opts.name, log)
    end = time.monotonic() + opts.duration / 1000.0 if opts.duration is not None else None
    try:
        receiver.create()
        receiver.play(commands)
        receiver.run_until(end)
    except KeyboardInterrupt:
        pass
    except OSError as e:
        print("uhid_receiver: %s" % e, file=sys.stderr)
        return 1
    finally:
        signal.signal(signal.SIGTERM, signal.SIG_IGN)
        signal.signal(signal.SIGINT, signal.SIG_IGN)
        try:
            receiver.log_unread()
            receiver.destroy()
        except OSError:
            pass
        os.close(fd)
    return 0


if __name__ == "__main__":
    sys.exit(main())
