#!/usr/bin/python3
'''What a person does in bluetoothctl to pair the remote, through the same D-Bus calls: on the
first controller "scan le" until a device with the remote's name shows, "pair", "trust",
"connect". With --connect-only the already paired device is connected again (as after
bluetoothd came back). Prints the device's object path; each step goes to --log as
"<CLOCK_MONOTONIC seconds> <step>".

  ble_pair.py --name NAME --log FILE [--adapter hci0] [--timeout S] [--connect-only]'''

import argparse
import sys
import time

import dbus

BLUEZ = 'org.bluez'
PROPS = 'org.freedesktop.DBus.Properties'


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--adapter', default='hci0')
    parser.add_argument('--name', required=True)
    parser.add_argument('--log', required=True)
    parser.add_argument('--timeout', type=float, default=20.0)
    parser.add_argument('--connect-only', action='store_true')
    args = parser.parse_args()
    out = open(args.log, 'a')

    def log(step):
        out.write(f'{time.monotonic():.6f} {step}\n')
        out.flush()

    bus = dbus.SystemBus()
    adapter_path = '/org/bluez/' + args.adapter
    giveup = time.monotonic() + args.timeout

    def find():
        objects = dbus.Interface(bus.get_object(BLUEZ, '/'), 'org.freedesktop.DBus.ObjectManager').GetManagedObjects()
        for path, interfaces in objects.items():
            device = interfaces.get('org.bluez.Device1')
            if device and str(path).startswith(adapter_path + '/') and device.get('Name') == args.name:
                return str(path)
        return None

    while True:
        try:
            adapter = bus.get_object(BLUEZ, adapter_path)
            dbus.Interface(adapter, PROPS).Set('org.bluez.Adapter1', 'Powered', dbus.Boolean(True))
            break
        except dbus.DBusException:
            if time.monotonic() > giveup:
                log('no adapter')
                return 1
            time.sleep(0.2)
    adapter_iface = dbus.Interface(adapter, 'org.bluez.Adapter1')
    path = find()
    if path is None:
        adapter_iface.SetDiscoveryFilter({'Transport': 'le'})
        adapter_iface.StartDiscovery()
        log('scan on')
        while path is None and time.monotonic() < giveup:
            time.sleep(0.05)
            path = find()
        adapter_iface.StopDiscovery()
        log('scan off')
    if path is None:
        log('not found')
        return 1
    log(f'found {path}')
    device = dbus.Interface(bus.get_object(BLUEZ, path), 'org.bluez.Device1')
    props = dbus.Interface(bus.get_object(BLUEZ, path), PROPS)
    if not args.connect_only and not props.Get('org.bluez.Device1', 'Paired'):
        device.Pair(timeout=args.timeout)
        log('paired')
        props.Set('org.bluez.Device1', 'Trusted', dbus.Boolean(True))
    while True:
        try:
            device.Connect(timeout=args.timeout)
            break
        except dbus.DBusException as e:
            log(f'connect failed {e.get_dbus_name()}')
            if time.monotonic() > giveup:
                return 1
            time.sleep(0.5)
    log('connected')
    print(path)
    return 0


if __name__ == '__main__':
    sys.exit(main())
