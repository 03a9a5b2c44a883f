#!/usr/bin/python3
"""End-to-end scenarios for the real Veltrana program.

Each scenario starts the built program in the X server named by $DISPLAY,
with accessibility on, and drives it from outside the way a person and a
screen reader do: real key presses and mouse clicks through xdotool, and
everything it checks read back through the AT-SPI accessibility tree (window
titles, control names, texts, table cells, message boxes). Nothing in the
program knows that it is being tested.

    veltrana_e2e.py VELTRANA SCREENSHOT_DIR [scenario ...]

run-e2e.sh provides the X server, the window manager and the session bus.
One PASS or FAIL line per scenario, then "N passed, N failed"; the exit
status is non-zero when anything failed. Each scenario leaves
SCREENSHOT_DIR/<scenario>.png and the program's output in <scenario>.log
(with the accessibility tree appended when it failed).
"""

import os
import re
import signal
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

import pyatspi  # noqa: E402

ES = "es_ES.UTF-8"
EN = "en_US.UTF-8"

TITLE_VALIDATION = "Error en Validación de Datos"
TEXT_MORE_THAN_THREE = "Introduzca un número mayor que tres"
TITLE_SOLVE_ERROR = "Error en la Resolución del Sistema"
TITLE_ABOUT = "Acerca de Veltrana"
TITLE_HELP = "Ayuda de Veltrana"
SPLASH_INVITATION = "Pulse una tecla para continuar"

# Waits end as soon as their condition holds; these are only the limits.
TIMEOUT = float(os.environ.get("E2E_TIMEOUT", "10"))
START_TIMEOUT = 3 * TIMEOUT  # starting or ending the program
POLL = 0.05


class Failure(Exception):
    pass


def wait_for(what, probe, timeout=None):
    """Polls probe() until it returns something true, and returns that.

    A control that is not there (yet, or any more) is a reason to poll again;
    a Failure raised by the probe (the program has ended, a wrong text) ends
    the wait at once.
    """
    limit = timeout or TIMEOUT
    deadline = time.monotonic() + limit
    problem = None
    while True:
        try:
            value = probe()
            if value:
                return value
            problem = None
        except (GLib.GError, LookupError, NotImplementedError) as error:
            problem = error
        if time.monotonic() > deadline:
            detail = f" (last: {problem})" if problem else ""
            raise Failure(f"timed out after {limit:.0f} s waiting for {what}{detail}")
        time.sleep(POLL)


def check(condition, message):
    if not condition:
        raise Failure(message)


# --- Real input ------------------------------------------------------------------


def xdotool(*args):
    done = subprocess.run(["xdotool", *args], capture_output=True, text=True, timeout=TIMEOUT)
    if done.returncode != 0:
        raise Failure(f"xdotool {' '.join(args)} failed: {done.stderr.strip()[:200]}")


def key(*names):
    """Presses keys, one after another, in whatever window has the focus."""
    xdotool("key", "--delay", "40", *names)


def type_text(text):
    xdotool("type", "--delay", "40", "--", text)


def click_at(x, y):
    # The move and the click reach the X server in this order. (No --sync:
    # it never returns when the pointer is already there.)
    xdotool("mousemove", str(x), str(y), "click", "1")


def click(accessible):
    x, y, w, h = extents(accessible)
    check(w > 0 and h > 0, f"{describe(accessible)} has no size on the screen")
    click_at(x + w // 2, y + h // 2)


# --- Reading the accessibility tree ----------------------------------------------


def has_state(accessible, state):
    return accessible.getState().contains(state)


def showing(accessible):
    return has_state(accessible, pyatspi.STATE_SHOWING)


def enabled(accessible):
    return has_state(accessible, pyatspi.STATE_ENABLED)


def focused(accessible):
    return has_state(accessible, pyatspi.STATE_FOCUSED)


def active(accessible):
    return has_state(accessible, pyatspi.STATE_ACTIVE)


def children(accessible):
    found = (accessible.getChildAtIndex(i) for i in range(accessible.childCount))
    return [child for child in found if child is not None]


def descendants(accessible, depth=6):
    """Controls under accessible; a table's cells are read through Grid."""
    for child in children(accessible):
        yield child
        if depth > 1 and child.getRole() != pyatspi.ROLE_TABLE:
            yield from descendants(child, depth - 1)


def find_all(root, role, name=None):
    return [a for a in descendants(root) if a.getRole() == role and name in (None, a.name)]


def find(root, role, name=None):
    """The one showing control of that role (and name) under root."""
    found = [a for a in find_all(root, role, name) if showing(a)]
    if len(found) != 1:
        raise LookupError(f"{len(found)} showing {Atspi.role_get_name(role)}s named {name!r}")
    return found[0]


def button(root, name):
    return find(root, pyatspi.ROLE_PUSH_BUTTON, name)


def showing_buttons(window):
    return [b.name for b in find_all(window, pyatspi.ROLE_PUSH_BUTTON) if showing(b)]


def text_of(accessible):
    return accessible.queryText().getText(0, -1)


def all_text(accessible):
    """The texts of accessible and of everything in it, one after another."""
    parts = []
    for a in [accessible, *descendants(accessible)]:
        try:
            parts.append(text_of(a))
        except NotImplementedError:
            pass
    return "\n".join(part for part in parts if part)


def extents(accessible):
    box = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return box.x, box.y, box.width, box.height


def describe(accessible):
    try:
        return f"{accessible.getRoleName()} {accessible.name!r}"
    except GLib.GError:
        return "a control that has gone"


def dump(accessible, out, depth=0, limit=7):
    """Writes the tree under accessible, for the log of a failed scenario."""
    try:
        flags = "".join(letter for letter, state in (
            ("A", pyatspi.STATE_ACTIVE), ("F", pyatspi.STATE_FOCUSED),
            ("S", pyatspi.STATE_SHOWING), ("E", pyatspi.STATE_ENABLED))
            if has_state(accessible, state))
        line = f"{'  ' * depth}[{accessible.getRoleName()}] {accessible.name!r} {flags}"
        if accessible.getRole() == pyatspi.ROLE_TEXT:
            line += f" text={text_of(accessible)!r}"
        out.write(line + "\n")
        if depth < limit:
            for child in children(accessible)[:60]:
                dump(child, out, depth + 1, limit)
    except GLib.GError as error:
        out.write(f"{'  ' * depth}({error})\n")


class Grid:
    """A table of the program, read through the accessible table interface.
    Rows and columns count from 0 over the cells, headers apart."""

    def __init__(self, accessible):
        self.accessible = accessible
        self.table = accessible.queryTable()

    @property
    def rows(self):
        return self.table.nRows

    def cell(self, row, col):
        cell = self.table.getAccessibleAt(row, col)
        if cell is None:
            raise LookupError(f"no cell at row {row}, column {col}")
        return cell

    def text(self, row, col):
        return self.cell(row, col).name

    def column_headers(self):
        return [self.table.getColumnHeader(c).name for c in range(self.table.nColumns)]

    def row_headers(self):
        return [self.table.getRowHeader(r).name for r in range(self.table.nRows)]

    def contents(self):
        return [[self.text(r, c) for c in range(self.table.nColumns)] for r in range(self.rows)]


def dominant_colour(x, y, w, h):
    """The commonest colour in that part of the screen, as #RRGGBB."""
    done = subprocess.run(
        ["import", "-silent", "-window", "root", "-crop", f"{w}x{h}+{x}+{y}", "+repage",
         "-format", "%c", "histogram:info:-"],
        check=True, capture_output=True, text=True, timeout=TIMEOUT)
    counts = [(int(m.group(1)), m.group(2).upper())
              for m in re.finditer(r"^\s*(\d+):.*?(#[0-9A-Fa-f]{6})", done.stdout, re.M)]
    check(counts, f"could not read the screen's colours at {x},{y}")
    return max(counts)[1]


def cell_background(cell):
    x, y, w, h = extents(cell)
    # Inside the grid lines and the current cell's frame.
    return dominant_colour(x + 4, y + 4, max(w - 8, 1), max(h - 8, 1))


# --- The program -------------------------------------------------------------------


class Program:
    """One run of the real program, found in the tree by its process id."""

    def __init__(self, binary, locale, log_path):
        # Only the locale chosen here, and no toolkit setting from outside.
        env = {k: v for k, v in os.environ.items()
               if not k.startswith(("QT_", "LC_")) and k != "LANGUAGE"}
        env.update(QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb",
                   LANG=locale, LC_ALL=locale)
        self.locale = locale
        self.log_path = log_path
        self.log = open(log_path, "w")
        self.process = subprocess.Popen([binary], env=env, stdin=subprocess.DEVNULL,
                                        stdout=self.log, stderr=subprocess.STDOUT)
        self._app = None

    def number(self, text):
        """A number written with a decimal point, in the user's own form."""
        return text.replace(".", "," if self.locale.startswith("es") else ".")

    def check_running(self):
        code = self.process.poll()
        if code is not None:
            raise Failure(f"the program ended unexpectedly, with exit status {code}")

    def app(self):
        if self._app is not None:
            try:
                if self._app.get_process_id() == self.process.pid:
                    return self._app
            except GLib.GError:
                pass
        self.check_running()
        for app in children(pyatspi.Registry.getDesktop(0)):
            try:
                if app.get_process_id() == self.process.pid:
                    self._app = app
                    return app
            except GLib.GError:
                continue
        raise LookupError("the program is not in the accessibility tree")

    def windows(self):
        return [w for w in children(self.app()) if showing(w)]

    def window(self, title, containing=None):
        """The one showing window with that title (holding a control of that role)."""
        found = [w for w in self.windows() if w.name == title
                 and (containing is None or find_all(w, containing))]
        if len(found) != 1:
            raise LookupError(f"{len(found)} windows titled {title!r}")
        return found[0]

    def wait_window(self, title):
        return wait_for(f"the window {title!r}", lambda: self.window(title))

    def wait_gone(self, what, probe):
        def gone():
            try:
                probe()
            except LookupError:
                return True
            return False
        wait_for(f"{what} to go away", gone)

    def message(self, title):
        """A message box: its window and the text of its labels."""
        box = self.window(title)
        check(box.getRole() in (pyatspi.ROLE_ALERT, pyatspi.ROLE_DIALOG),
              f"{describe(box)} is not a message box")
        return box, " ".join(label.name for label in find_all(box, pyatspi.ROLE_LABEL))

    def wait_message(self, title):
        return wait_for(f"a message box titled {title!r}", lambda: self.message(title))

    def splash(self):
        for w in self.windows():
            if find_all(w, pyatspi.ROLE_LABEL, SPLASH_INVITATION):
                return w
        raise LookupError("no splash screen")

    def data_window(self):
        """Titled Veltrana, with the count box: the one editable text."""
        return self.window("Veltrana", containing=pyatspi.ROLE_TEXT)

    def count_box(self):
        return find(self.data_window(), pyatspi.ROLE_TEXT)

    def data_grid(self):
        return Grid(find(self.data_window(), pyatspi.ROLE_TABLE))

    def results_window(self):
        for w in self.windows():
            if w.name == "Veltrana" and not find_all(w, pyatspi.ROLE_TEXT):
                grids = find_all(w, pyatspi.ROLE_TABLE)
                if len(grids) == 1 and Grid(grids[0]).column_headers() == ["Incógnita", "Valor"]:
                    return w
        raise LookupError("no results window")

    def wait_exit(self):
        try:
            return self.process.wait(timeout=START_TIMEOUT)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end") from None

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.log.close()

    def sanitizer_report(self):
        with open(self.log_path, errors="replace") as log:
            match = re.search(r"ERROR: \w+Sanitizer.*|runtime error:.*", log.read())
        return match.group(0) if match else None


# --- Steps that several scenarios share ------------------------------------------


def wait_focused(what, probe):
    def has_focus():
        accessible = probe()
        return accessible if focused(accessible) else None
    return wait_for(f"the focus on {what}", has_focus)


def wait_splash(program):
    splash = wait_for("the splash screen", program.splash, START_TIMEOUT)
    wait_for("the splash screen to be active", lambda: active(program.splash()))
    return splash


def past_splash(program):
    """Start-up: the splash screen, then a key hands over to the data window."""
    wait_splash(program)
    key("space")
    return wait_focused("the count box", program.count_box)


def enter_count(program, text):
    box = wait_focused("the count box", program.count_box)
    key("ctrl+a")
    type_text(text)
    wait_for(f"the count box to read {text!r}", lambda: text_of(box) == text)
    key("Return")


def wait_grid_open(program, rows):
    def open_grid():
        grid = program.data_grid()
        return grid if enabled(grid.accessible) and grid.rows == rows else None
    grid = wait_for(f"the coefficient grid to open with {rows} rows", open_grid)
    wait_for("the focus in cell A1", lambda: focused(grid.cell(0, 0)))
    check(grid.row_headers() == [str(i) for i in range(1, rows + 1)],
          f"the rows are numbered {grid.row_headers()}")
    check(not enabled(program.count_box()), "the count box is still enabled")
    check("Resolver" in showing_buttons(program.data_window()), "no Resolver button")
    return grid


def type_cells(grid, values):
    """Types each non-empty value into its cell, moving with the arrow keys.

    values: rows of four texts (A, B, C, D), "" for a cell left alone. The
    current cell is A1 when this starts. Each value ends with Enter, which
    ends the edit and stays on the cell.
    """
    row, col = 0, 0
    for r, line in enumerate(values):
        for c, value in enumerate(line):
            if not value:
                continue
            moves = ["Down"] * (r - row) + ["Up"] * (row - r) + ["Right"] * (c - col)
            moves += ["Left"] * (col - c)
            if moves:
                key(*moves)
            row, col = r, c
            type_text(value)
            key("Return")
            # The entry and its check happen together, on the Enter.
            wait_for(f"cell {'ABCD'[c]}{r + 1} to be filled", lambda: grid.text(r, c) != "")


# B = 2, A = C = -1, D = (1, 0, 0, 1): every unknown is 1.
SYSTEM_OF_FOUR = [
    ["0", "2", "-1", "1"],
    ["-1", "2", "-1", "0"],
    ["-1", "2", "-1", "0"],
    ["-1", "2", "0", "1"],
]


def type_system_with_tab(grid, system):
    """Types a whole system as the help's worked example does: each value
    followed by Tab, which goes on along the row and then to the next row."""
    for r, line in enumerate(system):
        for c, value in enumerate(line):
            type_text(value)
            last = r == len(system) - 1 and c == len(line) - 1
            key("Return" if last else "Tab")
    wait_for("every cell to be checked", lambda: grid.contents() == system)


def solve(program):
    click(button(program.data_window(), "Resolver"))


def wait_results(program, count):
    window = wait_for("the results window", program.results_window)
    grid = Grid(find(window, pyatspi.ROLE_TABLE))

    def filled():
        rows = grid.contents()
        return rows if len(rows) == count and rows[-1][1] != "" else None
    return window, wait_for("the results table to be filled", filled)


def reach_results(program, shot=None):
    """The four-equation system, typed and solved."""
    past_splash(program)
    enter_count(program, "4")
    type_system_with_tab(wait_grid_open(program, 4), SYSTEM_OF_FOUR)
    if shot:
        shot("-data")
    solve(program)
    window, rows = wait_results(program, 4)
    program.wait_gone("the data window", program.data_window)
    return window, rows


# --- Scenarios ---------------------------------------------------------------------

SCENARIOS = []


def scenario(name, locale=ES):
    def register(function):
        SCENARIOS.append((name, locale, function))
        return function
    return register


@scenario("splash_key")
def splash_key(program, shot):
    splash = wait_splash(program)
    for label in ("Veltrana", "Versión 1.00", "Diseño y Programación: Tarquino", SPLASH_INVITATION):
        check(find_all(splash, pyatspi.ROLE_LABEL, label), f"the splash screen lacks {label!r}")
    check(len(program.windows()) == 1, "another window is open beside the splash screen")
    shot()
    key("x")
    box = wait_focused("the count box", program.count_box)
    program.wait_gone("the splash screen", program.splash)
    check(text_of(box) == "", f"the count box starts with {text_of(box)!r}")
    check(not enabled(program.data_grid().accessible), "the grid is enabled before a count")


@scenario("splash_f1_then_click")
def splash_f1_then_click(program, shot):
    wait_splash(program)
    key("F1")  # types no character: the help opens and the splash screen stays
    program.wait_window(TITLE_HELP)
    check(program.splash(), "F1 closed the splash screen")
    check(not find_all(program.app(), pyatspi.ROLE_TEXT), "F1 opened the data window")
    shot()
    key("alt+F4")  # the window manager closes the help
    program.wait_gone("the help window", lambda: program.window(TITLE_HELP))
    wait_for("the splash screen to be active again", lambda: active(program.splash()))
    x, y, w, h = extents(program.splash())
    click_at(x + 4, y + h // 2)  # the margin left of the frame
    wait_focused("the count box", program.count_box)
    program.wait_gone("the splash screen", program.splash)


@scenario("count_rejected")
def count_rejected(program, shot):
    past_splash(program)
    for text in ("2", "abc", "40000"):
        enter_count(program, text)
        box, said = program.wait_message(TITLE_VALIDATION)
        check(said == TEXT_MORE_THAN_THREE, f"after {text!r} the message says {said!r}")
        check(focused(button(box, "OK")), "the message's OK button does not have the focus")
        if text == "2":
            shot()
        key("Return")
        program.wait_gone("the message box", lambda: program.message(TITLE_VALIDATION))
        box = wait_focused("the count box", program.count_box)
        check(enabled(box) and text_of(box) == text, f"the count box reads {text_of(box)!r}")
        grid = program.data_grid()
        check(not enabled(grid.accessible), f"the grid is enabled after {text!r}")
        check("Resolver" not in showing_buttons(program.data_window()), f"Resolver shows after {text!r}")
        if text == "2":
            check(grid.row_headers() == ["1", "2"], f"after 2 the grid has rows {grid.row_headers()}")
    enter_count(program, "4")  # and the smallest count is taken
    wait_grid_open(program, 4)


def solve_four(program, shot):
    window, rows = reach_results(program, shot)
    expected = [[f"x{i}", "1"] for i in range(1, 5)]
    check(rows == expected, f"the results read {rows}, not {expected}")
    check(active(window), "the results window is not active")
    shot()


scenario("solve_four_es", ES)(solve_four)
scenario("solve_four_en", EN)(solve_four)


def decimal_format(program, shot):
    """Counts, cells and results in the user's decimal form."""
    past_splash(program)
    enter_count(program, program.number("4.5"))  # a half goes to the even neighbour: 4
    grid = wait_grid_open(program, 4)
    type_cells(grid, [
        ["", program.number("2.50"), "-1", "1"],
        ["-1", "2", "-1", ""],
        ["-1", "2", "-1", ""],
        ["-1", "20e-1", "", program.number("0.0")],
    ])
    for (r, c), text in {(0, 1): program.number("2.5"), (3, 1): "2", (3, 3): "0"}.items():
        check(grid.text(r, c) == text, f"cell {'ABCD'[c]}{r + 1} reads {grid.text(r, c)!r}, not {text!r}")
    solve(program)
    _, rows = wait_results(program, 4)
    # x = 4/7, 3/7, 2/7, 1/7, to 15 significant digits.
    expected = [[f"x{i + 1}", program.number(v)] for i, v in enumerate(
        ("0.571428571428571", "0.428571428571429", "0.285714285714286", "0.142857142857143"))]
    check(rows == expected, f"the results read {rows}, not {expected}")
    shot()


scenario("decimal_format_es", ES)(decimal_format)
scenario("decimal_format_en", EN)(decimal_format)


@scenario("cell_marked_and_corrected")
def cell_marked_and_corrected(program, shot):
    past_splash(program)
    enter_count(program, "4")
    grid = wait_grid_open(program, 4)
    key("Right")
    wait_for("the focus in cell B1", lambda: focused(grid.cell(0, 1)))
    type_text("abc")
    key("Return")
    wait_for("cell B1 to keep 'abc'", lambda: grid.text(0, 1) == "abc")
    # Still editing: End and Backspace work inside the reopened text. (Were
    # the edit closed, End would go to column D and the 3 would land there.)
    key("End", "BackSpace", "BackSpace", "BackSpace")
    type_text("3")
    key("Return")
    wait_for("cell B1 to read '3'", lambda: grid.text(0, 1) == "3")
    check(grid.text(0, 3) == "", f"cell D1 reads {grid.text(0, 3)!r}")
    normal = cell_background(grid.cell(1, 1))
    wait_for("cell B1 to lose its mark", lambda: cell_background(grid.cell(0, 1)) == normal)
    # A rejected entry left uncorrected (Escape) stays in its cell, marked.
    key("Right")
    wait_for("the focus in cell C1", lambda: focused(grid.cell(0, 2)))
    type_text("x")
    key("Return")
    wait_for("cell C1 to keep 'x'", lambda: grid.text(0, 2) == "x")
    key("Escape")
    wait_for("cell C1 to be marked", lambda: cell_background(grid.cell(0, 2)) != normal)
    check(grid.text(0, 2) == "x", f"Escape changed cell C1 to {grid.text(0, 2)!r}")
    shot()
    type_text(program.number("-1.50"))
    key("Return")
    wait_for("cell C1 to read -1,5", lambda: grid.text(0, 2) == program.number("-1.5"))
    wait_for("cell C1 to lose its mark", lambda: cell_background(grid.cell(0, 2)) == normal)


@scenario("zero_pivot")
def zero_pivot(program, shot):
    past_splash(program)
    enter_count(program, "4")
    grid = wait_grid_open(program, 4)
    system = [  # B(1) = 0 and A(2) = 1: the first multiplier divides by zero
        ["", "0", "", "1"],
        ["1", "2", "", ""],
        ["", "2", "", ""],
        ["", "2", "", "1"],
    ]
    type_cells(grid, system)
    solve(program)
    _, said = program.wait_message(TITLE_SOLVE_ERROR)
    check("División entre cero" in said, f"the message does not name the division by zero: {said!r}")
    check("ecuación 2" in said, f"the message does not name equation 2: {said!r}")
    shot()
    key("Return")
    program.wait_gone("the message box", lambda: program.message(TITLE_SOLVE_ERROR))
    # The data stay; the empty cells, all read before the solve, now read 0.
    expected = [[value or "0" for value in line] for line in system]
    wait_for("the data to be kept", lambda: grid.contents() == expected)
    check("Resolver" in showing_buttons(program.data_window()), "Resolver is gone")


@scenario("cell_not_numeric_at_solve")
def cell_not_numeric_at_solve(program, shot):
    past_splash(program)
    enter_count(program, "4")
    grid = wait_grid_open(program, 4)
    key("Down", "Right", "Right")
    wait_for("the focus in cell C2", lambda: focused(grid.cell(1, 2)))
    type_text("abc")
    key("Return")
    wait_for("cell C2 to keep 'abc'", lambda: grid.text(1, 2) == "abc")
    key("Escape", "Up", "Left", "Left")  # left uncorrected
    wait_for("the focus in cell A1", lambda: focused(grid.cell(0, 0)))
    type_cells(grid, [["", "2", "", ""]] * 4)
    solve(program)
    _, said = program.wait_message(TITLE_SOLVE_ERROR)
    check("No coinciden los tipos" in said, f"the message does not name the type mismatch: {said!r}")
    check("fila 2, columna C" in said, f"the message does not name cell C2: {said!r}")
    shot()
    key("Return")
    program.wait_gone("the message box", lambda: program.message(TITLE_SOLVE_ERROR))
    # The cells read before C2 went from empty to 0; the others are as typed.
    expected = [["0", "2", "0", "0"], ["0", "2", "abc", ""], ["", "2", "", ""], ["", "2", "", ""]]
    wait_for("the data to be kept", lambda: grid.contents() == expected)


@scenario("voice_off_on_then_exit")
def voice_off_on_then_exit(program, shot):
    past_splash(program)
    window = program.data_window()
    click(button(window, "Desactivar Voz"))
    wait_for("the voice button to read 'Activar Voz'", lambda: button(window, "Activar Voz"))
    check(not find_all(window, pyatspi.ROLE_PUSH_BUTTON, "Desactivar Voz"), "both voice captions show")
    shot()
    if os.environ.get("VELTRANA_NULL_SINK"):
        # With a sound device the voice works: the button's tooltip, which
        # otherwise says why nothing can be heard, is empty.
        reason = button(window, "Activar Voz").description
        check(reason == "", f"no voice although there is a sound device: {reason!r}")
    click(button(window, "Activar Voz"))
    wait_for("the voice button to read 'Desactivar Voz'", lambda: button(window, "Desactivar Voz"))
    click(button(window, "Salir"))
    code = program.wait_exit()
    check(code == 0, f"Salir ended the program with exit status {code}")


@scenario("about_box")
def about_box(program, shot):
    past_splash(program)
    click(button(program.data_window(), "Desactivar Voz"))
    wait_for("the voice to be off", lambda: button(program.data_window(), "Activar Voz"))
    click(button(program.data_window(), "Acerca de"))
    about = program.wait_window(TITLE_ABOUT)
    for label in ("Veltrana", "por: Tarquino"):
        check(find_all(about, pyatspi.ROLE_LABEL, label), f"the about box lacks {label!r}")
    accept = wait_focused("Aceptar", lambda: button(program.window(TITLE_ABOUT), "Aceptar"))
    shot()
    click(accept)
    program.wait_gone("the about box", lambda: program.window(TITLE_ABOUT))
    wait_for("the data window to be active", lambda: active(program.data_window()))
    wait_focused("the count box", program.count_box)
    # Coming back prepared the data window again: the voice is on.
    wait_for("the voice button to read 'Desactivar Voz'",
             lambda: button(program.data_window(), "Desactivar Voz"))


@scenario("new_data")
def new_data(program, shot):
    window, _ = reach_results(program)
    click(button(window, "Ingresar nuevos datos"))
    box = wait_focused("the count box of a fresh data window", program.count_box)
    program.wait_gone("the results window", program.results_window)
    check(enabled(box) and text_of(box) == "", f"the fresh count box reads {text_of(box)!r}")
    grid = program.data_grid()
    check(not enabled(grid.accessible), "the fresh grid is enabled")
    check(all(text == "" for line in grid.contents() for text in line), "the fresh grid holds data")
    check(button(program.data_window(), "Desactivar Voz"), "the fresh window's voice is off")
    shot()
    program.check_running()


@scenario("exit_from_results")
def exit_from_results(program, shot):
    window, _ = reach_results(program)
    shot()
    click(button(window, "Salir"))
    code = program.wait_exit()
    check(code == 0, f"Salir ended the program with exit status {code}")


@scenario("close_results_window")
def close_results_window(program, shot):
    window, _ = reach_results(program)
    wait_for("the results window to be active", lambda: active(window))
    shot()
    key("alt+F4")  # the window manager's close
    code = program.wait_exit()
    check(code == 0, f"closing the results window ended the program with exit status {code}")


@scenario("help_f1")
def help_f1(program, shot):
    past_splash(program)
    key("F1")
    help_window = program.wait_window(TITLE_HELP)
    body = wait_for("the help text", lambda: all_text(help_window))
    check("Veltrana resuelve" in body, f"the help reads {body[:80]!r}…")
    check(program.data_window(), "the data window went away")
    shot()


# --- Runner ------------------------------------------------------------------------


def screenshot(path):
    subprocess.run(["import", "-silent", "-window", "root", path], check=False, timeout=TIMEOUT)


def run_scenario(binary, shots, name, locale, function):
    """Runs one scenario on a fresh run of the program; returns what failed, or None."""
    program = Program(binary, locale, os.path.join(shots, f"{name}.log"))
    taken = []

    def shot(suffix=""):
        path = os.path.join(shots, f"{name}{suffix}.png")
        screenshot(path)
        taken.append(path)

    problem = None
    try:
        function(program, shot)
    except Failure as error:
        problem = str(error)
    except Exception as error:  # noqa: BLE001 (a step that broke is a failure too)
        problem = f"{type(error).__name__}: {error}"
    finally:
        if problem:
            shot("-FAILED")
            with open(program.log_path, "a") as log:
                log.write(f"\n--- FAILED: {problem}\n--- accessibility tree:\n")
                try:
                    dump(program.app(), log)
                except (GLib.GError, LookupError, Failure) as error:
                    log.write(f"(not available: {error})\n")
        elif not taken:
            shot()
        program.stop()  # also when the run itself is being stopped
    report = program.sanitizer_report()
    return problem or (f"sanitizer: {report}" if report else None)


def main():
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    binary, shots = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    wanted = sys.argv[3:]
    os.makedirs(shots, exist_ok=True)
    # Stopped from outside (a test's timeout): the program under test goes too.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    pyatspi.Registry.getDesktop(0).set_cache_mask(Atspi.Cache.NONE)  # always read live

    passed = failed = 0
    for name in sorted(set(wanted) - {name for name, _, _ in SCENARIOS}):
        print(f"FAIL {name}: no such scenario", flush=True)
        failed += 1
    for name, locale, function in SCENARIOS:
        if wanted and name not in wanted:
            continue
        started = time.monotonic()
        problem = run_scenario(binary, shots, name, locale, function)
        took = f"{name} [{locale.split('.')[0]}] ({time.monotonic() - started:.1f} s)"
        if problem:
            failed += 1
            print(f"FAIL {took}: {problem}\n     see {os.path.join(shots, name)}.log", flush=True)
        else:
            passed += 1
            print(f"PASS {took}", flush=True)
    print(f"{passed} passed, {failed} failed", flush=True)
    return 0 if passed and not failed else 1


if __name__ == "__main__":
    sys.exit(main())
