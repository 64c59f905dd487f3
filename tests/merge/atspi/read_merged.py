"""Reads the Merged window's text area the way a screen reader does, over AT-SPI.

Usage: read_merged.py <merged text demo program>. Reads the text, moves the
caret and the selection through the text interface and reads them back,
presses "Type" and hears the typed text arrive. Exits 0 when everything
reads back as expected, 1 when it does not, 77 when no accessibility bus can
be reached here.
"""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "view", "atspi"))
from read_pane import SKIP, find, press_and_wait_for  # noqa: E402  (exits 77 without a bus)
import pyatspi  # noqa: E402

TEXT = "merged ab\n\U0001F600 x\n"


def utf16_length(text):
    return len(text.encode("utf-16-le")) // 2


def check(failures, what, got, want):
    print("%s: %r" % (what, got))
    if got != want:
        print("  expected %r" % (want,))
        failures.append(what)


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
            print("the demo did not start")
            return 1
        name = os.path.basename(sys.argv[1])
        area = app = None
        deadline = time.monotonic() + 15
        while time.monotonic() < deadline and area is None:
            app = find(desktop, lambda a: a.getRole() == pyatspi.ROLE_APPLICATION and a.name == name, 11)
            if app is not None:
                area = find(app, lambda a: a.getRole() == pyatspi.ROLE_TEXT and a.name == "Merged text")
            if area is None:
                time.sleep(0.2)
        if area is None:
            print("no text area found on the accessibility bus")
            return 1

        failures = []
        text = area.queryText()
        check(failures, "editable", area.getState().contains(pyatspi.STATE_EDITABLE), True)
        check(failures, "text", text.getText(0, -1), TEXT)
        # Offsets count UTF-16 units, as Qt passes them on: the emoji counts two.
        check(failures, "characters", text.characterCount, utf16_length(TEXT))
        after_emoji = utf16_length("merged ab\n\U0001F600")
        text.setCaretOffset(after_emoji)
        check(failures, "caret", text.caretOffset, after_emoji)
        text.setSelection(0, 7, after_emoji)
        check(failures, "selection", tuple(text.getSelection(0)), (7, after_emoji))
        check(failures, "selected text", text.getText(7, after_emoji), "ab\n\U0001F600")

        typed = press_and_wait_for(find(app, lambda a: a.getRole() == pyatspi.ROLE_PUSH_BUTTON and a.name == "Type"),
                                   "object:text-changed:insert")
        check(failures, "insert event at", typed[1] if typed else None, after_emoji)
        check(failures, "text after typing", text.getText(0, -1), "merged ab\n\U0001F600Z x\n")
        return 1 if failures else 0
    finally:
        demo.kill()
        demo.wait()


if __name__ == "__main__":
    sys.exit(main())
