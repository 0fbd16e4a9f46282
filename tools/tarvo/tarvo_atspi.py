"""Finding and pressing Tarvo's controls through accessibility (AT-SPI), by the names a screen
reader reads, for the lab drivers. Qt reads menu texts without their '&'."""
import os
import sys
import time

import pyatspi


def fail(message):
    name = os.path.splitext(os.path.basename(sys.argv[0]))[0]
    print(f"{name}: {message}", file=sys.stderr)
    sys.exit(1)


def wait_for(what, seconds, test):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = test()
        if found:
            return found
        time.sleep(0.1)
    fail(f"timed out waiting for {what}")


def application(pid):
    for app in pyatspi.Registry.getDesktop(0):
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except Exception:
            continue
    return None


def walk(node, depth=0):
    if node is None or depth > 12:
        return
    yield node
    try:
        count = node.childCount
    except Exception:
        return
    for i in range(count):
        try:
            child = node.getChildAtIndex(i)
        except Exception:
            continue
        yield from walk(child, depth + 1)


def has_state(node, state):
    try:
        return node.getState().contains(state)
    except Exception:
        return False


def showing(node):
    return has_state(node, pyatspi.STATE_SHOWING)


def find(root, roles, name):
    """The first showing node under ROOT with one of ROLES and NAME."""
    for node in walk(root):
        try:
            if node.getRole() in roles and node.name == name and showing(node):
                return node
        except Exception:
            continue
    return None


def button(root, name):
    return find(root, (pyatspi.ROLE_PUSH_BUTTON,), name)


def press(node, action=None):
    """Does ACTION (by its name, in any case), or the node's first action."""
    actions = node.queryAction()
    index = 0
    if action is not None:
        names = [actions.getName(i).lower() for i in range(actions.nActions)]
        if action.lower() not in names:
            fail(f'"{node.name}" has no action "{action}" (it has {names})')
        index = names.index(action.lower())
    actions.doAction(index)
