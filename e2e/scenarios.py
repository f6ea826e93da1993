"""End-to-end scenarios: the installed program used as a candidate uses it,
by keyboard, each checked by what the candidate would see.

Usage (inside xvfb-run dbus-run-session, see run.sh):
    scenarios.py PREFIX WORK_DIR [NAME ...]"""
import json
import os
import re
import shutil
import subprocess
import sys
import time
import traceback

from desktop import ENABLED, SHOWING, Desktop, ScenarioFailure, descendants, states, wait_for

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

    def __enter__(self):
        return self

    def __exit__(self, kind, error, trace):
        # The screen as the candidate last saw it, kept with MARVESSA_E2E_KEEP.
        if kind is not None and shutil.which("import"):
            subprocess.run(["import", "-window", "root", self.log.name[:-4] + ".png"])
        self.kill()

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


def wait_for_start_window(d):
    """The start window on screen with the keyboard's focus."""
    d.wait("push button", "Start Testing")
    wait_for("the start window to have the focus", lambda: d.active_window_title() == "Marvessa")


def close_exam_window_and_quit(d, run):
    """Closes the exam window, which brings the start window back, and ends
    the program with its E&xit button."""
    d.keys("alt+F4")
    wait_for_start_window(d)
    d.keys("alt+x")
    expect(run.end() == 0, "the program ends with E&xit")


def start_exam(d, button, key, caption, candidate):
    """From the start window: the exam window, an exam by its access key,
    the start dialog filled in and confirmed."""
    wait_for_start_window(d)
    d.keys("alt+t")
    d.wait("push button", button)
    d.keys(key)
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
    with Run(desktop, work, "keyboard") as run:
        d = desktop
        wait_for_start_window(d)
        for caption in ("Test Sampler", "Exit"):
            expect(d.find("push button", caption), f"the start window shows {caption!r}")
        d.keys("alt+t")
        # The exam window's selection view names the exam.
        number, title = exam_title_lines()
        wait_for("the selection view", lambda: any(number in t for t in d.texts()) and
                 any(title in t for t in d.texts()))
        expect(d.find("push button", "Start Testing") is None, "the start window hides while the exam window shows")
        # Closing the exam window brings the start window back; E&xit ends the program.
        close_exam_window_and_quit(d, run)


@scenario
def second_instance_brings_the_first_forward(desktop, work):
    with Run(desktop, work, "first") as first:
        d = desktop
        wait_for_start_window(d)
        d.minimise_active_window()
        expect(d.active_window_title() != "Marvessa", "the start window was minimised")
        second = Run(desktop, work, "second")
        expect(second.end() == 0, "the second start ends by itself")
        wait_for("the first instance's start window to come forward",
                 lambda: d.active_window_title() == "Marvessa")
        expect(first.process.poll() is None, "the first instance goes on")
        d.keys("alt+x")
        expect(first.end() == 0, "the first instance ends with E&xit")


@scenario
def practice_exam_answered_reviewed_and_graded(desktop, work):
    """Practice Exam A by keyboard: every item answered, two marked, the
    review list used, graded, and the answers viewed; the score the
    candidate sees is the one the bank's keys give."""
    with Run(desktop, work, "practice") as run:
        d = desktop
        first = start_exam(d, "A", "alt+a", "Begin Practice Exam A", "Ada Candidate")
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
        leave_exam(d)
        close_exam_window_and_quit(d, run)


def write_sampler_item(d, question, multiple, answers):
    """One new item in the sampler, by keyboard: the question, its type,
    then the choices (text, correct); Enter in the last choice saves it."""
    d.keys("alt+i", "a")
    wait_for("a new item", lambda: d.label_starting(" Add new item"))
    d.type_text(question)
    d.keys("ctrl+Tab")
    d.wait("page tab", "Type, Section")
    if multiple:
        d.keys("shift+Tab", "Down", "Tab")
    d.keys("ctrl+Tab")
    d.wait("page tab", "Responce choices")
    d.tab_to("check box", "a.")
    for n, (text, correct) in enumerate(answers):
        if correct:
            d.keys("space")
        d.keys("Tab")
        d.type_text(text)
        d.keys("Tab" if n + 1 < len(answers) else "Return")
    wait_for("the item saved", lambda: d.label_starting(" Saved"))


@scenario
def own_questions_written_then_taken_as_a_user_exam(desktop, work):
    """Two questions written in the sampler come back as a User Exam, with
    their choices, and answering them as keyed scores 1000."""
    with Run(desktop, work, "sampler") as run:
        d = desktop
        wait_for_start_window(d)
        d.keys("alt+s")
        d.wait("frame", "Plindor Test Sampler")
        write_sampler_item(d, "Which command prints the kernel release?", False,
                           [("uname -r", True), ("lsmod", False), ("dmesg -k", False)])
        write_sampler_item(d, "Which files hold the local accounts? (Choose two.)", True,
                           [("/etc/passwd", True), ("/etc/shadow", True), ("/etc/hosts", False)])
        expect(d.label_starting(" Items: ") == " Items: 2", "the sampler counts two items")
        d.keys("alt+f", "x")
        d.wait("alert", "Marvessa")
        d.keys("Return")  # "Are you sure to exit?" OK
        first = start_exam(d, "User Exam", "alt+u", "User Exam", "Ada Candidate")
        expect(first == "Item 1 of 2", f"the User Exam has the two items, not {first!r}")
        seen = {}
        for k in (1, 2):
            wait_for(f"item {k}", lambda: d.label_starting(f"Item {k} of 2"))
            multiple = d.find("check box", "a.") is not None
            choices = [a.description for a in descendants(d.application())
                       if a.getRoleName() in ("radio button", "check box") and a.name.endswith(".")
                       and SHOWING in states(a)]
            seen[multiple] = choices
            d.keys(*(["alt+a", "alt+b"] if multiple else ["alt+a"]))
            if k == 1:
                d.keys("alt+greater")
        expect(seen.get(False) == ["uname -r", "lsmod", "dmesg -k"], f"single-response choices: {seen.get(False)}")
        expect(seen.get(True) == ["/etc/passwd", "/etc/shadow", "/etc/hosts"], f"multiple-response choices: {seen.get(True)}")
        d.tab_to("push button", "Grade Now")
        d.keys("space")
        d.wait("alert", "Marvessa")
        d.keys("Return")
        d.wait("dialog", "Plindor")
        line = "Passing Score: 850   Your Score: 1000   Grade: Pass"
        wait_for(f"the line {line!r}", lambda: d.label_starting("Passing Score") == line)
        leave_exam(d)
        close_exam_window_and_quit(d, run)


def item_id(d):
    return int(wait_for("the item's ID", lambda: d.label_starting("Item ID: ")).split(": ")[1])


def leave_exam(d):
    """E&xit Exam, confirmed: back in the selection view."""
    d.keys("alt+x")
    d.wait("alert", "Marvessa")
    d.keys("alt+y")
    d.wait("push button", "A")


@scenario
def a_saved_note_is_there_in_the_next_exam(desktop, work):
    """A note written on an item is kept in the bank: the next exam that asks
    the same question shows it."""
    with Run(desktop, work, "note") as run:
        d = desktop
        start_exam(d, "A", "alt+a", "Begin Practice Exam A", "Ada Candidate")
        noted = item_id(d)
        note = "Check the order of apt update and install"
        d.keys("alt+n")
        memo = d.wait("text", "User Note")
        d.type_text(note)
        d.tab_to("push button", "Save Note")
        d.keys("space")
        wait_for("Save Note to be done", lambda: ENABLED not in states(d.find("push button", "Save Note")))
        d.tab_to("push button", "Exit")
        d.keys("space")
        d.wait_gone("text", "User Note")
        leave_exam(d)
        # The same exam again, in a new order: walk to the noted question.
        d.keys("alt+a")
        d.wait("dialog", "Begin Practice Exam A")
        d.keys("Return")
        wait_for("the first item", lambda: d.label_starting("Item 1 of 30"))
        for k in range(1, 31):
            wait_for(f"item {k}", lambda: d.label_starting(f"Item {k} of 30"))
            if item_id(d) == noted:
                break
            d.keys("alt+greater")
        expect(item_id(d) == noted, f"the exam asks question {noted} again")
        d.keys("alt+n")
        memo = d.wait("text", "User Note")
        text = memo.queryText()
        shown = text.getText(0, text.characterCount)
        expect(shown == note, f"the note window shows {shown!r}")
        d.tab_to("push button", "Exit")
        d.keys("space")
        d.wait_gone("text", "User Note")
        leave_exam(d)
        close_exam_window_and_quit(d, run)


def time_label(d):
    return next((t for t in d.texts() if re.fullmatch(r"\d+:\d\d:\d\d", t)), None)


@scenario
def a_one_minute_exam_runs_out(desktop, work):
    """A one-minute limit counts down, then asks whether to go on; going on
    leaves the exam running without a time shown."""
    with Run(desktop, work, "expiry") as run:
        d = desktop
        wait_for_start_window(d)
        d.keys("alt+t")
        d.wait("push button", "A")
        d.keys("alt+a")
        d.wait("dialog", "Begin Practice Exam A")
        d.tab_to("spin button", "Time (min):")
        d.keys("ctrl+a")
        d.type_text("1")
        d.keys("Return")
        wait_for("the first item", lambda: d.label_starting("Item 1 of 30"))
        first = wait_for("the remaining time", lambda: time_label(d))
        expect(first in ("00:01:00", "00:00:59", "00:00:58"), f"a minute is left, not {first}")
        alert = d.wait("alert", "Marvessa", timeout=90)
        message = [a.name for a in descendants(alert) if a.getRoleName() == "label" and a.name]
        expect(message == ["Your time has expired.\nDo you want continue the exam anyway?"], f"the expiry says {message}")
        d.keys("Return")  # OK: go on
        d.wait_gone("alert", "Marvessa")
        wait_for("the time to leave the screen", lambda: time_label(d) is None)
        d.keys("alt+greater")
        wait_for("the exam to go on", lambda: d.label_starting("Item 2 of 30"))
        leave_exam(d)
        close_exam_window_and_quit(d, run)


def bank_exam_items(exam):
    """The Q_IDs of one practice exam."""
    with open(os.path.join(os.path.dirname(__file__), "..", "content", "bank.jsonl")) as f:
        return {q_id for q_id, line in enumerate(f, start=1) if json.loads(line)["Q_EXAM_N"] == exam}


@scenario
def the_answer_key_prints_to_pdf(desktop, work):
    """"Print all items in this exam" through the print dialog into a PDF
    file: every item of the exam once, pages numbered, and the exam where
    the candidate left it."""
    with Run(desktop, work, "print") as run:
        d = desktop
        start_exam(d, "A", "alt+a", "Begin Practice Exam A", "Ada Candidate")
        d.keys("alt+greater")
        wait_for("item 2", lambda: d.label_starting("Item 2 of 30"))
        before = item_id(d)
        d.keys("alt+f")
        d.wait("menu item", "Print all items in this exam")
        d.keys("Down", "Return")
        d.wait("dialog", "Print")
        d.tab_to("text", "Output file:")
        pdf = os.path.join(work, "answer-key.pdf")
        d.keys("ctrl+a")
        d.type_text(pdf)
        d.tab_to("push button", "Print")
        d.keys("space")
        d.wait_gone("dialog", "Print")
        wait_for("the PDF to be written", lambda: os.path.exists(pdf) and
                 subprocess.run(["pdfinfo", pdf], capture_output=True).returncode == 0, timeout=30)
        text = subprocess.run(["pdftotext", "-layout", pdf, "-"], capture_output=True, text=True).stdout
        printed = [int(n) for n in re.findall(r"Item ID: (\d+)", text)]
        expect(sorted(printed) == sorted(bank_exam_items(1)), f"the key holds every item of the exam once: {printed}")
        pages = int(re.search(r"Pages:\s+(\d+)", subprocess.run(["pdfinfo", pdf], capture_output=True,
                                                                  text=True).stdout).group(1))
        numbered = set(int(n) for n in re.findall(r"Page: (\d+)", text))
        expect(numbered == set(range(1, pages + 1)), f"{pages} pages, numbered {sorted(numbered)}")
        expect(d.label_starting("Item 2 of 30") and item_id(d) == before, "the exam stays on its item")
        leave_exam(d)
        close_exam_window_and_quit(d, run)


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
    finally:
        desktop.close()
    print(f"{passed} passed, {failed} failed")
    return 1 if failed or not passed else 0


if __name__ == "__main__":
    sys.exit(main())
