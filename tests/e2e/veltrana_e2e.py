#!/usr/bin/python3
"""veltrana_e2e.py VELTRANA SCREENSHOT_DIR [-k scenario ...]

What only the real program can show: its windows under a window manager, read
through the accessibility bus and driven with real keys and clicks, as a
person and a screen reader use them. run-e2e.sh provides the session bus and
the X server. Each scenario leaves <scenario>.png, taken as it ends, and the
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
# Windows by title and, where titles are alike, by how their description
# begins (the results add how far the unknowns can be trusted).
SPLASH = ("Veltrana", "Pulse una tecla para continuar")
DATA = ("Veltrana", "Presione F1 para ver la ayuda")
RESULTS = ("Veltrana", "Resolución del sistema tridiagonal. Exactitud")
HELP = ("Ayuda de Veltrana", None)
RECOVER = ("Recuperar Datos", None)
LEAVE = ("Salir", None)
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


def find(root, role, name=None):
    """The one showing control of that role (and name) under root."""
    found = [a for a in tree(root) if a.getRole() == role and name in (None, a.name)
             and has(a, pyatspi.STATE_SHOWING)]
    if len(found) != 1:
        raise LookupError(f"{len(found)} showing {Atspi.role_get_name(role)}s named {name!r}")
    return found[0]


def text_of(accessible):
    return accessible.queryText().getText(0, -1)


def table(grid):
    """The cells, row by row, the column headers and the row headers."""
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
        self.start = lambda: subprocess.Popen([BINARY], env=env, stdin=subprocess.DEVNULL,
                                              stdout=self.log, stderr=subprocess.STDOUT)
        # No recovery copy left by another scenario.
        self.copy = os.path.join(env["XDG_DATA_HOME"], "Veltrana", "rescate.tsv")
        if os.path.exists(self.copy):
            os.remove(self.copy)
        self.process = self.start()
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

    def windows(self, kind):
        """The showing windows of a kind: (title, start of the description, or
        None). The program is the only one on this desktop's accessibility bus."""
        self.assertIsNone(self.process.poll(), "the program ended unexpectedly")
        title, description = kind
        return [w for app in list(tree(pyatspi.Registry.getDesktop(0), 1))[1:]
                for w in list(tree(app, 1))[1:] if w.name == title
                and (description is None or w.description.startswith(description))
                and (description != "" or w.description == "") and has(w, pyatspi.STATE_SHOWING)]

    def window(self, kind):
        if len(found := self.windows(kind)) != 1:
            raise LookupError(f"{len(found)} windows {kind!r}")
        return found[0]

    def gone(self, kind):
        wait_for(f"{kind[0]!r} to close", lambda: not self.windows(kind))

    def focused(self, what, probe):
        return wait_for(f"the focus on {what}", lambda: has(probe(), FOCUSED) and probe())

    def button(self, caption, kind=DATA):
        return find(self.window(kind), BUTTON, caption)

    def count_box(self):
        return self.focused("the count box", lambda: find(self.window(DATA), TEXT))

    def open_grid(self, count):
        """The count typed and taken: the grid open for four equations, from A1,
        each cell read with its column and row headers."""
        box = self.count_box()
        self.assertEqual((box.name, box.description),
                         ("Número de ecuaciones", "Introduzca el número de ecuaciones"))
        self.key("ctrl+a")
        self.type(count)
        wait_for(f"the count box to read {count!r}", lambda: text_of(box) == count)
        self.key("Return")
        grid = find(self.window(DATA), TABLE)
        wait_for("the focus in A1", lambda: has(grid.queryTable().getAccessibleAt(0, 0), FOCUSED))
        self.assertEqual((grid.name, grid.description),
                         ("Coeficientes de las ecuaciones", "Introduzca los datos de las ecuaciones"))
        self.assertEqual(table(grid)[1:], (list("ABCD"), list("1234")))
        self.assertFalse(has(box, ENABLED))
        return grid

    def test_start_solve_exit(self):
        """F1 on the splash screen opens the help beside it, from the file beside
        the program, as a window a reader announces with its document to read;
        then any key goes on to the data. Coefficients typed in the user's
        decimal form are solved and read back, the buttons pressed by their
        access keys; a screen reader on the desktop quiets the voice until it
        stops; Salir ends the program cleanly."""
        wait_for("the splash screen", lambda: has(self.window(SPLASH), ACTIVE), 3 * TIMEOUT)
        self.key("F1")
        help_window = wait_for("the help", lambda: self.window(HELP))
        self.assertEqual(help_window.getRole(), pyatspi.ROLE_FRAME)
        document = self.focused("the help document", lambda: find(help_window, LABEL))
        self.assertIn("Veltrana resuelve", text_of(document))
        self.shot("-help")
        self.key("Escape")
        self.gone(HELP)
        wait_for("the splash screen to be active again", lambda: has(self.window(SPLASH), ACTIVE))
        self.key("space")
        self.gone(SPLASH)
        grid = self.open_grid("4,5")  # a half goes to the even neighbour
        # Enter ends an edit and stays on the cell; the arrows move on.
        for moves, value in [("Right", "2,50"), ("Down", "2,50"), ("Down", "2,50"),
                             ("Down", "2,50"), ("Right Right", "1"), ("Up", "1"), ("Up", "1"),
                             ("Up", "1")]:
            self.key(*moves.split())
            self.type(value)
            self.key("Return")
        # A reader hears each cell by where it is, and empty ones as such.
        wait_for("the cells to be checked", lambda: table(grid)[0] == [
            [f"A{i}: vacía", f"B{i}: 2,5", f"C{i}: vacía", f"D{i}: 1"] for i in range(1, 5)])
        self.key("alt+r")  # Resolver
        window = wait_for("the results window", lambda: self.window(RESULTS))
        self.assertTrue(has(window, ACTIVE))
        grid = find(window, TABLE)
        values, columns, _ = wait_for("the results",
                                       lambda: table(grid)[0][-1][1] != "Valor: vacía" and table(grid))
        self.assertEqual((grid.name, columns), ("Incógnitas y sus valores", ["Incógnita", "Valor"]))
        self.assertEqual(values, [[f"Incógnita: x{i}", "Valor: 0,4"] for i in range(1, 5)])
        self.shot("-results")
        self.key("alt+i")  # Ingresar nuevos datos
        self.gone(RESULTS)

        def notice():
            return self.button("Desactivar Voz").description
        # With a sound device there is no other reason to keep quiet.
        usual = "" if os.environ.get("VELTRANA_NULL_SINK") else notice()
        self.assertNotEqual(usual, READER_NOTICE)
        try:
            self.screen_reader(True)
            wait_for("the voice button to tell of the reader", lambda: notice() == READER_NOTICE)
        finally:
            self.screen_reader(False)
        wait_for("the notice to go", lambda: notice() == usual)
        self.key("alt+s")  # Salir
        self.assertEqual(self.process.wait(timeout=3 * TIMEOUT), 0)

    def test_killed_then_recovered(self):
        """A cell typed, then the program killed without a word once its
        recovery copy had a moment to follow (SIGKILL), or told to end at once
        (SIGTERM, as at logout): the next start offers the system back after
        the splash, and Enter takes it, every cell as it was. Leaving with it
        unsaved asks; Descartar ends the program and drops the copy."""
        for number, (sig, pause) in enumerate([(signal.SIGKILL, 1.5), (signal.SIGTERM, 0)]):
            with self.subTest(signal=sig.name):
                wait_for("the splash screen", lambda: has(self.window(SPLASH), ACTIVE), 3 * TIMEOUT)
                self.key("space")
                if number > 0:
                    wait_for("the recovery offer", lambda: self.window(RECOVER))
                    self.key("Return")
                    self.gone(RECOVER)
                grid = find(wait_for("the data window", lambda: self.window(DATA)), TABLE)
                if number == 0:
                    grid = self.open_grid("4")
                self.type(f"{number + 3},5")
                self.key("Return")
                wait_for("the cell checked",
                         lambda: table(grid)[0][0][0] == f"A1: {number + 3},5")
                time.sleep(pause)
                self.process.send_signal(sig)
                self.process.wait(timeout=TIMEOUT)
                self.assertTrue(os.path.exists(self.copy))
                self.process = self.start()
        wait_for("the splash screen", lambda: has(self.window(SPLASH), ACTIVE), 3 * TIMEOUT)
        self.key("space")
        wait_for("the recovery offer", lambda: self.window(RECOVER))
        self.key("Return")
        grid = find(wait_for("the data window", lambda: self.window(DATA)), TABLE)
        wait_for("the cells recovered", lambda: table(grid)[0][0][0] == "A1: 4,5")
        self.key("alt+s")  # Salir, with the system unsaved
        wait_for("the question", lambda: self.window(LEAVE))
        self.key("alt+d")  # Descartar
        self.assertEqual(self.process.wait(timeout=3 * TIMEOUT), 0)
        self.assertFalse(os.path.exists(self.copy))

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
