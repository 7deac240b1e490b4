#!/usr/bin/env python3
"""Gives the headless GNOME compositor's seat a keyboard, as a real desktop's has one: a remote
desktop session of its own, held open until killed. Without it the seat gets its keyboard only
with the first virtual keyboard a program makes, and the first key that program types is lost in
the focus change."""
import signal
import sys
import time

import dbus

bus = dbus.SessionBus()
desk = bus.get_object("org.gnome.Mutter.RemoteDesktop", "/org/gnome/Mutter/RemoteDesktop")
path = desk.CreateSession(dbus_interface="org.gnome.Mutter.RemoteDesktop")
session = bus.get_object("org.gnome.Mutter.RemoteDesktop", path)
session.Start(dbus_interface="org.gnome.Mutter.RemoteDesktop.Session")
# A key that types nothing makes the compositor add the session's keyboard to the seat.
for down in (True, False):
    session.NotifyKeyboardKeycode(dbus.UInt32(29), dbus.Boolean(down),
                                  dbus_interface="org.gnome.Mutter.RemoteDesktop.Session")
print("ready", flush=True)
signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
while True:
    time.sleep(3600)
