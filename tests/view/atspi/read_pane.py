"""Reads a comparison pane the way a screen reader does, over AT-SPI.

Usage: read_pane.py <pane demo program>. Reads both panes line by line,
presses "Next change" and follows the caret event to the change, presses
"Compare again" and reads the new text, announced by a description change. Exits 0 when
everything reads back as expected, 1 when they do not, 77 when no accessibility bus
can be reached here.
"""
import os
import subprocess
import sys
import time

SKIP = 77


def accessibility_bus_reachable():
    """Whether the accessibility bus answers; pyatspi aborts the process if it does not."""
    try:
        from gi.repository import Gio, GLib
        session = Gio.bus_get_sync(Gio.BusType.SESSION, None)
        reply = session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", None,
                                  GLib.VariantType("(s)"), Gio.DBusCallFlags.NONE, 10000, None)
        Gio.DBusConnection.new_for_address_sync(
            reply.unpack()[0],
            Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION,
            None, None)
        return True
    except Exception as error:
        print("accessibility bus unavailable:", error)
        return False


if not accessibility_bus_reachable():
    sys.exit(SKIP)
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


def press_and_wait_for(button, event_name):
    """Presses the button and returns (source, detail1) of the first such event, None after 5 s."""
    from gi.repository import GLib
    seen = []

    def on_event(event):
        if not seen:
            seen.append((event.source, event.detail1))
        pyatspi.Registry.stop()

    def press():
        button.queryAction().doAction(0)
        return False

    pyatspi.Registry.registerEventListener(on_event, event_name)
    # The program learns of the listener through the registry: give it a moment.
    GLib.timeout_add(500, press)
    GLib.timeout_add(5000, lambda: pyatspi.Registry.stop() or False)
    pyatspi.Registry.start()
    pyatspi.Registry.deregisterEventListener(on_event, event_name)
    return seen[0] if seen else None


def read_lines(pane):
    """Every line of the pane, stepping by the offsets the pane gives, and whether they end at its count."""
    text = pane.queryText()
    lines = []
    offset = 0
    while offset < text.characterCount:
        line, start, end = text.getTextAtOffset(offset, pyatspi.TEXT_BOUNDARY_LINE_START)
        if end <= offset:
            break
        lines.append(line.rstrip("\n"))
        offset = end
    return lines, offset == text.characterCount


def read_new_comparison(app, left):
    """Presses "Compare again": the pane announces the new text, which reads whole."""
    failures = 0
    announced = press_and_wait_for(find(app, lambda a: a.getRole() == pyatspi.ROLE_PUSH_BUTTON
                                        and a.name == "Compare again"),
                                   "object:property-change:accessible-description")
    if announced is None or announced[0].name != "First file":
        print("no description change after Compare again")
        failures += 1
    else:
        print("announced: %r" % announced[0].description)
        if announced[0].description != "4 lines, 0 changes":
            failures += 1
    lines, whole = read_lines(left)
    expected = ["0 same in both: has\u2400nul byte", "1 same in both: \U0001F600 smile",
                "2 same in both: cafe\u0301", "3 same in both: end"]
    for got in lines:
        print("  line: %r" % got)
    if lines != expected or not whole:
        print("  expected %r, ending at the character count" % expected)
        failures += 1
    return failures


def run_with_demo(program, parts_of, what, client):
    """Starts the demo program with accessibility on, waits up to 15 s for
    parts_of(app) to give the accessibles the client reads (None while any is
    missing), and returns client(app, parts): an exit status."""
    try:
        desktop = pyatspi.Registry.getDesktop(0)
        desktop.childCount
    except Exception as error:  # no bus, no registry
        print("accessibility bus unavailable:", error)
        return SKIP

    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
    demo = subprocess.Popen([program], env=env, stdout=subprocess.PIPE, text=True)
    try:
        if demo.stdout.readline().strip() != "ready":
            print("the demo did not start")
            return 1
        name = os.path.basename(program)
        app = parts = None
        deadline = time.monotonic() + 15
        while time.monotonic() < deadline and parts is None:
            app = find(desktop, lambda a: a.getRole() == pyatspi.ROLE_APPLICATION and a.name == name, 11)
            parts = parts_of(app) if app is not None else None
            if parts is None:
                time.sleep(0.2)
        if parts is None:
            print("no %s found on the accessibility bus" % what)
            return 1
        return client(app, parts)
    finally:
        demo.kill()
        demo.wait()


def read_panes(app, panes):
    left, right = panes
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
    moved = press_and_wait_for(find(app, lambda a: a.getRole() == pyatspi.ROLE_PUSH_BUTTON
                                    and a.name == "Next change"), "object:text-caret-moved")
    if moved is None:
        print("no caret event after Next change")
        failures += 1
    else:
        source, offset = moved
        caret = line_at(source.queryText(), offset).rstrip("\n")
        print("Next change moved the caret of %s to %r" % (source.name, caret))
        if source.name != "First file" or caret != "1 changed: old":
            failures += 1
    failures += read_new_comparison(app, left)
    return 1 if failures else 0


def both_panes(app):
    left = pane_named(app, "First file")
    right = pane_named(app, "Second file")
    return None if left is None or right is None else (left, right)


def main():
    return run_with_demo(sys.argv[1], both_panes, "panes", read_panes)


if __name__ == "__main__":
    sys.exit(main())
