"""Reads the Merged window's text area the way a screen reader does, over AT-SPI.

Usage: read_merged.py <merged text demo program>. Reads the text, moves the
caret and the selection through the text interface and reads them back,
presses "Type" and hears the typed text arrive. Exits 0 when everything
reads back as expected, 1 when it does not, 77 when no accessibility bus can
be reached here.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "view", "atspi"))
from read_pane import find, press_and_wait_for, run_with_demo  # noqa: E402  (exits 77 without a bus)
import pyatspi  # noqa: E402

TEXT = "merged ab\n\U0001F600 x\n"


def utf16_length(text):
    return len(text.encode("utf-16-le")) // 2


def check(failures, what, got, want):
    print("%s: %r" % (what, got))
    if got != want:
        print("  expected %r" % (want,))
        failures.append(what)


def read_area(app, area):
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


def main():
    return run_with_demo(sys.argv[1], lambda app: find(app, lambda a: a.getRole() == pyatspi.ROLE_TEXT
                                                       and a.name == "Merged text"), "text area", read_area)


if __name__ == "__main__":
    sys.exit(main())
