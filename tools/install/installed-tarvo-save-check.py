#!/usr/bin/python3
"""Driver for installed-tarvo-save-session.sh: starts the installed Tarvo, opens its options
dialog from the main window's menu (File → Option) through accessibility, as a screen reader
would, presses "OK", which stores the page shown, and checks that SETTINGS now holds the
[Standard] section with the program's version as `Ver`. Ends Tarvo afterwards.

    installed-tarvo-save-check.py PROGRAM SETTINGS VERSION
"""
import os
import subprocess
import sys

import pyatspi

sys.path.insert(0, os.path.join(os.path.dirname(os.path.realpath(__file__)), "..", "tarvo"))
from tarvo_atspi import application, fail, find, has_state, press, wait_for  # noqa: E402

program, settings, version = sys.argv[1], sys.argv[2], sys.argv[3]
# "ﾊﾞｰｼﾞｮﾝ " in CP932: half-width katakana are single bytes there.
VERSION_LINE = b"Ver=\xca\xde\xb0\xbc\xde\xae\xdd " + version.encode("ascii")
MENU_ROLES = (pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_MENU)


def standard_section(data):
    """The lines of [Standard], or None when the file has no such section."""
    lines = data.replace(b"\r\n", b"\n").split(b"\n")
    if b"[Standard]" not in lines:
        return None
    section = []
    for line in lines[lines.index(b"[Standard]") + 1:]:
        if line.startswith(b"["):
            break
        section.append(line)
    return section


def saved():
    try:
        with open(settings, "rb") as f:
            section = standard_section(f.read())
    except FileNotFoundError:
        return False
    return section is not None and VERSION_LINE in section


if saved():
    fail(f"{settings} holds the version before anything was saved")

tarvo = subprocess.Popen([program])
try:
    app = wait_for("Tarvo on the accessibility bus", 60, lambda: application(tarvo.pid))
    # The menu is enabled once the first search for routers is over.
    file_menu = wait_for('the "File(F)" menu', 60, lambda: find(app, MENU_ROLES, "File(F)"))
    wait_for('the "File(F)" menu to be enabled', 60,
             lambda: has_state(file_menu, pyatspi.STATE_ENABLED))
    press(file_menu, "showMenu")
    option = wait_for('the "Option(O)" entry', 30, lambda: find(app, MENU_ROLES, "Option(O)"))
    wait_for('the "Option(O)" entry to be enabled', 60,
             lambda: has_state(option, pyatspi.STATE_ENABLED))
    press(option, "press")

    def options_dialog():
        for i in range(app.childCount):
            window = app.getChildAtIndex(i)
            try:
                if window.getRole() == pyatspi.ROLE_DIALOG and find(
                        window, (pyatspi.ROLE_PAGE_TAB,), "基本設定"):
                    return window
            except Exception:
                continue
        return None

    dialog = wait_for("the options dialog", 30, options_dialog)
    ok = wait_for('its "OK" button', 10, lambda: find(dialog, (pyatspi.ROLE_PUSH_BUTTON,), "OK"))
    press(ok)
    wait_for(f"{VERSION_LINE.decode('cp932')} in [Standard] of {settings}", 30, saved)
    print(f"installed-tarvo-save-check: OK in the options dialog saved [Standard] with "
          f"{VERSION_LINE.decode('cp932')} to {settings}")
finally:
    tarvo.terminate()
    try:
        tarvo.wait(20)
    except subprocess.TimeoutExpired:
        tarvo.kill()
        tarvo.wait()
