#!/usr/bin/python3
"""Every window of the program as a screen reader meets it, through AT-SPI.

usage: a11y_check.py PROGRAM

Starts a virtual X server and a D-Bus session of its own, starts PROGRAM with
Qt's accessibility bridge on, goes through every window by keyboard and fails
on a control without a name, two controls of one window with the same name, a
focusable control that Tab does not reach, a window read as a filler, a name
told twice in a row while typing, a message box button that cannot be
pressed, Enter in the amount that does not say why Save is off, and anything
the blink or the clock tell while nothing happens. Exits 77 (skipped) when
Xvfb, dbus-run-session or pyatspi is missing. Run it with a HOME of its own:
the program keeps its data there.
"""
import ctypes
import os
import shutil
import subprocess
import sys
import time

SKIP = 77
TAB, RETURN, ESCAPE, SPACE, RIGHT = 0xFF09, 0xFF0D, 0xFF1B, 0x20, 0xFF53
# Roles a user operates; their inner parts (a list's items, a calendar's
# cells) are the toolkit's and reached with the arrow keys.
CONTROLS = {"push button", "toggle button", "check box", "radio button", "combo box", "text", "entry",
            "password text", "spin button", "slider", "table", "tree table", "list", "page tab", "menu item"}
CONTAINERS = {"combo box", "table", "tree table", "list", "tree"}
# Named apart from its tabs, though no user operates it.
NAMED = CONTROLS | {"page tab list"}


def outer(program):
    if not shutil.which("Xvfb") or not shutil.which("dbus-run-session"):
        print("SKIP: Xvfb or dbus-run-session is not installed (make deps)")
        return SKIP
    if subprocess.run(["/usr/bin/python3", "-c", "import pyatspi"], capture_output=True).returncode != 0:
        print("SKIP: python3-pyatspi is not installed (make deps)")
        return SKIP
    # Xvfb names a free display on the pipe once it accepts clients. Without
    # -noreset it starts afresh whenever its last client leaves, and refuses
    # the next one meanwhile.
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten",
                             "tcp", "-noreset"], pass_fds=[write_end], stderr=subprocess.DEVNULL)
    os.close(write_end)
    # It writes the number and the line end apart, and dies if the pipe is gone between.
    display = b""
    while not display.endswith(b"\n"):
        chunk = os.read(read_end, 32)
        if not chunk:
            print("FAIL: Xvfb did not start")
            return 1
        display += chunk
    os.close(read_end)
    display = display.decode().strip()
    try:
        # The bus is started with the display known, so the accessibility
        # registry it starts can synthesise keys.
        env = dict(os.environ, DISPLAY=":" + display, TANKO_A11Y_INNER="1")
        return subprocess.run(["dbus-run-session", "--", "/usr/bin/python3", os.path.abspath(__file__), program],
                              env=env, timeout=240).returncode
    finally:
        xvfb.terminate()
        xvfb.wait()


class X11:
    """Stands in for a window manager: a newly mapped window gets the focus."""

    class Attributes(ctypes.Structure):
        _fields_ = [(n, t) for n, t in [
            ("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int), ("height", ctypes.c_int),
            ("border_width", ctypes.c_int), ("depth", ctypes.c_int), ("visual", ctypes.c_void_p),
            ("root", ctypes.c_ulong), ("class_", ctypes.c_int), ("bit_gravity", ctypes.c_int),
            ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
            ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int), ("colormap", ctypes.c_ulong),
            ("map_installed", ctypes.c_int), ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
            ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
            ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p)]]

    def __init__(self):
        self.lib = ctypes.cdll.LoadLibrary("libX11.so.6")
        self.lib.XOpenDisplay.restype = ctypes.c_void_p
        self.lib.XDefaultRootWindow.restype = ctypes.c_ulong
        self.lib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.lib.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_void_p] * 4
        self.lib.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_void_p]
        self.lib.XSetInputFocus.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_ulong]
        self.lib.XFlush.argtypes = [ctypes.c_void_p]
        self.lib.XFree.argtypes = [ctypes.c_void_p]
        self.display = self.lib.XOpenDisplay(None)

    def focus_top(self):
        root, parent, children, count = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.POINTER(ctypes.c_ulong)(), \
            ctypes.c_uint()
        self.lib.XQueryTree(self.display, self.lib.XDefaultRootWindow(self.display), ctypes.byref(root),
                            ctypes.byref(parent), ctypes.byref(children), ctypes.byref(count))
        windows = [children[i] for i in range(count.value)]
        self.lib.XFree(children)
        for window in reversed(windows):  # the top of the stack first
            attributes = self.Attributes()
            self.lib.XGetWindowAttributes(self.display, window, ctypes.byref(attributes))
            if attributes.map_state == 2 and not attributes.override_redirect:
                self.lib.XSetInputFocus(self.display, window, 1, 0)
                self.lib.XFlush(self.display)
                return


def inner(program):
    import pyatspi
    from gi.repository import GLib

    failures = []
    x11 = X11()
    env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
    env.pop("QT_SCALE_FACTOR", None)
    process = subprocess.Popen([program], env=env)

    def wait_for(what, test, timeout=15):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            try:
                result = test()
                if result:
                    return result
            except Exception:  # an object went away while it was read
                pass
            time.sleep(0.05)
        raise SystemExit(f"timed out waiting for {what}")

    def application():
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == "Tanko" and app.childCount:
                return app

    def states(obj):
        return obj.getState()

    def showing_windows():
        app = application()
        return [w for w in app if w is not None and states(w).contains(pyatspi.STATE_SHOWING)] if app else []

    def walk(obj, inside=False):
        """(object, inside a container) for obj and every showing descendant."""
        yield obj, inside
        # A calendar is a table of widgets: its arrows and its day table.
        if obj.getRoleName() in CONTAINERS and not (obj.childCount and obj[0].getRoleName() == "filler"):
            return
        for child in obj:
            if child is not None and states(child).contains(pyatspi.STATE_SHOWING):
                yield from walk(child, inside)

    def read_name(obj):
        # A combo box says its value as its name; its label says what it is.
        if obj.getRoleName() == "combo box":
            for relation in obj.getRelationSet():
                if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
                    return relation.getTarget(0).name
        return obj.name

    def focused(window):
        # The innermost control: a container whose focus proxy has the focus says it has it too.
        found = [obj for obj, _ in walk(window) if obj is not window and states(obj).contains(pyatspi.STATE_FOCUSED)]
        controls = [obj for obj in found if obj.getRoleName() in CONTROLS]
        # The current page tab says it is focused wherever the focus is.
        others = [obj for obj in controls if obj.getRoleName() != "page tab"]
        return (others or controls or found or [None])[-1]

    def key(sym, text=None):
        if text is None:
            pyatspi.Registry.generateKeyboardEvent(sym, None, pyatspi.KEY_SYM)
        else:
            pyatspi.Registry.generateKeyboardEvent(0, text, pyatspi.KEY_STRING)
        time.sleep(0.15)

    def open_window(title, dialog=False):
        """Waits for the window, gives it the focus as a desktop would."""
        def found():
            for w in showing_windows():
                if w.name == title and (w.getRoleName() == "dialog") == dialog:
                    return w
        window = wait_for(f"window '{title}'", found)
        x11.focus_top()
        wait_for(f"the focus in '{title}'", lambda: focused(window))
        return window

    def control_named(window, name):
        return wait_for(f"'{name}' in '{window.name}'",
                        lambda: next((o for o, _ in walk(window)
                                      if o.getRoleName() in CONTROLS and read_name(o) == name), None))

    def focus(window, name):
        control_named(window, name).queryComponent().grabFocus()
        wait_for(f"the focus on '{name}'", lambda: read_name(focused(window)) == name)

    def press(window, name, sym=RETURN):
        focus(window, name)
        key(sym)

    def check_window(window, label):
        role = window.getRoleName()
        if role not in ("frame", "dialog", "alert") or not window.name:
            failures.append(f"{label}: the window is read as a {role} named '{window.name}'")
        controls = [o for o, _ in walk(window) if o is not window and o.getRoleName() in CONTROLS]
        names = {}
        for obj in [o for o, _ in walk(window) if o is not window and o.getRoleName() in NAMED]:
            name = read_name(obj)
            if not name.strip():
                failures.append(f"{label}: a {obj.getRoleName()} has no name")
            elif name in names:
                failures.append(f"{label}: two controls are named '{name}'")
            names[name] = obj
        # Tab goes round once; a radio button or a page tab counts as reached
        # with its group, whose members the arrow keys choose between.
        focusable = [o for o in controls if states(o).contains(pyatspi.STATE_FOCUSABLE)
                     and states(o).contains(pyatspi.STATE_SENSITIVE)]
        reachable = {read_name(o) for o in focusable}
        reached = set()
        groups = {}
        for obj in controls:
            if obj.getRoleName() in ("radio button", "page tab"):
                groups.setdefault((obj.getRoleName(), obj.parent.getIndexInParent()), set()).add(read_name(obj))
        for _ in range(len(focusable) + 3):
            current = focused(window)
            if current is not None:
                reached.add(read_name(current))
                # The calendar is reached with the day table it holds.
                reached |= {read_name(o) for o, _ in walk(window) if o.getRoleName() in CONTAINERS
                            and states(o).contains(pyatspi.STATE_FOCUSED)}
            key(TAB)
            # A busy machine moves the focus late; wait for it rather than read it twice.
            end = time.monotonic() + (1.5 if len(focusable) > 1 else 0)
            while current is not None and time.monotonic() < end and \
                    (focused(window) or current).path == current.path:
                time.sleep(0.05)
        for group in [g for g in groups.values() if g & reached]:
            reached |= group
        for name in sorted(reachable - reached):
            failures.append(f"{label}: Tab never reaches '{name}'")
        print(f"{label}: {len(controls)} controls, {len(focusable)} by Tab", flush=True)

    def listen(steps, seconds=0.5):
        """(kind, object, its name then, or its description for a change of
        that) of each notice the program sends, the main loop run for seconds
        after each step."""
        heard = []

        def note(event):
            try:
                if event.source.getApplication().name == "Tanko":
                    described = event.type.endswith("accessible-description")
                    heard.append((event.type, event.source.path,
                                  event.source.description if described else event.source.name))
            except Exception:
                pass

        kinds = ["object:property-change:accessible-name", "object:property-change:accessible-description",
                 "object:state-changed:showing", "object:state-changed:focused"]
        for kind in kinds:
            pyatspi.Registry.registerEventListener(note, kind)
        try:
            for step in steps:
                step()
                end = time.monotonic() + seconds
                while time.monotonic() < end:
                    GLib.MainContext.default().iteration(False)
                    time.sleep(0.02)
        finally:
            for kind in kinds:
                pyatspi.Registry.deregisterEventListener(note, kind)
        return heard

    try:
        # The user and language window, then the main window.
        user = open_window("Tankometer - v1.0.43")
        check_window(user, "user window")
        focus(user, "User Name")
        key(0, "Anna")
        key(RETURN)
        main = open_window("Tankometer - Anna - v1.0.43")
        check_window(main, "main window")

        # Typing: each result is told once per change, and only when it changes.
        focus(main, "Arrival Kms")
        typed = "650"
        heard = listen([lambda c=c: key(0, c) for c in typed])
        told = {}
        for kind, path, name in heard:
            told.setdefault((kind, path), []).append(name)
        repeated = [names for names in told.values() if any(a == b for a, b in zip(names, names[1:]))]
        if repeated or len(heard) > 2 * len(typed):
            failures.append(f"main window: typing {len(typed)} characters told {[h[2] for h in heard]}")

        # Enter in the amount while Save is off stays there and says why, each time.
        focus(main, "Paid amount")
        heard = listen([lambda: key(RETURN), lambda: key(RETURN)])
        why = "Save is not possible: type the paid amount first"
        if [h[2] for h in heard].count(why) < 2 or read_name(focused(main)) != "Paid amount":
            failures.append(f"main window: Enter with Save off told {[h[2] for h in heard]}, "
                            f"the focus on '{read_name(focused(main))}'")
        key(0, "60")
        control_named(main, "Fuel Quantity").queryEditableText().setTextContents("40")
        press(main, "Save")

        # A foreign currency: Enter in the currency window submits it.
        press(main, "Currency")
        currency = open_window("Tankometer - Anna - v1.0.43", True)
        check_window(currency, "currency window")
        # A message box reads what the user typed as it is, never as markup.
        control_named(currency, "Currency, row 5").queryEditableText().setTextContents("<b>")
        control_named(currency, "Exchange Rate 1 €, row 5").queryEditableText().setTextContents("")
        press(currency, "Submit")
        box = wait_for("the missing rate message", lambda: next(
            w for w in showing_windows() if w.getRoleName() == "alert" and
            any(o.name.endswith("Exchange Rate not Specified") for o, _ in walk(w))))
        x11.focus_top()
        wait_for("the focus in the message", lambda: focused(box))
        check_window(box, "message box")
        text = next(o.name for o, _ in walk(box) if o.name.endswith("Exchange Rate not Specified"))
        if text != "<b> - Exchange Rate not Specified":
            failures.append(f"message box: the typed name is read as markup: '{text}'")
        key(RETURN)
        wait_for("the message to close", lambda: box not in showing_windows())
        x11.focus_top()
        control_named(currency, "Currency, row 5").queryEditableText().setTextContents("")
        press(currency, "Current currency, row 3: USD", SPACE)
        press(currency, "Display Currency message", SPACE)
        key(RETURN)
        wait_for("the currency window to close", lambda: currency not in showing_windows())
        main = open_window("Tankometer - Anna - v1.0.43")

        # Nothing happens: the blink and the clock tell nothing, take no focus.
        before = read_name(focused(main))
        heard = listen([lambda: None], 2.2)
        paths = [path for _, path, _ in heard]
        # The clock's minute may turn meanwhile: once.
        if len(set(paths)) < len(paths) or len(paths) > 1 or read_name(focused(main)) != before:
            failures.append(f"main window: while idle the program told {[h[2] for h in heard]}")

        for button, label in [("Average", "report"), ("Calendar", "calendar")]:
            press(main, button)
            window = open_window("Tankometer - Anna - v1.0.43", True)
            check_window(window, label)
            if label == "report":
                # The log: Tab from Close to the tabs, an arrow key to the next one.
                focus(window, "Close")
                key(TAB)
                wait_for("the focus on the tabs", lambda: read_name(focused(window)) == "Averages")
                key(RIGHT)
                wait_for("the log", lambda: any(o.getRoleName() == "table" for o, _ in walk(window)))
                check_window(window, "report: fill-ups")
                # The question before a removal: buttons of the program's own.
                press(window, "Delete", SPACE)
                box = wait_for("the question before a removal", lambda: next(
                    w for w in showing_windows() if w.getRoleName() == "alert"))
                x11.focus_top()
                wait_for("the focus in the question", lambda: focused(box))
                check_window(box, "removal question")
                buttons = {o.name: o.queryAction() for o, _ in walk(box) if o.getRoleName() == "push button"}
                pressable = sorted(n for n, a in buttons.items() if "Press" in
                                   [a.getName(i) for i in range(a.nActions)])
                if pressable != ["Cancel", "Delete"]:
                    failures.append(f"removal question: the buttons that can be pressed are {pressable}")
                key(ESCAPE)
                wait_for("the question to close", lambda: box not in showing_windows())
                x11.focus_top()
            key(ESCAPE)
            wait_for(f"Escape to close the {label}", lambda: window not in showing_windows())
            main = open_window("Tankometer - Anna - v1.0.43")

        press(main, "About...")
        card = open_window("Tankometer", True)
        check_window(card, "about card")
        key(RETURN)
        main = open_window("Tankometer - Anna - v1.0.43")
        press(main, "Exit")
        if process.wait(timeout=15) != 0:
            failures.append(f"the program ended with {process.returncode}")
    except SystemExit as stop:  # a step could not be taken: what was found so far counts
        failures.append(str(stop))
    finally:
        if process.poll() is None:
            process.kill()
    for failure in failures:
        print("FAIL:", failure)
    print(f"{len(failures)} problems" if failures else "every window passed")
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    sys.exit(inner(sys.argv[1]) if os.environ.get("TANKO_A11Y_INNER") else outer(sys.argv[1]))
