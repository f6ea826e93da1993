"""End-to-end scenarios: the installed program used as a candidate uses it,
by keyboard, each checked by what the candidate would see.

Usage (inside xvfb-run dbus-run-session, see run.sh):
    scenarios.py PREFIX WORK_DIR [NAME ...]"""
import json
import os
import shutil
import subprocess
import sys
import time
import traceback

from desktop import Desktop, ScenarioFailure, wait_for

SCENARIOS = []


def scenario(fn):
    SCENARIOS.append(fn)
    return fn


def expect(condition, what):
    if not condition:
        raise ScenarioFailure(what)


class Run:
    """One started program and what it printed."""

    def __init__(self, desktop, work, name):
        self.desktop = desktop
        self.log = open(os.path.join(work, name + ".log"), "w")
        self.process = desktop.start_program(self.log)

    def end(self, timeout=10):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            raise ScenarioFailure("the program did not end")
        finally:
            self.log.close()

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.log.close()


def exam_title_lines():
    with open(os.path.join(os.path.dirname(__file__), "..", "content", "exam.json")) as f:
        exam = json.load(f)
    return exam["number"], exam["title"]


@scenario
def start_window_and_exam_window_by_keyboard(desktop, work):
    run = Run(desktop, work, "keyboard")
    try:
        d = desktop
        d.wait("push button", "Start Testing")
        for caption in ("Test Sampler", "Exit"):
            expect(d.find("push button", caption), f"the start window shows {caption!r}")
        expect(d.active_window_title() == "Marvessa", "the start window has the focus")
        d.keys("alt+t")
        # The exam window's selection view names the exam.
        number, title = exam_title_lines()
        wait_for("the selection view", lambda: any(number in t for t in d.texts()) and
                 any(title in t for t in d.texts()))
        expect(d.find("push button", "Start Testing") is None, "the start window hides while the exam window shows")
        # Closing the exam window brings the start window back; E&xit ends the program.
        d.keys("alt+F4")
        d.wait("push button", "Start Testing")
        d.keys("alt+x")
        expect(run.end() == 0, "the program ends with E&xit")
    finally:
        run.kill()


@scenario
def second_instance_brings_the_first_forward(desktop, work):
    first = Run(desktop, work, "first")
    try:
        d = desktop
        d.wait("push button", "Start Testing")
        d.minimise_active_window()
        expect(d.active_window_title() != "Marvessa", "the start window was minimised")
        second = Run(desktop, work, "second")
        expect(second.end() == 0, "the second start ends by itself")
        wait_for("the first instance's start window to come forward",
                 lambda: d.active_window_title() == "Marvessa")
        expect(first.process.poll() is None, "the first instance goes on")
        d.keys("alt+x")
        expect(first.end() == 0, "the first instance ends with E&xit")
    finally:
        first.kill()


def main():
    prefix, work = sys.argv[1], sys.argv[2]
    wanted = set(sys.argv[3:])
    home = os.path.join(work, "home")
    os.makedirs(home, exist_ok=True)
    desktop = Desktop(prefix, home)
    passed = failed = 0
    try:
        for fn in SCENARIOS:
            if wanted and fn.__name__ not in wanted:
                continue
            started = time.monotonic()
            try:
                fn(desktop, work)
                passed += 1
                print(f"PASS {fn.__name__} ({time.monotonic() - started:.1f} s)", flush=True)
            except Exception:
                failed += 1
                print(f"FAIL {fn.__name__}", flush=True)
                traceback.print_exc()
                if shutil.which("import"):  # the screen as it was, for MARVESSA_E2E_KEEP
                    subprocess.run(["import", "-window", "root", os.path.join(work, fn.__name__ + ".png")])
    finally:
        desktop.close()
    print(f"{passed} passed, {failed} failed")
    return 1 if failed or not passed else 0


if __name__ == "__main__":
    sys.exit(main())
