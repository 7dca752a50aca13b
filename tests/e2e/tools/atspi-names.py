#!/usr/bin/env python3
# Prints the text fields, tables and labels of the application named argv[1]
# as a screen reader gets them over AT-SPI, one "role<TAB>name" line each,
# once it has any, or with argv[3], once one of them holds that text
# (waiting at most argv[2] seconds).
import sys
import time

import pyatspi


def walk(node, out):
    if node.getRoleName() in ("text", "table", "label"):
        out.append(node.getRoleName() + "\t" + node.name)
    for child in node:
        if child is not None:
            walk(child, out)


wanted = sys.argv[3] if len(sys.argv) > 3 else ""
deadline = time.monotonic() + float(sys.argv[2])
while True:
    out = []
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name.lower() == sys.argv[1]:
            walk(app, out)
    found = out and any(wanted in line for line in out)
    if found or time.monotonic() > deadline:
        print("\n".join(out))
        sys.exit(0 if found else 1)
    time.sleep(0.3)
