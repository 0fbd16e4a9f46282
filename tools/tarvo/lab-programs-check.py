#!/usr/bin/python3
"""Driver for lab-programs.sh: presses Tarvo's buttons through accessibility (by their names, as
a screen reader would), checks that the dial starts the registered programs in slot order a
second apart, and that the hang-up asks both to close: the window by WM_DELETE_WINDOW, the
windowless one by SIGTERM. Then it dials again and ends Tarvo, which closes them as well.

With PAGE (the IP page's path on the lab's FTP server) the dial must also publish the page.

    lab-programs-check.py SLOT1_RECORD SLOT3_RECORD [PAGE]    (TARVO_PID from lab-session.sh)
"""
import os
import sys

import pyatspi

import tarvo_atspi
from tarvo_atspi import fail, wait_for, application, showing, press

TARVO_PID = int(os.environ["TARVO_PID"])
slot1, slot3 = sys.argv[1], sys.argv[2]
page = sys.argv[3] if len(sys.argv) > 3 else None
GLOBAL_ADDRESS = "198.51.100.22"  # the branch router's, tools/tarvo/two_routers.ini


def tarvo():
    return application(TARVO_PID)


def button(name, within=None):
    return tarvo_atspi.button(within or tarvo(), name)


def message_box(title):
    app = tarvo()
    if app is None:
        return None
    for i in range(app.childCount):
        window = app.getChildAtIndex(i)
        try:
            if window.name == title and showing(window) and window.getRole() in (
                    pyatspi.ROLE_DIALOG, pyatspi.ROLE_ALERT):
                return window
        except Exception:
            continue
    return None


def dismiss(title):
    box = wait_for(f'the "{title}" box', 20, lambda: message_box(title))
    ok = wait_for("its button", 5, lambda: button("OK", box))
    press(ok)
    wait_for(f'the "{title}" box to close', 5, lambda: message_box(title) is None)


def lines(path):
    try:
        with open(path, encoding="utf-8") as f:
            return f.read().split()
    except FileNotFoundError:
        return []


def started(path):
    for line in lines(path):
        if line.startswith("started="):
            return int(line.split("=", 1)[1])
    return None


def running(record):
    """Whether the probe started with this record file still runs."""
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/cmdline", "rb") as f:
                args = f.read().split(b"\0")
            with open(f"/proc/{entry}/stat") as f:
                state = f.read().rsplit(")", 1)[1].split()[0]
        except OSError:
            continue
        if args[0].endswith(b"tarvo_program_probe") and record.encode() in args and state != "Z":
            return True
    return False


wait_for("Tarvo on the accessibility bus", 20, tarvo)
press(wait_for('the "接続" button', 20, lambda: button("接続")))
dismiss("接続情報")  # 接続完了: the programs start once it is closed

wait_for("slot 1 to start", 10, lambda: "ready" in lines(slot1))
wait_for("slot 3 to start", 10, lambda: "ready" in lines(slot3))
gap = started(slot3) - started(slot1)
if gap < 800:
    fail(f"slot 3 started {gap} ms after slot 1, not a second later")
print(f"lab-programs-check: slot 1 started, slot 3 {gap} ms later")


def page_published():
    try:
        with open(page, "rb") as f:
            return f"{GLOBAL_ADDRESS}<br>".encode() in f.read()
    except FileNotFoundError:
        return False


if page:
    wait_for("the IP page on the FTP server", 10, page_published)
    print(f"lab-programs-check: the IP page with {GLOBAL_ADDRESS} is on the FTP server")

press(wait_for('the "切断" button', 10, lambda: button("切断")))
dismiss("接続情報")  # 切断しました。
wait_for("slot 1's window to be asked to close", 10, lambda: "WM_DELETE_WINDOW" in lines(slot1))
wait_for("slot 3 to get SIGTERM", 10, lambda: "SIGTERM" in lines(slot3))
wait_for("both programs to end", 10, lambda: not running(slot1) and not running(slot3))
if "SIGTERM" in lines(slot1):
    fail("the program with a window got SIGTERM too")
print("lab-programs-check: hang-up closed the window and terminated the windowless program")

# Dialled again, the programs start again; ending Tarvo asks them to close too.
press(wait_for('the "接続" button', 20, lambda: button("接続")))
dismiss("接続情報")
wait_for("both programs to start again", 15,
         lambda: lines(slot1).count("ready") == 2 and lines(slot3).count("ready") == 2)
press(wait_for('the "終了" button', 10, lambda: button("終了")))
wait_for("Tarvo to end", 15, lambda: not os.path.exists(f"/proc/{TARVO_PID}") or
         open(f"/proc/{TARVO_PID}/stat").read().rsplit(")", 1)[1].split()[0] == "Z")
wait_for("the programs to be closed at Tarvo's end", 10,
         lambda: lines(slot1).count("WM_DELETE_WINDOW") == 2 and lines(slot3).count("SIGTERM") == 2)
wait_for("both programs to end", 10, lambda: not running(slot1) and not running(slot3))
print("lab-programs-check: dialled, programs started in order, hang-up closed them; "
      "dialled again, Tarvo's end closed them")
