#!/usr/bin/python3
"""A window as a screen reader meets it: starts a program of ours on an X
server and a D-Bus session of their own, with Qt's AT-SPI bridge on, reads its
accessible tree with pyatspi, prints it, and fails (naming each node) when a
control that shows has a generic role or no name a screen reader could speak.

accessible_tree_check.py --window TITLE [--env NAME=VALUE]... [--drives N --reg CORVATH_REG]
                         [--before COMMAND]... [--click X,Y [--wait-for TEXT]] -- PROGRAM [ARGUMENT]...

--drives mounts N small tmpfs drives in a mount namespace of its own (root
only) and makes them the saved selection with corvath-reg; --before runs a
command (one string, split as a shell would) first, with the same
environment, such as "corvath-analyzer -auto" to store scans of them. --click
presses the left button at a point of the window's client area once the tree
is read, and the tree is read again once a node's text holds TEXT. Exit
status 0 when every node passes, 1 when one fails, 77 when something needed
is missing (the test is skipped)."""

import argparse
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
                  "tool bar", "status bar", "menu bar", "split pane", "page tab list", "table row", "tree item"}


def skip(reason):
    print("SKIPPED: " + reason)
    sys.exit(SKIP)


def parse_arguments():
    parser = argparse.ArgumentParser()
    parser.add_argument("--window", required=True)
    parser.add_argument("--env", action="append", default=[])
    parser.add_argument("--drives", type=int, default=0)
    parser.add_argument("--reg")
    parser.add_argument("--before", action="append", default=[])
    parser.add_argument("--click")
    parser.add_argument("--wait-for")
    parser.add_argument("--inner", action="store_true", help=argparse.SUPPRESS)
    parser.add_argument("command", nargs="+")
    return parser.parse_args()


def start_x_server(work):
    """Xvfb on a free display number, once it takes clients."""
    log = open(os.path.join(work, "xvfb.log"), "w")
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten",
                               "tcp", "-noreset"], pass_fds=[write_end], stdout=log, stderr=log)
    os.close(write_end)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read_end, 16)
        if not chunk:
            break
        number += chunk
    os.close(read_end)
    if not number.strip():
        skip("Xvfb did not start")
    return server, ":" + number.decode().strip()


def application_named(desktop, pid):
    for app in desktop:
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except Exception:
            continue
    return None


def node_states(node):
    import pyatspi
    states = node.getState()
    return {"showing": states.contains(pyatspi.STATE_SHOWING), "visible": states.contains(pyatspi.STATE_VISIBLE)}


def describe(node):
    parts = []
    for getter in ("queryValue",):
        try:
            value = getattr(node, getter)()
            parts.append("value=%g" % value.currentValue)
        except Exception:
            pass
    try:
        import pyatspi
        states = node.getState()
        for name, state in (("checked", pyatspi.STATE_CHECKED), ("disabled", None)):
            if state is not None and states.contains(state):
                parts.append(name)
        if not states.contains(pyatspi.STATE_ENABLED) and node.getRoleName() not in GROUPING_ROLES:
            parts.append("disabled")
    except Exception:
        pass
    try:
        if node.description:
            parts.append("description=%r" % node.description)
    except Exception:
        pass
    return " ".join(parts)


def walk(node, path, depth, lines, faults):
    """Prints the showing part of the tree below node and collects its faults."""
    try:
        role = node.getRoleName()
        name = node.name or ""
        states = node_states(node)
    except Exception as failure:
        faults.append("%s: cannot be read (%s)" % (path, failure))
        return
    if not states["showing"]:
        return
    here = "%s/%s[%s]" % (path, role, name)
    lines.append("%s%s %r %s" % ("  " * depth, role, name, describe(node)))
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
        app = application_named(pyatspi.Registry.getDesktop(0), pid)
        windows = [w for w in (app or []) if w is not None and w.name == title and node_states(w)["showing"]]
        if windows:
            lines, faults = [], []
            walk(windows[0], "", 0, lines, faults)
            last = (lines, faults)
            if not wait_for or any(wait_for in line for line in lines):
                return last
        time.sleep(0.3)
    return last


def click(display, title, point):
    environment = dict(os.environ, DISPLAY=display)
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % title], env=environment,
                           capture_output=True, text=True).stdout.split()
    if not found:
        return False
    x, y = point.split(",")
    return subprocess.run(["xdotool", "mousemove", "--window", found[0], x, y, "click", "1"],
                          env=environment).returncode == 0


def report(heading, lines, faults):
    print("== " + heading)
    print("\n".join(lines))
    for fault in faults:
        print("FAULT " + fault)
    return not faults


def make_drives(work, count, environment, reg):
    """count tmpfs drives holding a few files, saved as the selection."""
    drives = []
    for index in range(count):
        drive = os.path.join(work, "drive%d" % index)
        os.makedirs(drive)
        subprocess.run(["mount", "-t", "tmpfs", "-o", "size=4m", "tmpfs", drive], check=True)
        for folder in range(3):
            os.makedirs(os.path.join(drive, "folder%d" % folder))
            with open(os.path.join(drive, "folder%d" % folder, "file"), "w") as data:
                data.write("x" * 5000 * (folder + 1))
        drives.append(drive)
    subprocess.run([reg, "add", "HKCU\\Software\\Tamsel", "/v", "SelectedDrives", "/t", "REG_SZ", "/d",
                    "\t".join(drives), "/f"], env=environment, check=True, stdout=subprocess.DEVNULL)


def inner(arguments):
    try:
        import pyatspi  # noqa: F401 (checked before anything starts)
    except ImportError:
        skip("python3-pyatspi is not installed")
    work = tempfile.mkdtemp(prefix="corvath-atspi-")
    server, display = start_x_server(work)
    environment = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb", QT_ACCESSIBILITY="1",
                       QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", XDG_RUNTIME_DIR=work)
    for folder in ("config", "data"):
        environment["XDG_%s_HOME" % folder.upper()] = os.path.join(work, folder)
    for pair in arguments.env:
        name, _, value = pair.partition("=")
        environment[name] = value
    log = open(os.path.join(work, "program.log"), "w")
    if arguments.drives:
        make_drives(work, arguments.drives, environment, arguments.reg)
    for command in arguments.before:
        subprocess.run(shlex.split(command), env=environment, stdout=log, stderr=subprocess.STDOUT, check=True,
                       timeout=60)
    program = subprocess.Popen(arguments.command, env=environment, stdout=log, stderr=subprocess.STDOUT)
    os.environ["DISPLAY"] = display
    passed = False
    try:
        deadline = time.time() + 30
        lines, faults = read_tree(program.pid, arguments.window, None, deadline)
        passed = report(arguments.window, lines, faults)
        if arguments.click and not faults:
            if not click(display, arguments.window, arguments.click):
                faults = ["the click at %s could not be given" % arguments.click]
            else:
                lines, faults = read_tree(program.pid, arguments.window, arguments.wait_for, deadline)
            passed = report("%s after a click at %s" % (arguments.window, arguments.click), lines, faults)
    finally:
        program.kill()
        program.wait()
        server.terminate()
        server.wait()
        if not passed:
            print("== the program said:\n" + open(os.path.join(work, "program.log")).read())
        shutil.rmtree(work, ignore_errors=True)
    return 0 if passed else 1


def main():
    arguments = parse_arguments()
    if arguments.inner:
        return inner(arguments)
    for tool in ("Xvfb", "dbus-run-session", "xdotool"):
        if shutil.which(tool) is None:
            skip("%s is not installed" % tool)
    if not os.path.exists("/usr/share/dbus-1/services/org.a11y.Bus.service"):
        skip("at-spi2-core is not installed")
    command = ["dbus-run-session", "--", sys.executable, os.path.abspath(__file__), "--inner"] + sys.argv[1:]
    if arguments.drives:
        if os.geteuid() != 0 or shutil.which("unshare") is None:
            skip("mounting the drives needs root and unshare")
        if not arguments.reg:
            skip("--drives needs --reg")
        # The drives' mounts go with the namespace when the check ends.
        command = ["unshare", "--mount", "--propagation", "private"] + command
    # A private session bus, and with it a private accessibility bus.
    return subprocess.run(command).returncode


if __name__ == "__main__":
    sys.exit(main())
