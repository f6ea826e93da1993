"""A candidate's desktop for the end-to-end scenarios: the installed program
under Xvfb with a small window manager, driven by synthetic keys and clicks
(xdotool) and read back through the accessibility tree (AT-SPI), as a
screen reader reads it.

Run inside `xvfb-run dbus-run-session`; see run.sh."""
import os
import subprocess
import time

import pyatspi

SHOWING = pyatspi.STATE_SHOWING
CHECKED = pyatspi.STATE_CHECKED
ENABLED = pyatspi.STATE_ENABLED
FOCUSED = pyatspi.STATE_FOCUSED


class ScenarioFailure(AssertionError):
    pass


def wait_for(what, probe, timeout=15.0, interval=0.1):
    """Polls probe() until it returns something true; fails naming `what`."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            value = probe()
        except Exception:  # the tree changes under us while windows open
            value = None
        if value:
            return value
        if time.monotonic() > deadline:
            raise ScenarioFailure(f"timed out waiting for {what}")
        time.sleep(interval)


def states(acc):
    return set(acc.getState().getStates())


def descendants(acc, depth=0, limit=40):
    """Every accessible below acc, depth first."""
    if depth > limit:
        return
    for i in range(acc.childCount):
        child = acc.getChildAtIndex(i)
        if child is None:
            continue
        yield child
        yield from descendants(child, depth + 1, limit)


class Desktop:
    """The window manager and accessibility bus of one scenario run."""

    def __init__(self, prefix, home):
        self.prefix = prefix
        self.env = dict(os.environ, HOME=home, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                        QT_ACCESSIBILITY="1", ASAN_OPTIONS="detect_leaks=0")
        self.env.pop("QT_QPA_PLATFORM", None)
        # The single-instance lock and socket live in the temporary folder: one
        # of the run's own keeps a Marvessa the user runs meanwhile out of it.
        self.env["TMPDIR"] = os.path.join(home, "tmp")
        os.makedirs(self.env["TMPDIR"], exist_ok=True)
        self.helpers = [subprocess.Popen(["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL),
                        subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)]
        # Windows mapped before the window manager runs never get the focus:
        # wait until it answers for the active window (slow on a busy machine).
        wait_for("the window manager", self.window_manager_running, timeout=60)

    def close(self):
        for p in self.helpers:
            p.terminate()
            p.wait()

    def start_program(self, log):
        return subprocess.Popen([os.path.join(self.prefix, "bin", "marvessa")], env=self.env,
                                stdout=log, stderr=subprocess.STDOUT)

    # ---- reading what the candidate sees ----
    @staticmethod
    def application():
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and (app.name or "").lower() == "marvessa":
                return app
        return None

    def find(self, role, name=None, showing=True, root=None):
        """The first accessible with this role (and name) that is on screen."""
        root = root or self.application()
        if root is None:
            return None
        for acc in descendants(root):
            if acc.getRoleName() != role:
                continue
            if name is not None and acc.name != name:
                continue
            if showing and SHOWING not in states(acc):
                continue
            return acc
        return None

    def wait(self, role, name=None, timeout=15.0):
        return wait_for(f"{role} {name!r} on screen", lambda: self.find(role, name), timeout)

    def wait_gone(self, role, name=None, timeout=15.0):
        wait_for(f"{role} {name!r} to leave the screen", lambda: self.find(role, name) is None, timeout)

    def focused(self):
        """The controls that say they have the focus (a tab page, its tab
        and the control inside may all say so)."""
        return [acc for acc in descendants(self.application())
                if FOCUSED in states(acc) and SHOWING in states(acc) and acc.getRoleName() != "filler"]

    def tab_to(self, role, name, limit=40):
        """Moves the focus with Tab until it rests on this control, as a
        keyboard user reaches a button that has no access key."""
        for _ in range(limit):
            for acc in self.focused():
                if acc.getRoleName() == role and acc.name == name:
                    return acc
            self.keys("Tab")
        raise ScenarioFailure(f"Tab never reaches {role} {name!r}")

    def label_starting(self, prefix):
        """The text of the showing label that starts with prefix, or None."""
        return next((t for t in self.texts() if t.startswith(prefix)), None)

    def texts(self, role="label"):
        """The names of every showing accessible of a role, in tree order."""
        app = self.application()
        return [a.name for a in descendants(app) if a.getRoleName() == role and SHOWING in states(a)]

    @staticmethod
    def window_manager_running():
        out = subprocess.run(["xdotool", "getactivewindow"], capture_output=True, text=True)
        return "claims not to support" not in out.stderr

    @staticmethod
    def active_window_title():
        out = subprocess.run(["xdotool", "getactivewindow", "getwindowname"], capture_output=True, text=True)
        return out.stdout.strip()

    # ---- acting as the candidate ----
    @staticmethod
    def keys(*names):
        for name in names:
            subprocess.run(["xdotool", "key", "--clearmodifiers", name], check=True)
            time.sleep(0.15)

    @staticmethod
    def type_text(text):
        subprocess.run(["xdotool", "type", "--delay", "20", text], check=True)

    @staticmethod
    def minimise_active_window():
        subprocess.run(["xdotool", "getactivewindow", "windowminimize"], check=True)
        time.sleep(0.3)
