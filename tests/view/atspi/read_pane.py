"""Reads a comparison pane the way a screen reader does, over AT-SPI.

Usage: read_pane.py <pane demo program>. Exits 0 when the pane's lines and
caret read back as expected, 1 when they do not, 77 when no accessibility bus
can be reached here.
"""
import os
import subprocess
import sys
import time

SKIP = 77

try:
    import pyatspi
except ImportError:
    print("pyatspi is not installed")
    sys.exit(SKIP)


def find(accessible, predicate, depth=0):
    if accessible is None or depth > 12:
        return None
    if predicate(accessible):
        return accessible
    for i in range(accessible.childCount):
        found = find(accessible.getChildAtIndex(i), predicate, depth + 1)
        if found is not None:
            return found
    return None


def pane_named(app, name):
    return find(app, lambda a: a.getRole() == pyatspi.ROLE_TEXT and a.name == name)


def line_at(text, offset):
    return text.getTextAtOffset(offset, pyatspi.TEXT_BOUNDARY_LINE_START)[0]


def main():
    try:
        desktop = pyatspi.Registry.getDesktop(0)
        desktop.childCount
    except Exception as error:  # no bus, no registry
        print("accessibility bus unavailable:", error)
        return SKIP

    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
    demo = subprocess.Popen([sys.argv[1]], env=env, stdout=subprocess.PIPE, text=True)
    try:
        if demo.stdout.readline().strip() != "ready":
            print("the pane demo did not start")
            return 1
        name = os.path.basename(sys.argv[1])
        left = right = None
        deadline = time.monotonic() + 15
        while time.monotonic() < deadline and (left is None or right is None):
            app = find(desktop, lambda a: a.getRole() == pyatspi.ROLE_APPLICATION and a.name == name, 11)
            if app is not None:
                left = pane_named(app, "First file")
                right = pane_named(app, "Second file")
            if left is None or right is None:
                time.sleep(0.2)
        if left is None or right is None:
            print("no panes found on the accessibility bus")
            return 1

        failures = 0
        for pane, expected in ((left, ["0 same in both: keep", "1 changed: old", "2 changed: gone",
                                       "3 same in both: tail"]),
                               (right, ["0 same in both: keep", "1 changed: new", "2 same in both: tail",
                                        "3 only in the second file: added"])):
            text = pane.queryText()
            states = pane.getState()
            print("%s: role=%s read-only=%s characters=%d" % (
                pane.name, pane.getRoleName(), not states.contains(pyatspi.STATE_EDITABLE), text.characterCount))
            offset = 0
            for want in expected:
                got = line_at(text, offset).rstrip("\n")
                print("  line: %r" % got)
                if got != want:
                    print("  expected %r" % want)
                    failures += 1
                offset += len(got) + 1
        caret = line_at(left.queryText(), left.queryText().caretOffset).rstrip("\n")
        print("First file caret after Next change: %r" % caret)
        if caret != "1 changed: old":
            failures += 1
        return 1 if failures else 0
    finally:
        demo.kill()
        demo.wait()


if __name__ == "__main__":
    sys.exit(main())
