#!/usr/bin/python3
"""A StatusNotifierWatcher with a registered host, on the session bus named by
DBUS_SESSION_BUS_ADDRESS: what a desktop's panel offers tray icons through when it shows no
XEmbed tray. Each item that registers is read once (its Id, Title, Status and whether it has an
icon) into the file given as the first argument, one line of key=value pairs; when the item asks
for it, the watcher then activates the item as a left click on the panel would.

Usage: sni_watcher.py <report file> [activate]
"""

import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

WATCHER = 'org.kde.StatusNotifierWatcher'
ITEM = 'org.kde.StatusNotifierItem'
PROPS = 'org.freedesktop.DBus.Properties'
INTROSPECTION = """<node>
 <interface name="org.kde.StatusNotifierWatcher">
  <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
  <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
  <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
  <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
  <property name="ProtocolVersion" type="i" access="read"/>
  <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
  <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
  <signal name="StatusNotifierHostRegistered"/>
 </interface>
 <interface name="org.freedesktop.DBus.Properties">
  <method name="Get"><arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="v" direction="out"/></method>
  <method name="GetAll"><arg type="s" direction="in"/><arg type="a{sv}" direction="out"/></method>
 </interface>
 <interface name="org.freedesktop.DBus.Introspectable">
  <method name="Introspect"><arg type="s" direction="out"/></method>
 </interface>
</node>"""


class Watcher(dbus.service.Object):
    def __init__(self, bus, report, activate):
        super().__init__(bus, '/StatusNotifierWatcher')
        self.bus = bus
        self.report = report
        self.activate = activate
        self.items = []

    @dbus.service.method(WATCHER, in_signature='s', out_signature='', sender_keyword='sender')
    def RegisterStatusNotifierItem(self, service, sender=None):
        # Qt passes its object path or its bus name; the item lives on the caller's connection.
        path = service if service.startswith('/') else '/StatusNotifierItem'
        name = sender if service.startswith('/') else service
        self.items.append(name + path)
        self.StatusNotifierItemRegistered(name + path)
        GLib.timeout_add(200, self.read_item, name, path)

    @dbus.service.method(WATCHER, in_signature='s', out_signature='')
    def RegisterStatusNotifierHost(self, service):
        pass

    @dbus.service.signal(WATCHER, signature='s')
    def StatusNotifierItemRegistered(self, service):
        pass

    @dbus.service.method(PROPS, in_signature='ss', out_signature='v')
    def Get(self, interface, prop):
        return self.GetAll(interface)[prop]

    @dbus.service.method(PROPS, in_signature='s', out_signature='a{sv}')
    def GetAll(self, interface):
        return {'RegisteredStatusNotifierItems': dbus.Array(self.items, signature='s'),
                'IsStatusNotifierHostRegistered': dbus.Boolean(True),
                'ProtocolVersion': dbus.Int32(0)}

    # Qt reads the watcher's properties through its introspection data, so they are declared here.
    @dbus.service.method('org.freedesktop.DBus.Introspectable', in_signature='', out_signature='s')
    def Introspect(self):
        return INTROSPECTION

    def read_item(self, name, path):
        props = dbus.Interface(self.bus.get_object(name, path), PROPS)
        values = props.GetAll(ITEM)
        icon = len(values.get('IconPixmap', [])) > 0 or bool(values.get('IconName', ''))
        with open(self.report, 'a') as out:
            out.write('Id=%s Title=%s Status=%s Icon=%s\n' % (values.get('Id', ''), values.get('Title', ''),
                                                              values.get('Status', ''), 'yes' if icon else 'no'))
        if self.activate:
            dbus.Interface(self.bus.get_object(name, path), ITEM).Activate(10, 10)
        return False


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    watcher = Watcher(bus, sys.argv[1], len(sys.argv) > 2 and sys.argv[2] == 'activate')
    name = dbus.service.BusName(WATCHER, bus)  # held while the loop runs
    GLib.MainLoop().run()
    del watcher, name


if __name__ == '__main__':
    main()
