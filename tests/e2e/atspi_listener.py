#!/usr/bin/env python3
"""Listens on the AT-SPI bus as a screen reader would and prints, one line
each, the announcements and focus changes it is sent:
  announcement POLITENESS ROLE MESSAGE
  focus ROLE NAME
"listening" comes first, once the registry has the listener.
Usage: atspi_listener.py SECONDS   (then it ends by itself)"""
import sys

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

# ATSPI_LIVE_POLITE, ATSPI_LIVE_ASSERTIVE: the announcement's detail1.
POLITENESS = {1: "polite", 2: "assertive"}


def describe(accessible):
    try:
        return accessible.get_role_name(), accessible.get_name()
    except GLib.Error:
        return "gone", ""


def on_event(event):
    role, name = describe(event.source)
    if event.type.startswith("object:announcement"):
        politeness = POLITENESS.get(event.detail1, str(event.detail1))
        print(f"announcement {politeness} {role} {event.any_data}", flush=True)
    elif event.detail1:  # focused, not unfocused
        print(f"focus {role} {name}", flush=True)


def main():
    Atspi.init()
    listener = Atspi.EventListener.new(on_event)
    listener.register("object:announcement")
    listener.register("object:state-changed:focused")
    print("listening", flush=True)
    GLib.timeout_add_seconds(int(sys.argv[1]), Atspi.event_quit)
    Atspi.event_main()


main()
