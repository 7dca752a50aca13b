#!/usr/bin/env python3
# Prints the text fields and tables of the application named argv[1] as a
# screen reader gets them over AT-SPI, one "role<TAB>name" line each, once it
# has any (waiting at most argv[2] seconds).
import sys
import time

import pyatspi


def walk(node, out):
    if node.getRoleName() in ("text", "table"):
        out.append(node.getRoleName() + "\t" + node.name)
    for child in node:
        if child is not None:
            walk(child, out)


deadline = time.monotonic() + float(sys.argv[2])
while True:
    out = []
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name.lower() == sys.argv[1]:
            walk(app, out)
    if out or time.monotonic() > deadline:
        print("\n".join(out))
        sys.exit(0 if out else 1)
    time.sleep(0.3)
