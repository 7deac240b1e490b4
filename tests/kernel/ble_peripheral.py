#!/usr/bin/python3
'''The remote over Bluetooth LE, on a controller of a real bluetoothd (the guest's second virtual
controller): a GATT application with the remote's service 0000FF54-... and its characteristic
0000FF55-... (notify, write, write without response), advertised under the remote's name, and a
pairing agent that accepts Just Works. It registers again whenever bluetoothd comes back.

Commands, one a line, on standard input (a FIFO in the guest):
  report STATUS KEY [DX] [DY] [BUTTONS]  one report laid out as the virtual remote's
  rate N                                 the last report again N times a second (0 stops)
  burst COUNT RATE                       COUNT presenter reports at RATE a second, each stamped at
                                         bytes 9..16 with CLOCK_MONOTONIC in nanoseconds
  quit

--log gets one line "<CLOCK_MONOTONIC seconds> <event> [details]" per event: registered,
notify-start, notify-stop, write <hex> <type>, sent <count>, and bluez-gone / bluez-back.'''

import argparse
import os
import sys
import time

import dbus
import dbus.service
import dbus.mainloop.glib
from gi.repository import GLib

BLUEZ = 'org.bluez'
PROPS = 'org.freedesktop.DBus.Properties'
OBJECT_MANAGER = 'org.freedesktop.DBus.ObjectManager'
SERVICE_IFACE = 'org.bluez.GattService1'
CHAR_IFACE = 'org.bluez.GattCharacteristic1'
AD_IFACE = 'org.bluez.LEAdvertisement1'
AGENT_IFACE = 'org.bluez.Agent1'
SERVICE_UUID = '0000ff54-0000-1000-8000-00805f9b34fb'
CHAR_UUID = '0000ff55-0000-1000-8000-00805f9b34fb'
APP_PATH = '/org/orvelle/remote'
SERVICE_PATH = APP_PATH + '/service0'
CHAR_PATH = SERVICE_PATH + '/char0'
AD_PATH = '/org/orvelle/advertisement'
AGENT_PATH = '/org/orvelle/agent'

log_file = None


def log(event):
    log_file.write(f'{time.monotonic():.6f} {event}\n')
    log_file.flush()


class Application(dbus.service.Object):
    def __init__(self, bus, characteristic):
        super().__init__(bus, APP_PATH)
        self.characteristic = characteristic

    @dbus.service.method(OBJECT_MANAGER, out_signature='a{oa{sa{sv}}}')
    def GetManagedObjects(self):
        return {
            dbus.ObjectPath(SERVICE_PATH): {SERVICE_IFACE: {
                'UUID': SERVICE_UUID, 'Primary': dbus.Boolean(True)}},
            dbus.ObjectPath(CHAR_PATH): {CHAR_IFACE: self.characteristic.props()},
        }


class Service(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, SERVICE_PATH)


class Characteristic(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, CHAR_PATH)
        self.notifying = False
        self.value = []

    def props(self):
        return {
            'UUID': CHAR_UUID,
            'Service': dbus.ObjectPath(SERVICE_PATH),
            'Flags': dbus.Array(['notify', 'write', 'write-without-response'], signature='s'),
        }

    @dbus.service.method(PROPS, in_signature='ss', out_signature='v')
    def Get(self, interface, name):
        return self.props()[name]

    @dbus.service.method(PROPS, in_signature='s', out_signature='a{sv}')
    def GetAll(self, interface):
        return self.props()

    @dbus.service.signal(PROPS, signature='sa{sv}as')
    def PropertiesChanged(self, interface, changed, invalidated):
        pass

    @dbus.service.method(CHAR_IFACE, in_signature='a{sv}', out_signature='ay')
    def ReadValue(self, options):
        return dbus.Array(self.value, signature='y')

    @dbus.service.method(CHAR_IFACE, in_signature='aya{sv}')
    def WriteValue(self, value, options):
        log(f'write {bytes(value).hex().upper()} {options.get("type", "request")}')

    @dbus.service.method(CHAR_IFACE)
    def StartNotify(self):
        self.notifying = True
        log('notify-start')

    @dbus.service.method(CHAR_IFACE)
    def StopNotify(self):
        self.notifying = False
        log('notify-stop')

    def notify(self, data):
        if not self.notifying:
            return False
        self.PropertiesChanged(CHAR_IFACE, {'Value': dbus.Array(data, signature='y')}, [])
        return True


class Advertisement(dbus.service.Object):
    def __init__(self, bus, name):
        super().__init__(bus, AD_PATH)
        self.name = name

    @dbus.service.method(PROPS, in_signature='s', out_signature='a{sv}')
    def GetAll(self, interface):
        return {
            'Type': 'peripheral',
            'LocalName': self.name,
            'ServiceUUIDs': dbus.Array([SERVICE_UUID], signature='s'),
            'Discoverable': dbus.Boolean(True),
        }

    @dbus.service.method(AD_IFACE)
    def Release(self):
        pass


class Agent(dbus.service.Object):
    '''Accepts every pairing without a question: Just Works on both ends.'''

    @dbus.service.method(AGENT_IFACE)
    def Release(self):
        pass

    @dbus.service.method(AGENT_IFACE, in_signature='o')
    def RequestAuthorization(self, device):
        log('agent authorization')

    @dbus.service.method(AGENT_IFACE, in_signature='ou')
    def RequestConfirmation(self, device, passkey):
        log('agent confirmation')

    @dbus.service.method(AGENT_IFACE, in_signature='os')
    def AuthorizeService(self, device, uuid):
        pass

    @dbus.service.method(AGENT_IFACE)
    def Cancel(self):
        pass


def report_bytes(words):
    nums = [int(w, 0) for w in words]
    status, key = nums[0], nums[1]
    dx = nums[2] if len(nums) > 2 else 0
    dy = nums[3] if len(nums) > 3 else 0
    buttons = nums[4] if len(nums) > 4 else 0
    data = bytearray(17)
    data[0] = 0x0A
    data[1] = status & 0xFF
    data[4] = key & 0xFF
    data[6] = dx & 0xFF
    data[7] = dy & 0xFF
    data[8] = buttons & 0xFF
    return bytes(data)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--adapter', default='hci1')
    parser.add_argument('--name', required=True)
    parser.add_argument('--log', required=True)
    args = parser.parse_args()
    global log_file
    log_file = open(args.log, 'a')
    log('start')

    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SystemBus()
    characteristic = Characteristic(bus)
    Service(bus)
    app = Application(bus, characteristic)
    ad = Advertisement(bus, args.name)
    Agent(bus, AGENT_PATH)
    loop = GLib.MainLoop()
    adapter_path = '/org/bluez/' + args.adapter

    def failed(step):
        def handler(error):
            log(f'register-failed {step} {error.get_dbus_name()} {error.get_dbus_message()}')
            GLib.timeout_add(500, register)
        return handler

    # Asynchronous: bluetoothd asks this very process for its objects while registering.
    def register():
        try:
            adapter = bus.get_object(BLUEZ, adapter_path)
            adapter_props = dbus.Interface(adapter, PROPS)
            adapter_props.Set('org.bluez.Adapter1', 'Powered', dbus.Boolean(True))
            # The name a central reads from the GAP service once connected.
            adapter_props.Set('org.bluez.Adapter1', 'Alias', args.name)
            agents = dbus.Interface(bus.get_object(BLUEZ, '/org/bluez'), 'org.bluez.AgentManager1')
            agents.RegisterAgent(AGENT_PATH, 'NoInputNoOutput')
            agents.RequestDefaultAgent(AGENT_PATH)
        except dbus.DBusException as e:
            failed('adapter')(e)
            return False

        def advertise():
            dbus.Interface(adapter, 'org.bluez.LEAdvertisingManager1').RegisterAdvertisement(
                ad, {}, reply_handler=lambda: log('registered'), error_handler=failed('advertisement'))

        dbus.Interface(adapter, 'org.bluez.GattManager1').RegisterApplication(
            app, {}, reply_handler=advertise, error_handler=failed('application'))
        return False

    def owner_changed(name, old, new):
        if name != BLUEZ:
            return
        characteristic.notifying = False
        if new:
            log('bluez-back')
            GLib.timeout_add(300, register)
        else:
            log('bluez-gone')

    bus.add_signal_receiver(owner_changed, 'NameOwnerChanged', 'org.freedesktop.DBus', 'org.freedesktop.DBus',
                            '/org/freedesktop/DBus')
    GLib.idle_add(register)

    state = {'report': None, 'timer': None, 'sent': 0}

    def send(data):
        if characteristic.notify(data):
            state['sent'] += 1

    def repeat():
        if state['report'] is not None:
            send(state['report'])
        return True

    def burst(count, rate):
        start = time.monotonic()
        for i in range(count):
            delay = start + i / rate - time.monotonic()
            if delay > 0:
                time.sleep(delay)
            data = bytearray(17)
            data[0:9] = bytes([0x0A, 0x03, 0, 0, 0, 0, 0, 0, 0])
            data[9:17] = time.monotonic_ns().to_bytes(8, 'little')
            send(bytes(data))
            # The signal leaves now, not when the loop next runs.
            bus.flush()

    def run(words):
        if words[0] == 'report':
            state['report'] = report_bytes(words[1:])
            send(state['report'])
        elif words[0] == 'rate':
            if state['timer'] is not None:
                GLib.source_remove(state['timer'])
                state['timer'] = None
            n = int(words[1])
            if n > 0:
                state['timer'] = GLib.timeout_add(max(1, 1000 // n), repeat)
        elif words[0] == 'burst':
            burst(int(words[1]), float(words[2]))
        elif words[0] == 'quit':
            loop.quit()
            return False
        log(f'command {" ".join(words)} sent {state["sent"]}')
        return True

    # Read unbuffered: a buffered reader would keep lines the watch never hears of again.
    pending = bytearray()

    def command(source, condition):
        chunk = os.read(0, 4096)
        if not chunk:
            return False
        pending.extend(chunk)
        while b'\n' in pending:
            line, _, rest = bytes(pending).partition(b'\n')
            pending[:] = rest
            words = line.decode().split()
            if words and not run(words):
                return False
        return True

    GLib.io_add_watch(sys.stdin, GLib.IO_IN | GLib.IO_HUP, command)
    try:
        loop.run()
    finally:
        log(f'end sent {state["sent"]}')


if __name__ == '__main__':
    main()
