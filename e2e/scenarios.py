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

from desktop import ENABLED, Desktop, ScenarioFailure, states, wait_for

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


def bank_keys():
    """The keyed letters of every bank item, by Q_ID (the line number)."""
    keys = {}
    with open(os.path.join(os.path.dirname(__file__), "..", "content", "bank.jsonl")) as f:
        for q_id, line in enumerate(f, start=1):
            item = json.loads(line)
            keys[q_id] = "".join(letter for n, letter in enumerate("ABCDEF", start=1) if item[f"A{n}"])
    return keys


def start_exam(d, button, caption, candidate):
    """From the start window: the exam window, an exam by its access key,
    the start dialog filled in and confirmed."""
    d.wait("push button", "Start Testing")
    d.keys("alt+t")
    d.wait("push button", button)
    d.keys(f"alt+{button.lower()}" if len(button) == 1 else button)
    d.wait("dialog", caption)
    d.keys("ctrl+a")
    d.type_text(candidate)
    d.keys("Return")
    return wait_for("the first item", lambda: d.label_starting("Item 1 of "))


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


@scenario
def practice_exam_answered_reviewed_and_graded(desktop, work):
    """Practice Exam A by keyboard: every item answered, two marked, the
    review list used, graded, and the answers viewed; the score the
    candidate sees is the one the bank's keys give."""
    run = Run(desktop, work, "practice")
    try:
        d = desktop
        first = start_exam(d, "A", "Begin Practice Exam A", "Ada Candidate")
        expect(first == "Item 1 of 30", f"Practice Exam A has 30 items, not {first!r}")
        keys, given, marked = bank_keys(), {}, {3, 7}
        for k in range(1, 31):
            wait_for(f"item {k}", lambda: d.label_starting(f"Item {k} of 30"))
            q_id = int(d.label_starting("Item ID: ").split(": ")[1])
            multiple = d.find("check box", "a.") is not None
            d.keys(*(["alt+a", "alt+b"] if multiple else ["alt+b"]))
            given[k] = (q_id, "AB" if multiple else "B")
            if k in marked:
                d.keys("alt+m")
            if k < 30:
                d.keys("alt+greater")
        # The items review while answering: every item with its answers, the
        # marked ones marked; the twelfth entry leads to item 12.
        d.keys("alt+r")
        d.wait("dialog", "Items Review")
        entries = wait_for("the review list", lambda: [a for a in desktop_list(d, "Items")])
        expect(len(entries) == 30, f"the review lists 30 items, not {len(entries)}")
        for k, entry in enumerate(entries, start=1):
            expect(entry.name == f"{k}  {given[k][1]}", f"review entry {k} reads {entry.name!r}")
            state = "marked" if k in marked else "complete"
            expect(entry.description == state, f"review entry {k} is {entry.description!r}, not {state}")
        expect(ENABLED not in states(d.find("push button", "Go to the selected question")),
               "going to an item waits for a selection")
        d.keys(*["Down"] * 11, "alt+g")
        wait_for("item 12 after the review", lambda: d.label_starting("Item 12 of 30"))
        # Grading: the confirmation, then the report with the bank's score.
        d.tab_to("push button", "Grade Now")
        d.keys("space")
        d.wait("alert", "Marvessa")
        d.keys("Return")
        d.wait("dialog", "Plindor")
        correct = sum(1 for q_id, answer in given.values() if keys[q_id] == answer)
        score = round(1000 * correct / 30)
        grade = "Pass" if 1000 * correct >= 850 * 30 else "Fail"
        line = f"Passing Score: 850   Your Score: {score}   Grade: {grade}"
        wait_for(f"the line {line!r}", lambda: d.label_starting("Passing Score") == line)
        # The answers: the item's verdict as the bank's key gives it.
        d.keys("alt+v")
        d.wait_gone("dialog", "Plindor")
        q_id = int(wait_for("the item in review", lambda: d.label_starting("Item ID: ")).split(": ")[1])
        item = next(a for q, a in given.values() if q == q_id)
        verdict = "Correct" if keys[q_id] == item else "Incorrect"
        wait_for(f"the verdict {verdict}", lambda: verdict in d.texts())
        expect(d.find("push button", "Score Report"), "the grade button now shows the score report again")
        # Leaving the exam returns to the selection view.
        d.keys("alt+x")
        d.wait("alert", "Marvessa")
        d.keys("alt+y")
        d.wait("push button", "A")
        d.keys("alt+F4")
        d.wait("push button", "Start Testing")
        d.keys("alt+x")
        expect(run.end() == 0, "the program ends with E&xit")
    finally:
        run.kill()


def desktop_list(d, name):
    """The entries of the showing list with this accessible name."""
    lst = d.find("list", name)
    return [lst.getChildAtIndex(i) for i in range(lst.childCount)] if lst else []


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
