#!/usr/bin/python3
"""A window as a screen reader meets it: starts a program of ours on an X
server and a D-Bus session of their own, with Qt's AT-SPI bridge on, reads its
accessible tree with pyatspi, prints it, and fails (naming each node) when a
control that shows has a generic role or no name a screen reader could speak.

accessible_tree_check.py --window TITLE [--drives N --reg CORVATH_REG] [--before COMMAND]...
                         [--click X,Y --wait-for TEXT] [--each-tab] -- PROGRAM [ARGUMENT]...

--drives mounts N small tmpfs drives in a mount namespace of its own (root
only) and saves them as the selection with corvath-reg; --before runs a
command first with the same environment ("corvath-analyzer -auto" stores
scans of them). --click presses the left button at a point of the window's
client area, and the tree is read again once a node's name holds TEXT.
--each-tab presses each page tab in turn and reads the tree again each time.
Exit status 0 when every node passes, 1 when one fails, 77 when something
needed is missing (the test is skipped)."""

import argparse
import importlib.util
import os
import shlex
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77
# Roles that say nothing of what a control is.
GENERIC_ROLES = {"filler", "unknown", "invalid", "redundant object"}
# Containers that only group what they hold: a screen reader speaks their
# children, so they need no name of their own.
GROUPING_ROLES = {"panel", "scroll pane", "viewport", "layered pane", "section", "separator", "scroll bar",
                  "tool bar", "status bar", "menu bar", "split pane", "page tab list", "table row"}


def skip(reason):
    print("SKIPPED: " + reason)
    sys.exit(SKIP)


def start_x_server(work):
    """Xvfb on a free display number, once it takes clients."""
    log = open(os.path.join(work, "xvfb.log"), "w")
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten",
                               "tcp", "-noreset"], pass_fds=[write_end], stdout=log, stderr=log)
    os.close(write_end)
    with os.fdopen(read_end) as answer:
        number = answer.readline().strip()
    if not number:
        skip("Xvfb did not start")
    return server, ":" + number


def make_drives(work, count, environment, reg):
    """count tmpfs drives holding a few files, saved as the selection."""
    drives = [os.path.join(work, "drive%d" % index) for index in range(count)]
    for drive in drives:
        os.makedirs(drive)
        subprocess.run(["mount", "-t", "tmpfs", "-o", "size=4m", "tmpfs", drive], check=True)
        for folder in range(3):
            os.makedirs(os.path.join(drive, str(folder)))
            with open(os.path.join(drive, str(folder), "file"), "w") as data:
                data.write("x" * 5000 * (folder + 1))
    subprocess.run([reg, "add", "HKCU\\Software\\Tamsel", "/v", "SelectedDrives", "/t", "REG_SZ", "/d",
                    "\t".join(drives), "/f"], env=environment, check=True, stdout=subprocess.DEVNULL)


def walk(node, path, depth, lines, faults):
    """The showing part of the tree below node, as lines, and its faults."""
    import pyatspi
    try:
        role, name, states = node.getRoleName(), node.name or "", node.getState()
    except Exception as failure:
        faults.append("%s: cannot be read (%s)" % (path, failure))
        return
    if not states.contains(pyatspi.STATE_SHOWING):
        return
    here = "%s/%s[%s]" % (path, role, name)
    notes = ["checked"] if states.contains(pyatspi.STATE_CHECKED) else []
    try:
        notes.append("value=%g" % node.queryValue().currentValue)
    except Exception:  # no value to tell
        pass
    if node.description:
        notes.append("description=%r" % node.description)
    lines.append("%s%s %r %s" % ("  " * depth, role, name, " ".join(notes)))
    if role in GENERIC_ROLES:
        faults.append("%s: generic role %r" % (here, role))
    # A label with no text yet (a count before the first tick) has nothing to say.
    if not name.strip() and role not in GROUPING_ROLES and role != "label":
        faults.append("%s: no name" % here)
    for index in range(node.childCount):
        child = node.getChildAtIndex(index)
        if child is not None:
            walk(child, here, depth + 1, lines, faults)


def read_tree(pid, title, wait_for, deadline):
    """The window's tree once it is there (and holds wait_for): its lines and faults."""
    import pyatspi
    last = ([], ["no window %r of the program on the accessibility bus" % title])
    while time.time() < deadline:
        apps = [a for a in pyatspi.Registry.getDesktop(0) if a is not None and a.get_process_id() == pid]
        windows = [w for a in apps for w in a if w is not None and w.name == title]
        if windows:
            lines, faults = [], []
            walk(windows[0], "", 0, lines, faults)
            last = (lines, faults)
            if lines and (not wait_for or any(wait_for in line for line in lines)):
                return last
        time.sleep(0.3)
    return last


def page_tabs(pid, title):
    """The window's page tabs that show, by name."""
    import pyatspi
    found = []

    def gather(node):
        if node is None or not node.getState().contains(pyatspi.STATE_SHOWING):
            return
        if node.getRoleName() == "page tab":
            found.append(node)
        for index in range(node.childCount):
            gather(node.getChildAtIndex(index))

    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.get_process_id() == pid:
            for window in app:
                if window is not None and window.name == title:
                    gather(window)
    return found


def each_tab(pid, title, deadline):
    """Presses every page tab in turn; true when each tab's page passes."""
    passed = True
    for tab in page_tabs(pid, title):
        name = tab.name
        tab.queryAction().doAction(0)
        time.sleep(0.5)
        passed = report("%s, tab %r" % (title, name), *read_tree(pid, title, None, deadline)) and passed
    return passed


def click(environment, title, point):
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % title], env=environment,
                           capture_output=True, text=True).stdout.split()
    x, y = point.split(",")
    return bool(found) and subprocess.run(["xdotool", "mousemove", "--window", found[0], x, y, "click", "1"],
                                          env=environment).returncode == 0


def report(heading, lines, faults):
    print("== " + heading + "\n" + "\n".join(lines))
    for fault in faults:
        print("FAULT " + fault)
    return not faults


def inner(arguments):
    work = os.environ["XDG_RUNTIME_DIR"]
    server, display = start_x_server(work)
    os.environ["DISPLAY"] = display
    environment = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_ACCESSIBILITY="1", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                       XDG_RUNTIME_DIR=work, XDG_CONFIG_HOME=os.path.join(work, "config"),
                       XDG_DATA_HOME=os.path.join(work, "data"))
    log_path = os.path.join(work, "program.log")
    log = open(log_path, "w")
    if arguments.drives:
        make_drives(work, arguments.drives, environment, arguments.reg)
    for command in arguments.before:
        subprocess.run(shlex.split(command), env=environment, stdout=log, stderr=log, check=True, timeout=60)
    program = subprocess.Popen(arguments.command, env=environment, stdout=log, stderr=subprocess.STDOUT)
    try:
        deadline = time.time() + 30
        passed = report(arguments.window, *read_tree(program.pid, arguments.window, None, deadline))
        if passed and arguments.click:
            clicked = click(environment, arguments.window, arguments.click)
            tree = read_tree(program.pid, arguments.window, arguments.wait_for, deadline) if clicked else \
                ([], ["the click at %s could not be given" % arguments.click])
            passed = report("%s after a click at %s" % (arguments.window, arguments.click), *tree)
        if passed and arguments.each_tab:
            passed = each_tab(program.pid, arguments.window, deadline + 30)
    finally:
        program.kill()
        program.wait()
        server.terminate()
        server.wait()
    if not passed:
        print("== the program said:\n" + open(log_path).read())
    return 0 if passed else 1


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--window", required=True)
    parser.add_argument("--drives", type=int, default=0)
    parser.add_argument("--reg")
    parser.add_argument("--before", action="append", default=[])
    parser.add_argument("--click")
    parser.add_argument("--wait-for")
    parser.add_argument("--each-tab", action="store_true")
    parser.add_argument("--inner", action="store_true", help=argparse.SUPPRESS)
    parser.add_argument("command", nargs="+")
    arguments = parser.parse_args()
    if arguments.inner:
        return inner(arguments)
    for tool in ("Xvfb", "dbus-run-session", "xdotool"):
        if shutil.which(tool) is None:
            skip("%s is not installed" % tool)
    if not os.path.exists("/usr/share/dbus-1/services/org.a11y.Bus.service"):
        skip("at-spi2-core is not installed")
    if importlib.util.find_spec("pyatspi") is None:
        skip("python3-pyatspi is not installed (for %s)" % sys.executable)
    # A private session bus, and with it a private accessibility bus.
    command = ["dbus-run-session", "--", sys.executable, os.path.abspath(__file__), "--inner"] + sys.argv[1:]
    if arguments.drives:
        if os.geteuid() != 0 or shutil.which("unshare") is None or not arguments.reg:
            skip("mounting the drives needs root, unshare and --reg")
        # The drives' mounts go with the namespace when the check ends.
        command = ["unshare", "--mount", "--propagation", "private"] + command
    # The accessibility bus's socket lies in the runtime folder, which the
    # session bus hands on to the bus it starts: without one of its own, every
    # check running at once would share ~/.cache/at-spi/bus, and the first to
    # end would take the others' bus with it.
    work = tempfile.mkdtemp(prefix="corvath-atspi-")
    try:
        return subprocess.run(command, env=dict(os.environ, XDG_RUNTIME_DIR=work)).returncode
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
