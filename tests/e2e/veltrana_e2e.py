#!/usr/bin/python3
"""veltrana_e2e.py VELTRANA SCREENSHOT_DIR [-k scenario ...]

Scenarios on the real program, driven with xdotool and read back through
AT-SPI, as a person and a screen reader use it; run-e2e.sh provides the session
bus and the X server with its window manager. Each leaves <scenario>.png, taken as it ends, and the
program's output in <scenario>.log in SCREENSHOT_DIR.
"""

import faulthandler
import os
import signal
import subprocess
import sys
import time
import unittest

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

import pyatspi  # noqa: E402

ACTIVE, ENABLED, FOCUSED = pyatspi.STATE_ACTIVE, pyatspi.STATE_ENABLED, pyatspi.STATE_FOCUSED
BUTTON, LABEL, TABLE, TEXT = (pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_LABEL, pyatspi.ROLE_TABLE,
                              pyatspi.ROLE_TEXT)
# Windows by title, and by a role of control they hold, or lack.
SPLASH, DATA, RESULTS = ("Veltrana", LABEL, TABLE), ("Veltrana", TEXT), ("Veltrana", TABLE, TEXT)
ABOUT, HELP = ("Acerca de Veltrana",), ("Ayuda de Veltrana",)
VALIDATION = ("Error en Validación de Datos",)
SOLVE_ERROR = ("Error en la Resolución del Sistema",)
READER_NOTICE = "Un lector de pantalla está activo: Veltrana no habla para no superponerse"
# Waits end as soon as their condition holds; these are only the limits.
TIMEOUT = float(os.environ.get("E2E_TIMEOUT", "10"))


def wait_for(what, probe, timeout=TIMEOUT):
    """probe()'s first true value. A control that is not there (yet, or any
    more) is a reason to ask again."""
    deadline, problem = time.monotonic() + timeout, None
    while time.monotonic() < deadline:
        try:
            if value := probe():
                return value
        except (GLib.GError, LookupError, NotImplementedError) as error:
            problem = error
        time.sleep(0.05)
    raise AssertionError(f"timed out waiting for {what}" + (f" ({problem})" if problem else ""))


def has(accessible, state):
    return accessible.getState().contains(state)


def tree(accessible, depth=7):
    yield accessible
    for i in range(accessible.childCount if depth and accessible.getRole() != TABLE else 0):
        if (child := accessible.getChildAtIndex(i)) is not None:
            yield from tree(child, depth - 1)


def find(root, role, name=None, one=True):
    """The one showing control of that role (and name) under root; or all of them."""
    found = [a for a in tree(root) if a.getRole() == role and name in (None, a.name)
             and has(a, pyatspi.STATE_SHOWING)]
    if one and len(found) != 1:
        raise LookupError(f"{len(found)} showing {Atspi.role_get_name(role)}s named {name!r}")
    return found[0] if one else found


def text_of(accessible):
    return accessible.queryText().getText(0, -1)


def table(grid):
    t = grid.queryTable()
    return ([[t.getAccessibleAt(r, c).name for c in range(t.nColumns)] for r in range(t.nRows)],
            [t.getColumnHeader(c).name for c in range(t.nColumns)],
            [t.getRowHeader(r).name for r in range(t.nRows)])


class Scenarios(unittest.TestCase):

    def setUp(self):
        # A Spanish user's locale (decimal comma), and no toolkit setting from outside.
        env = {k: v for k, v in os.environ.items() if not k.startswith(("QT_", "LC_", "LANGUAGE"))}
        env.update(QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb",
                   LANG="es_ES.UTF-8", LC_ALL="es_ES.UTF-8")
        self.name = self._testMethodName.removeprefix("test_")
        self.log = open(os.path.join(SHOTS, f"{self.name}.log"), "w+")
        self.addCleanup(self.log.close)
        self.process = subprocess.Popen([BINARY], env=env, stdin=subprocess.DEVNULL,
                                        stdout=self.log, stderr=subprocess.STDOUT)
        # A scenario that hangs, even inside a call to the accessibility bus,
        # ends the run with a trace of where it hung.
        faulthandler.dump_traceback_later(6 * TIMEOUT, exit=True)

    def tearDown(self):
        faulthandler.cancel_dump_traceback_later()
        self.shot()
        self.process.kill()
        self.process.wait()
        self.log.seek(0)
        self.assertNotRegex(self.log.read(), r"ERROR: \w+Sanitizer|runtime error:")

    def shot(self, suffix=""):
        subprocess.run(["import", "-silent", "-window", "root",
                        os.path.join(SHOTS, f"{self.name}{suffix}.png")], timeout=TIMEOUT)

    def key(self, *keys):
        subprocess.run(["xdotool", "key", "--delay", "40", *keys], check=True, timeout=TIMEOUT)

    def type(self, text):
        subprocess.run(["xdotool", "type", "--delay", "40", "--", text], check=True,
                       timeout=TIMEOUT)

    def click(self, accessible):
        box = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        self.assertTrue(box.width > 0 and box.height > 0, f"{accessible.name!r} is not on screen")
        # No --sync: it never returns when the pointer is already there.
        subprocess.run(["xdotool", "mousemove", str(box.x + box.width // 2),
                        str(box.y + box.height // 2), "click", "1"], check=True, timeout=TIMEOUT)

    def windows(self, kind):
        """The program's showing windows of a kind: (title, role held, role lacked)."""
        self.assertIsNone(self.process.poll(), "the program ended unexpectedly")
        title, holding, lacking = (*kind, None, None)[:3]
        for app in list(tree(pyatspi.Registry.getDesktop(0), 1))[1:]:
            try:
                if app.get_process_id() == self.process.pid:
                    return [w for w in list(tree(app, 1))[1:] if w.name == title
                            and has(w, pyatspi.STATE_SHOWING)
                            and (not holding or find(w, holding, one=False))
                            and not (lacking and find(w, lacking, one=False))]
            except GLib.GError:  # a program that has gone
                pass
        raise LookupError("the program is not in the accessibility tree")

    def window(self, kind):
        if len(found := self.windows(kind)) != 1:
            raise LookupError(f"{len(found)} windows titled {kind[0]!r}")
        return found[0]

    def gone(self, kind):
        wait_for(f"{kind[0]!r} to close", lambda: not self.windows(kind))

    def focused(self, what, probe):
        return wait_for(f"the focus on {what}", lambda: has(probe(), FOCUSED) and probe())

    def button(self, caption, kind=DATA):
        return find(self.window(kind), BUTTON, caption)

    def message(self, kind):
        """What a message box says, once its OK button has the focus."""
        self.focused("OK", lambda: self.button("OK", kind))
        return " ".join(label.name for label in find(self.window(kind), LABEL, one=False))

    def count_box(self):
        return self.focused("the count box", lambda: find(self.window(DATA), TEXT))

    def past_splash(self):
        wait_for("the splash screen", lambda: has(self.window(SPLASH), ACTIVE), 3 * TIMEOUT)
        self.key("space")
        return self.count_box()

    def open_grid(self, count):
        """The count typed and taken: the grid open for four equations, from A1."""
        box = self.count_box()
        self.key("ctrl+a")
        self.type(count)
        wait_for(f"the count box to read {count!r}", lambda: text_of(box) == count)
        self.key("Return")
        grid = find(self.window(DATA), TABLE)
        wait_for("the focus in A1", lambda: has(grid.queryTable().getAccessibleAt(0, 0), FOCUSED))
        self.assertEqual(table(grid)[1:], (list("ABCD"), list("1234")))
        self.assertFalse(has(box, ENABLED))
        return grid

    def type_cells(self, grid, rows):
        """Types each value given into its cell, from A1, with the arrow keys
        and Enter, which ends the edit and stays on the cell."""
        row = col = 0
        for r, c, value in ((r, c, v) for r, line in enumerate(rows) for c, v in enumerate(line)):
            if value:
                if moves := ["Down"] * (r - row) + ["Right"] * (c - col) + ["Left"] * (col - c):
                    self.key(*moves)
                self.type(value)
                self.key("Return")
                wait_for(f"cell {'ABCD'[c]}{r + 1} to be written", lambda: table(grid)[0][r][c])
                row, col = r, c

    def test_first_start(self):
        """F1 on the splash screen opens the help beside it, from the file beside
        the program; then any key goes on, and a count under four is refused."""
        wait_for("the splash screen", lambda: has(self.window(SPLASH), ACTIVE), 3 * TIMEOUT)
        self.key("F1")
        # A window announced by its title, the document inside it focused to be read.
        help_window = wait_for("the help", lambda: self.window(HELP))
        self.assertEqual(help_window.getRole(), pyatspi.ROLE_FRAME)
        document = self.focused("the help document", lambda: find(help_window, LABEL))
        self.assertIn("Veltrana resuelve", text_of(document))
        self.assertTrue(self.window(SPLASH))
        self.shot("-help")
        self.key("alt+F4")  # the window manager's close
        self.gone(HELP)
        wait_for("the splash screen to be active again", lambda: has(self.window(SPLASH), ACTIVE))
        self.key("x")
        self.assertEqual(text_of(self.count_box()), "")
        self.gone(SPLASH)
        self.key("2", "Return")
        self.assertEqual(self.message(VALIDATION), "Introduzca un número mayor que tres")
        self.key("Return")
        self.gone(VALIDATION)
        self.assertEqual(text_of(self.count_box()), "2")
        self.open_grid("4")

    def test_solve_then_new_data(self):
        """Coefficients in the user's decimal form, solved, read back, started afresh."""
        self.past_splash()
        grid = self.open_grid("4,5")  # a half goes to the even neighbour
        self.type_cells(grid, [["", "2,50", "-1", "1"], ["-1", "2", "-1", ""],
                               ["-1", "2", "-1", ""], ["-1", "20e-1", "", "0,0"]])
        self.click(self.button("Resolver"))
        window = wait_for("the results window", lambda: self.window(RESULTS))
        grid = find(window, TABLE)
        cells, columns, _ = wait_for("the results", lambda: table(grid)[0][-1][1] and table(grid))
        self.assertEqual(columns, ["Incógnita", "Valor"])
        self.assertEqual(cells, [["x1", "0,571428571428571"], ["x2", "0,428571428571429"],
                                 ["x3", "0,285714285714286"], ["x4", "0,142857142857143"]])
        self.assertTrue(has(window, ACTIVE))
        self.shot("-results")
        self.click(self.button("Ingresar nuevos datos", RESULTS))
        self.assertEqual(text_of(self.count_box()), "")
        self.gone(RESULTS)
        grid = find(self.window(DATA), TABLE)
        self.assertFalse(has(grid, ENABLED) or any(any(line) for line in table(grid)[0]))

    def test_failed_solve_keeps_data(self):
        self.past_splash()
        grid = self.open_grid("4")
        # B(1) = 0: the first step divides by zero.
        system = [["", "0", "", "1"], ["1", "2", "", ""], ["", "2", "", ""], ["", "2", "", "1"]]
        self.type_cells(grid, system)
        self.click(self.button("Resolver"))
        self.assertRegex(self.message(SOLVE_ERROR), "División entre cero.*ecuación 2")
        self.key("Return")
        self.gone(SOLVE_ERROR)
        # The data stay, open to corrections; the empty cells, all read before
        # the solve, read 0.
        expected = [[value or "0" for value in line] for line in system]
        wait_for("the data to be kept", lambda: table(grid)[0] == expected)
        self.assertTrue(has(grid, ENABLED))

    def test_voice_and_about_box(self):
        self.past_splash()
        for caption in ("Desactivar Voz", "Activar Voz", "Desactivar Voz"):
            self.click(wait_for(caption, lambda: self.button(caption)))
        self.click(self.button("Acerca de"))
        wait_for("the about box", lambda: self.window(ABOUT))
        self.click(self.focused("Aceptar", lambda: self.button("Aceptar", ABOUT)))
        self.gone(ABOUT)
        self.count_box()
        # Coming back prepares the data window afresh, the voice on again.
        wait_for("the voice on", lambda: self.button("Desactivar Voz"))

    def test_screen_reader_then_exit(self):
        """A screen reader started on the desktop quiets the program until it stops."""
        self.past_splash()

        def notice():
            return self.button("Desactivar Voz").description
        # With a sound device there is no other reason to keep quiet.
        usual = "" if os.environ.get("VELTRANA_NULL_SINK") else notice()
        self.assertNotEqual(usual, READER_NOTICE)
        try:
            self.screen_reader(True)
            wait_for("the voice button to tell of the reader", lambda: notice() == READER_NOTICE)
            self.shot("-reader")
        finally:
            self.screen_reader(False)
        wait_for("the notice to go", lambda: notice() == usual)
        self.click(self.button("Salir"))
        self.assertEqual(self.process.wait(timeout=3 * TIMEOUT), 0)

    def screen_reader(self, on):
        """The desktop's screen reader setting, set as Orca sets it when it starts."""
        subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                        "/org/a11y/bus", "org.freedesktop.DBus.Properties.Set",
                        "string:org.a11y.Status", "string:ScreenReaderEnabled",
                        f"variant:boolean:{str(on).lower()}"], check=True, capture_output=True,
                       timeout=TIMEOUT)


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    BINARY, SHOTS = map(os.path.abspath, sys.argv[1:3])
    # Stopped from outside, the run ends at once; run-e2e.sh then stops the
    # program with the rest of the session.
    signal.signal(signal.SIGTERM, signal.default_int_handler)
    pyatspi.Registry.getDesktop(0).set_cache_mask(Atspi.Cache.NONE)  # always read live
    unittest.main(argv=[sys.argv[0], "-v", *sys.argv[3:]], warnings="ignore")
