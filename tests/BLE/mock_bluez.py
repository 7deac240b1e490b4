#!/usr/bin/python3
'''A BlueZ on the system bus in force (DBUS_SYSTEM_BUS_ADDRESS), for the BLE link's tests and
benchmarks: python-dbusmock's bluez5 template with one adapter, a connected remote carrying the
remote's GATT service and characteristic, and optionally more devices. Commands come on standard
input, one a line; each is answered "ok" on standard output:

  notify HEX          the characteristic notifies these bytes
  burst COUNT RATE    COUNT presenter reports at RATE a second, each stamped at bytes 9..16 with
                      the monotonic clock in nanoseconds (little-endian) just before it is sent
  disconnect          the remote's Connected turns false
  resolve             (with --late-services) the remote's GATT objects appear and its
                      ServicesResolved turns true, as a real BlueZ does once discovery is over
  silent-connect      (with --disconnected) the remote connects and its services are resolved,
                      but no signal tells of the "Connected" change
  quit

Writes to the characteristic are appended to the --writes file as hex, one a line, and each
StartNotify and StopNotify as a line "start-notify" or "stop-notify".

Like a real bluetoothd, and unlike a bare mock, the remote may come connected with its services
not yet discovered (--late-services), its "Connected" change may never be signalled
(silent-connect), another client may hold notifications already (--notifying), and StopNotify
may take long to answer (--slow-stop SECONDS).'''

import argparse
import sys
import time

import dbus
import dbusmock

MOCK = dbusmock.MOCK_IFACE
PROPS = 'org.freedesktop.DBus.Properties'
DEVICE = 'org.bluez.Device1'
SERVICE = 'org.bluez.GattService1'
CHAR = 'org.bluez.GattCharacteristic1'


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--name', required=True, help='advertised name of the connected remote')
    parser.add_argument('--writes', required=True)
    parser.add_argument('--devices', type=int, default=0, help='further devices, not remotes')
    parser.add_argument('--late-services', action='store_true')
    parser.add_argument('--disconnected', action='store_true')
    parser.add_argument('--notifying', action='store_true')
    parser.add_argument('--slow-stop', type=float, default=0.0)
    args = parser.parse_args()

    server, _ = dbusmock.DBusTestCase.spawn_server_template('bluez5', {}, stdout=sys.stderr, system_bus=True)
    bus = dbus.SystemBus()
    root = dbus.Interface(bus.get_object('org.bluez', '/'), 'org.bluez.Mock')
    root.AddAdapter('hci0', 'orvelle-test')
    remote = root.AddDevice('hci0', '11:22:33:44:55:66', args.name)
    for i in range(args.devices):
        root.AddDevice('hci0', f'AA:BB:CC:DD:{i // 256:02X}:{i % 256:02X}', f'Other device {i}')
    device = bus.get_object('org.bluez', remote)
    # The property changes; no signal says so.
    device.AddMethod(DEVICE, 'ConnectSilently', '', '', f'self.props["{DEVICE}"]["Connected"] = dbus.Boolean(True)',
                     dbus_interface=MOCK)
    if not args.disconnected:
        device.UpdateProperties(DEVICE, {'Connected': dbus.Boolean(True)}, dbus_interface=MOCK)

    mock_root = dbus.Interface(bus.get_object('org.bluez', '/'), MOCK)
    service_path = remote + '/service0010'
    char_path = service_path + '/char0011'
    writes = repr(args.writes)
    stop_delay = f'time.sleep({args.slow_stop}); ' if args.slow_stop > 0 else ''

    def resolve():
        add_gatt()
        device.UpdateProperties(DEVICE, {'ServicesResolved': dbus.Boolean(True)}, dbus_interface=MOCK)

    def add_gatt():
        mock_root.AddObject(service_path, SERVICE, {
            'UUID': dbus.String('0000ff54-0000-1000-8000-00805f9b34fb'),
            'Device': dbus.ObjectPath(remote),
            'Primary': dbus.Boolean(True),
        }, [])
        mock_root.AddObject(char_path, CHAR, {
            'UUID': dbus.String('0000ff55-0000-1000-8000-00805f9b34fb'),
            'Service': dbus.ObjectPath(service_path),
            'Flags': dbus.Array(['read', 'write', 'notify'], signature='s'),
            'Notifying': dbus.Boolean(args.notifying),
            'Value': dbus.Array([], signature='y'),
        }, [
            ('StartNotify', '', '', f'self.Set("{CHAR}", "Notifying", dbus.Boolean(True)); '
                                    f'open({writes}, "a").write("start-notify\\n")'),
            ('StopNotify', '', '', f'import time; {stop_delay}self.Set("{CHAR}", "Notifying", dbus.Boolean(False)); '
                                   f'open({writes}, "a").write("stop-notify\\n")'),
            ('WriteValue', 'aya{sv}', '',
             f'open({writes}, "a").write(bytes(args[0]).hex() + " " + str(args[1].get("type", "")) + "\\n")'),
        ])

    if not args.late_services and not args.disconnected:
        resolve()
    char = bus.get_object('org.bluez', char_path)

    def notify(data):
        char.EmitSignal(PROPS, 'PropertiesChanged', 'sa{sv}as', [
            CHAR, dbus.Dictionary({'Value': dbus.Array(data, signature='y')}, signature='sv'),
            dbus.Array([], signature='s')], dbus_interface=MOCK)

    print('ready', remote, flush=True)
    for line in sys.stdin:
        words = line.split()
        if not words:
            continue
        if words[0] == 'notify':
            notify(bytes.fromhex(words[1]))
        elif words[0] == 'burst':
            count, rate = int(words[1]), float(words[2])
            start = time.monotonic()
            for i in range(count):
                delay = start + i / rate - time.monotonic()
                if delay > 0:
                    time.sleep(delay)
                report = bytearray(17)
                report[0:9] = bytes([0x0A, 0x03, 0, 0, 0x04, 0, 1, 0, 0])
                report[9:17] = time.monotonic_ns().to_bytes(8, 'little')
                notify(bytes(report))
        elif words[0] == 'resolve':
            resolve()
        elif words[0] == 'silent-connect':
            device.ConnectSilently(dbus_interface=DEVICE)
            resolve()
        elif words[0] == 'disconnect':
            device.UpdateProperties(DEVICE, {'Connected': dbus.Boolean(False)}, dbus_interface=MOCK)
        elif words[0] == 'quit':
            break
        print('ok', flush=True)
    server.terminate()
    server.wait()


if __name__ == '__main__':
    main()
