#!/usr/bin/python3
# Reads one program's accessible tree and events through AT-SPI, as a screen reader does.
#   atspi_listen.py <application name>
# Prints "READY" once listening, then a line for each event of the program that a screen reader speaks:
#   EVENT <type> <detail1> <role>|<name>
# and, for each line "tree" on its input, the program's shown elements depth first, then "TREE-END":
#   TREE <depth> <role>|<name>|<index in parent + 1>/<parent's child count>
import sys

import pyatspi
from gi.repository import GLib

APPLICATION = sys.argv[1]
EVENTS = [
    "object:state-changed:selected",
    "object:state-changed:focused",
    "object:state-changed:showing",
    "object:property-change:accessible-name",
]


def say(line):
    print(line, flush=True)


def ours(accessible):
    try:
        application = accessible.getApplication()
        return application is not None and application.name == APPLICATION
    except Exception:
        return False


def on_event(event):
    source = event.source
    if not ours(source):
        return
    try:
        say("EVENT %s %d %s|%s" % (event.type, event.detail1, source.getRoleName(), source.name))
    except Exception:
        pass


def walk(accessible, depth):
    try:
        if not accessible.getState().contains(pyatspi.STATE_SHOWING) and depth > 0:
            return
        parent = accessible.parent
        place = "%d/%d" % (accessible.getIndexInParent() + 1, parent.childCount) if parent else "-"
        say("TREE %d %s|%s|%s" % (depth, accessible.getRoleName(), accessible.name, place))
        for index in range(accessible.childCount):
            walk(accessible.getChildAtIndex(index), depth + 1)
    except Exception:
        pass


def on_input(source, condition):
    line = sys.stdin.readline()
    if not line:
        pyatspi.Registry.stop()
        return False
    if line.strip() == "tree":
        desktop = pyatspi.Registry.getDesktop(0)
        for application in desktop:
            if application is not None and application.name == APPLICATION:
                for index in range(application.childCount):
                    walk(application.getChildAtIndex(index), 0)
        say("TREE-END")
    return True


pyatspi.Registry.registerEventListener(on_event, *EVENTS)
GLib.io_add_watch(sys.stdin, GLib.IO_IN | GLib.IO_HUP, on_input)
GLib.idle_add(lambda: say("READY") and False)
pyatspi.Registry.start()
