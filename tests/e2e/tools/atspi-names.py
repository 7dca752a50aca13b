#!/usr/bin/env python3
# Prints the accessible tree of the application named in argv[1], as a
# screen reader gets it over AT-SPI: one line per object with a role of
# interest, "role<TAB>name<TAB>description<TAB>read-only|editable|-".
# Waits (bounded by argv[2] seconds) until the application has a text field.
import sys
import time

import pyatspi

WANTED = {"text", "password text", "table", "tree table", "list", "combo box", "push button"}


def walk(node, out, depth=0):
    if node is None or depth > 12:
        return
    role = node.getRoleName()
    if role in WANTED:
        states = node.getState()
        if states.contains(pyatspi.STATE_READ_ONLY):
            edit = "read-only"
        elif states.contains(pyatspi.STATE_EDITABLE):
            edit = "editable"
        else:
            edit = "-"
        out.append("\t".join([role, node.name or "", node.description or "", edit]))
    for i in range(node.childCount):
        walk(node.getChildAtIndex(i), out, depth + 1)


def main():
    wanted, limit = sys.argv[1].lower(), float(sys.argv[2])
    deadline = time.monotonic() + limit
    while True:
        lines = []
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and (app.name or "").lower() == wanted:
                walk(app, lines)
        if any(line.startswith("text\t") for line in lines) or time.monotonic() > deadline:
            print("\n".join(lines))
            return 0 if lines else 1
        time.sleep(0.3)


sys.exit(main())
