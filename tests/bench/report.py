#!/usr/bin/env python3
"""Turns what scripts/bench.sh measured into docs/benchmarks.md.

Input: the driver's lines (R figure subject run value unit; N note; E error) and the size lines
(S build part bytes). Every timed figure is reported as the median of its runs with the range
of the runs; a ratio is the program's median over the reference's.
"""
import argparse
import datetime
import os
import platform
import statistics
import subprocess
from collections import defaultdict


def load(path):
    runs = defaultdict(dict)  # (figure, subject) -> {run: value}
    notes, errors = [], []
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            parts = line.rstrip("\n").split("\t")
            if parts[0] == "R" and len(parts) == 6:
                runs[(parts[1], parts[2])][int(parts[3])] = float(parts[4])
            elif parts[0] == "N" and len(parts) >= 2:
                notes.append(parts[1])
            elif parts[0] == "E" and len(parts) >= 2:
                errors.append(parts[1])
    return runs, notes, errors


def load_sizes(path):
    sizes = defaultdict(dict)
    if os.path.exists(path):
        with open(path, encoding="utf-8") as f:
            for line in f:
                parts = line.rstrip("\n").split("\t")
                if parts[0] == "S" and len(parts) == 4:
                    sizes[parts[1]][parts[2]] = int(parts[3])
    return sizes


class Figures:
    def __init__(self, runs):
        self.runs = runs

    def values(self, figure, subject):
        return list(self.runs.get((figure, subject), {}).values())

    def median(self, figure, subject):
        v = self.values(figure, subject)
        return statistics.median(v) if v else None

    def paired(self, fn, *keys):
        """fn applied run by run to figures of the same run; the values where all are there."""
        maps = [self.runs.get(k, {}) for k in keys]
        common = set(maps[0]).intersection(*maps[1:]) if maps else set()
        out = []
        for r in sorted(common):
            try:
                out.append(fn(*[m[r] for m in maps]))
            except ZeroDivisionError:
                pass
        return out


def fmt(v, digits=3):
    if v is None:
        return "—"
    if abs(v) >= 100:
        return f"{v:,.0f}"
    return f"{v:.{digits}g}"


def cell(values, digits=3):
    if not values:
        return "not measured"
    m = statistics.median(values)
    if len(values) == 1:
        return fmt(m, digits)
    return f"{fmt(m, digits)} ({fmt(min(values), digits)}–{fmt(max(values), digits)})"


def verdict(ratio, goal):
    if ratio is None:
        return "—"
    return "met" if ratio <= goal else "**missed**"


def wine_version():
    try:
        return subprocess.run(["wine", "--version"], capture_output=True, text=True,
                              timeout=20).stdout.strip()
    except (OSError, subprocess.SubprocessError):
        return "unknown"


def headline(F):
    """The figures of the goals and the per-tick costs of one run: (label, program, reference)
    medians."""
    def med(values):
        return statistics.median(values) if values else None

    def step_cost(prog, nob):
        return med(F.paired(lambda c, n, s: (c - n) / s * 1000, ("cpu", prog), ("cpu", nob),
                            ("banner_steps", prog)))

    return [
        ("Start-up, server on loopback (ms)", F.median("startup_server", "program"),
         F.median("startup_server", "reference")),
        ("Start-up, nothing listening (ms)", F.median("startup_noserver", "program"),
         F.median("startup_noserver", "reference")),
        ("Start-up processor time, server on loopback (ms)",
         F.median("startup_cpu_server", "program"), F.median("startup_cpu_server", "reference")),
        ("Idle cost, start-up timers (CPU ms/s)", F.median("cpu", "program"),
         F.median("cpu", "reference")),
        ("Idle cost, name cycle running (CPU ms/s)", F.median("cpu", "program_cycle"),
         F.median("cpu", "reference_cycle")),
        ("Banner stopped: clock, keepers, blinker (CPU ms/s)",
         F.median("cpu", "program_nobanner"), F.median("cpu", "reference_nobanner")),
        ("CPU per banner step (µs)", step_cost("program", "program_nobanner"),
         step_cost("reference", "reference_nobanner")),
        ("Free GDI slots lost over the lesson",
         sub(F.median("gdi_free_start", "program"), F.median("gdi_free_end", "program")),
         sub(F.median("gdi_free_start", "reference"), F.median("gdi_free_end", "reference"))),
    ]


def per_message(F, subject, ticks_of, banner=True):
    """CPU per timer message in µs, run by run: the CPU per second of `subject` over the timer
    messages per second counted for `ticks_of`, or over those its own thread took when a hook
    counted them."""
    counted = F.paired(lambda c, m: c / m * 1000, ("cpu", subject), ("timer_messages", subject))
    if counted:
        return counted
    timers = ["clock_1ms", "keeper_1ms", "tab_1ms", "blinker_500ms"] + (
        ["banner_5ms"] if banner else [])
    rates = [F.median("ticks_" + t, ticks_of) for t in timers]
    if any(r is None for r in rates) or not sum(rates):
        return []
    return [c / sum(rates) * 1000 for c in F.values("cpu", subject)]


def quiet_section(w, F, before_rev):
    """The program's wake-ups: timer messages and CPU per second, shown, minimised and
    covered, after and (with a program from before the change in the same rounds) before."""
    before = bool(F.values("cpu", "before_program"))
    w("## Wake-ups: shown, minimised, covered")
    w("")
    w("The timer messages the program's thread takes per second, counted by a hook inside it "
      "(`SpyCountTimers` in `tests/bench/paint_spy.cpp`, which subclasses nothing) for 10 s "
      "after each CPU measurement of the round, beside the CPU of that measurement. The "
      "windows of a round are fanned out so that a corner of each shows; a minimised one is "
      "minimised by the driver, a covered one lies under an opaque window of the driver's. "
      "The reference polls as the original design does, whatever is seen"
      + (f"; the program before is the same program built from {before_rev}, in the same "
         "rounds beside the same reference." if before else "."))
    w("")
    head = "| Program | CPU ms/s | timer messages/s | banner steps/s | Reference CPU ms/s | Ratio |"
    if before:
        head = ("| Program | CPU ms/s, before → after | timer messages/s, before → after | "
                "banner steps/s, after | Reference CPU ms/s | Ratio, before → after |")
    w(head)
    w("|---|---|---|---|---|---|")
    rows = [("idle, start-up timers", "program", "reference"),
            ("name cycle running", "program_cycle", "reference_cycle"),
            ("banner stopped", "program_nobanner", "reference_nobanner"),
            ("minimised", "program_minimised", "reference"),
            ("wholly covered", "program_covered", "reference")]

    def ratio(prog, ref):
        p, r = F.median("cpu", prog), F.median("cpu", ref)
        return fmt(p / r) if p is not None and r else "—"

    for label, prog, ref in rows:
        cpu = cell(F.values("cpu", prog))
        msgs = cell(F.values("timer_messages", prog))
        rat = ratio(prog, ref)
        if before:
            cpu = f"{fmt(F.median('cpu', 'before_' + prog))} → {cpu}"
            msgs = f"{fmt(F.median('timer_messages', 'before_' + prog))} → {msgs}"
            rat = f"{ratio('before_' + prog, ref)} → {rat}"
        w(f"| {label} | {cpu} | {msgs} | {cell(F.values('banner_steps', prog))} | "
          f"{cell(F.values('cpu', ref))} | {rat} |")
    w("")

    def med(fig, subj):
        return F.median(fig, subj)

    goals = []
    p, r = med("cpu", "program"), med("cpu", "reference")
    if p is not None and r:
        goals.append(("idle CPU at most 0.75 × the reference's", f"{fmt(p / r)} ×",
                      p / r <= 0.75))
    m, st = med("timer_messages", "program"), med("banner_steps", "program")
    if m is not None and st is not None:
        # Each of the three timers counted (banner, clock, blinker) may hold a tick more in a
        # count over 10 s: 0.1 a second each is the count's resolution.
        goals.append(("timer messages at idle at most the banner's steps + 3 a second",
                      f"{fmt(m)} against {fmt(st)} + 3", m <= st + 3 + 0.3))
    # A count over 10 s holds a tick more or fewer of each timer by where it starts: 0.1 a
    # second is its resolution.
    for label, subj in (("minimised", "program_minimised"), ("covered", "program_covered")):
        m, c = med("timer_messages", subj), med("cpu", subj)
        if m is not None and c is not None:
            timers = ", ".join(
                f"{name} {fmt(med('counted_ticks_' + key, subj))}"
                for key, name in (("clock_1ms", "clock"), ("blinker_500ms", "blinker"),
                                  ("banner_5ms", "banner"), ("other", "other"))
                if med("counted_ticks_" + key, subj) is not None)
            goals.append((f"{label}: at most 3 wake-ups and under 2 CPU ms a second",
                          f"{fmt(m)} a second ({timers}), {fmt(c)} ms/s",
                          m <= 3.1 + 1e-9 and c < 2))
    if goals:
        w("| Goal | Measured | |")
        w("|---|---|---|")
        for label, got, ok in goals:
            w(f"| {label} | {got} | {'met' if ok else '**missed**'} |")
        w("")
    w("Timer messages are counted over 10 s, so each timer's count holds one tick more or "
      "fewer by where the count starts: 1.1 a second is the clock's 1 counted as 11, and a "
      "goal is met within that resolution. The CPU of a "
      "minimised or covered program is what its process does in its own time; the kernel's "
      "account steps by 10 ms, so a figure under 2 ms a second is a few such steps over the "
      "30 s. What the window server does for it is not in the figure. A minimised or hidden "
      "program is told so by its window: its clock then ticks once a second for the "
      "presenter's settings only, writing no text, until the window is told it shows again. "
      "A covered program is told nothing (the system keeps its pixels, under Wine as "
      "under a compositor), so its clock still ticks once a second, writes its text and looks "
      "whether the window is still covered: the windows that covered it last time are asked "
      "first (the list of top-level windows and a few requests for the cover), and only when "
      "they no longer cover it every window above it, shown or hidden, at a request each "
      "under Wine.")
    w("")


DPI_TITLE = "## At 192 DPI"


def dpi_head(a, load1, notes):
    when = (f"{datetime.date.today().isoformat()}, {a.runs} runs, {a.seconds} s per CPU "
            f"figure, load average {load1:.1f} at the end")
    for n in notes:
        if n.startswith("load average before the step at 192 DPI "):
            when += f" ({n.split()[-1]} before the step)"
    return when


def dpi_section(w, F, when):
    """The program with the display at 200 % against itself at 96 DPI, both measured in
    turns in the same step of the run."""
    hi, lo = "program_192dpi", "program_96dpi"
    if not F.values("cpu", hi) and not F.values("dpi_startup", hi):
        return
    w(DPI_TITLE)
    w("")
    w(f"Measured {when}. The program with the display at 200 % against itself at 96 DPI in "
      "one step of the run, so that both meet the same machine: the starts alternate (96, "
      "192, 96, 192 ...), and in each idle round both run at once, side by side on a screen of "
      "2048 x 1024 so that neither covers the other. The DPI is the prefix's `LogPixels`, which Wine "
      "hands to a program at its start: the driver sets it before each start at 192 DPI and "
      "deletes it once the window shows (Wine tells a `LogPixels` of 96 from none).")
    w("")

    rows = [
        ("Start-up, nothing listening (ms)", F.values("dpi_startup", hi),
         F.values("dpi_startup", lo), 1.1),
        ("Start-up, processor time, nothing listening (ms)", F.values("dpi_startup_cpu", hi),
         F.values("dpi_startup_cpu", lo), 1.1),
        ("Idle cost, start-up timers (CPU ms per s)", F.values("cpu", hi),
         F.values("cpu", lo), 1.1),
        ("Banner steps per second", F.values("banner_steps", hi),
         F.values("banner_steps", lo), None),
    ]
    w("| Figure | At 192 DPI | At 96 DPI | Ratio | Goal | |")
    w("|---|---|---|---|---|---|")
    for label, h, l, goal in rows:
        r = statistics.median(h) / statistics.median(l) if h and l and statistics.median(l) else None
        w(f"| {label} | {cell(h)} | {cell(l)} | {fmt(r, 3) if r else '—'} | "
          f"{f'≤ {goal}' if goal else ''} | {verdict(r, goal) if goal else ''} |")
    w("")
    rounds = F.paired(lambda a, b: a / b, ("cpu", hi), ("cpu", lo))
    if rounds:
        w("The idle ratio round by round (both programs at once, so that the machine's state "
          f"is the same for both): {cell(rounds)}.")
        w("")
    w("What scaling costs, and what was done about it. Idle, the program's time is nearly all "
      "banner steps, and a step at 192 DPI moves the label 2 pixels and paints four times the "
      "pixels of one at 96 over the group box it scrolls through. The box's background behind "
      "the label came from the box's own erase and print through the skin's layers at every "
      "step: two fills of the label's area, the frame, the colour requests to the parent and "
      "their reflections. The box now paints what it shows behind its units once into a "
      "bitmap and copies from it while it looks the same (any paint of the box asks its "
      "colours, which drops the picture, as do a change of caption, colour, font, size, state "
      "or DPI), so that a step is a copy, the text and a copy to the screen; and a geometry "
      "read or write of a unit takes the DPI the unit keeps instead of asking the window "
      "system for its top-level window's (a request to the window server under Wine, two a "
      "step). Measured with this step before and after (5 rounds each, the same day): idle "
      "at 192 DPI 1.13 → 1.02 of the program at 96 DPI, and both about 10 % cheaper (34.4 → "
      "31 CPU ms per s at 96 DPI). The ratio of one round to the next moves by about ±0.1 "
      "on this shared machine (the rounds above), so the goal is met in some runs and missed "
      "by a few hundredths in others. What remains is the pixels: a "
      "`perf` profile of idle rounds finds the program at 192 DPI about 6 % above itself at "
      "96, all of it in Wine's drawing (the text's glyphs and the copies over four times the "
      "pixels) and the C library's copies; the requests to the window server and the "
      "messages are the same at both DPIs.")
    w("")
    w("A start at 192 DPI draws the same windows with four times the pixels and every glyph "
      "at twice the size, in a fresh process whose glyph cache is empty. Profiled with `perf` "
      "over ten starts at each DPI in turns: per start about 7 ms more in FreeType (the glyphs "
      "rasterised at twice the size) and 6 ms more in Wine's drawing of the larger pixels, "
      "about 15 ms on a start of 150–200 ms of processor time, the program's own code the "
      "same. So the start-up ratio of processor time lies around its goal, from 1.03 to 1.52 "
      "over seven runs of this step on a shared machine, most of them between 1.05 and 1.25 "
      "(ten starts a side, processor time in 10 ms steps); the time until shown, between 1.0 "
      "and 1.12 but for one run.")
    w("")


def splice_dpi(old, section):
    """`old` report with its section at 192 DPI replaced by `section` (put after the goals'
    section when it has none)."""
    start = old.find(DPI_TITLE + "\n")
    if start < 0:
        start = old.find("\n## ", old.find("## Against the goals") + 1) + 1
        end = start
    else:
        end = old.find("\n## ", start + 1) + 1 or len(old)
    return old[:start] + section + "\n" + old[end:]


def sub(a, b):
    return a - b if a is not None and b is not None else None


def before_and_after(w, B, A):
    w("## Before and after")
    w("")
    w("The same figures from the run before the changes described below (same machine, same "
      "driver), beside this run's. Each run holds its program and its reference side by side, "
      "so the ratios compare better between runs than the absolute figures, which follow the "
      "machine's load.")
    w("")
    w("| Figure | Program before → after | Reference before → after | Ratio before → after |")
    w("|---|---|---|---|")
    for (label, pb, rb), (_, pa, ra) in zip(headline(B), headline(A)):
        def ratio(p, r):
            return fmt(p / r) if p is not None and r else "—"
        w(f"| {label} | {fmt(pb)} → {fmt(pa)} | {fmt(rb)} → {fmt(ra)} | "
          f"{ratio(pb, rb)} → {ratio(pa, ra)} |")
    w("")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--results", required=True)
    ap.add_argument("--sizes", required=True)
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--seconds", type=int, default=30)
    ap.add_argument("--memory-minutes", type=float, default=2)
    ap.add_argument("--elapsed", type=int, default=0)
    ap.add_argument("--before", help="results of an earlier run, for a before-and-after table")
    ap.add_argument("--before-rev", default="",
                    help="the revision the program before was built from, as the text names it")
    ap.add_argument("--only", choices=["dpi"], help="the run measured these rows alone")
    ap.add_argument("--into", help="with --only: the report whose rows they replace")
    a = ap.parse_args()
    runs, notes, errors = load(a.results)
    sizes = load_sizes(a.sizes)
    F = Figures(runs)
    out = []
    w = out.append
    if a.only:
        load1 = os.getloadavg()[0]
        for n in notes:
            if n.startswith("load average at the end "):
                load1 = float(n.split()[-1])
        dpi_section(w, F, dpi_head(a, load1, notes))
        if errors:
            w("**The run did not finish:** " + "; ".join(errors))
            w("")
        old = ""
        if os.path.exists(a.into):
            with open(a.into, encoding="utf-8") as f:
                old = f.read()
        print(splice_dpi(old, "\n".join(out)), end="")
        return

    w("# Benchmarks")
    w("")
    w("Made by `scripts/bench.sh`: the real program (the test build, whose update server is "
      "127.0.0.1:47631, without its debugging information as the release build is) and its "
      "references, measured in one run under Wine. Each figure is the "
      "median of its runs with the range of the runs in brackets; a ratio is the program's "
      "median over the reference's. Timings depend on the machine and on what else runs on "
      "it: they are measured and reported here, never judged by the tests.")
    w("")
    load1 = os.getloadavg()[0] if hasattr(os, "getloadavg") else 0
    for n in notes:
        if n.startswith("load average at the end "):
            load1 = float(n.split()[-1])
    w(f"Measured {datetime.date.today().isoformat()} on {os.cpu_count()} cores "
      f"({platform.machine()}, load average {load1:.1f} at the end), {wine_version()}, "
      f"{a.runs} runs, {a.seconds} s per CPU figure, memory lesson {a.memory_minutes:g} min "
      f"(`--full` runs the 10-minute lesson); the timed part took {a.elapsed // 60} min "
      f"{a.elapsed % 60} s.")
    w("")
    if errors:
        w("**The run did not finish:** " + "; ".join(errors))
        w("")

    # ---- Summary against the goals
    def ratio(fig, prog, ref):
        p, r = F.median(fig, prog), F.median(fig, ref)
        return (p / r) if p is not None and r else None

    rows = [
        ("Start-up, update server on loopback (ms)", "startup_server", "program", "reference",
         1.5),
        ("Start-up, nothing listening (ms)", "startup_noserver", "program", "reference", 1.5),
        ("Start-up, processor time, server on loopback (ms)", "startup_cpu_server", "program",
         "reference", 1.5),
        ("Start-up, processor time, nothing listening (ms)", "startup_cpu_noserver", "program",
         "reference", 1.5),
        ("Idle cost, start-up timers (CPU ms per s)", "cpu", "program", "reference", 1.2),
        ("Idle cost, name cycle running (CPU ms per s)", "cpu", "program_cycle",
         "reference_cycle", 1.2),
    ]
    w("## Against the goals")
    w("")
    w("| Figure | Program | Reference | Ratio | Goal | |")
    w("|---|---|---|---|---|---|")
    for label, fig, prog, ref, goal in rows:
        r = ratio(fig, prog, ref)
        w(f"| {label} | {cell(F.values(fig, prog))} | {cell(F.values(fig, ref))} | "
          f"{fmt(r, 3) if r else '—'} | ≤ {goal} | {verdict(r, goal)} |")
    w("")
    w("Start-up is warm: `dede.ini` (40 names) and `SkinH_EL.dll`, which the program writes on "
      "its first start, are already beside it, so no box is shown. It runs from process "
      "creation to the main window shown and idle: the process waits for input "
      "(WaitForInputIdle), the 617-pixel window is visible, and a paint pass and a message "
      "round trip sent to it have returned (its first paint is done). The reference is a bare "
      "Win32 window of the same size with the same 31 controls of the same classes "
      "(`tests/bench/reference_program.cpp --bare`). Process creation under Wine is part of "
      "both, but not the start of Wine's desktop process: the driver keeps a window of its "
      "own, so the desktop lives through all starts. The processor time of a start (user and "
      "system, from the kernel's account, in 10 ms steps) is the figure a busy machine does not "
      "stretch; the time until shown is what the teacher waits.")
    w("")
    w("The idle cost is the CPU time (user and system, all threads) of the program's process "
      "over each measurement, read from the kernel's account of the Wine process "
      "(`/proc/PID/stat`: Wine's GetProcessTimes does not follow another process). The "
      "reference is the same window with the same running timers doing the same work per "
      "tick straight on Win32: the clock text, the banner read from `dede.ini` with "
      "GetPrivateProfileString and moved one pixel, the answer-timer keeper, the tab keeper "
      "and the arrow blinker; with the cycle, one key of the class list and the name label "
      "per 50 ms tick. The subjects of one round (program and reference, idle, cycling and "
      "with the banner stopped) run at the same time, so they share the machine's state. "
      "The work the window server (wineserver) does for each of them is not in these figures.")
    w("")

    dpi_section(w, F, dpi_head(a, load1, notes))

    quiet_section(w, F, a.before_rev)

    # ---- Tick rates and per-tick costs
    w("## Per tick")
    w("")
    w("Wine delivers timers of 1 and 5 ms at its 10 ms minimum, so the program's 1 ms and 5 ms "
      "timers tick about 100 times a second each. Ticks per second:")
    w("")
    w("| Timer | Program (counted by a hook inside it) | Reference (its own count) |")
    w("|---|---|---|")
    for t, label in [("clock_1ms", "clock 时钟2, 1 ms"), ("banner_5ms", "banner 时钟3, 5 ms"),
                     ("keeper_1ms", "answer-timer keeper 时钟5, 1 ms"),
                     ("tab_1ms", "tab keeper 时钟7, 1 ms"),
                     ("blinker_500ms", "arrow blinker 时钟6, 500 ms"),
                     ("cycle_50ms", "name cycle 时钟1, 50 ms")]:
        cyc = t == "cycle_50ms"
        prog_ticks = F.values('ticks_' + t, 'program_cycle' if cyc else 'program')
        prog_cell = cell(prog_ticks) if prog_ticks or t not in ("keeper_1ms", "tab_1ms") else (
            "0 (stopped once the window is made)")
        w(f"| {label} | {prog_cell} | "
          f"{cell(F.values('ticks_' + t, 'reference_cycle' if cyc else 'reference'))} |")
    w("")

    def step_cost(prog, nob):
        # CPU per banner step: the idle run less the run with the banner stopped, over the
        # steps the banner made (counted from its position), in microseconds.
        return F.paired(lambda c, n, s: (c - n) / s * 1000, ("cpu", prog), ("cpu", nob),
                        ("banner_steps", prog))

    def cycle_cost(cycling, idle, rate):
        # The banner stopped in both, so that the cycle's own work is not lost among the
        # banner's steps: the cycling run less the idle run of the same round, over its ticks.
        return F.paired(lambda c, i: (c - i) / rate * 1000, ("cpu", cycling), ("cpu", idle))

    p_rate = F.median("ticks_cycle_50ms", "program_cycle") or 20.0
    r_rate = F.median("ticks_cycle_50ms", "reference_cycle") or 20.0
    p_step, r_step = step_cost("program", "program_nobanner"), step_cost("reference",
                                                                         "reference_nobanner")
    p_cyc = cycle_cost("program_nobanner_cycle", "program_nobanner", p_rate)
    r_cyc = cycle_cost("reference_nobanner_cycle", "reference_nobanner", r_rate)
    p_rest = F.values("cpu", "program_nobanner")
    r_rest = F.values("cpu", "reference_nobanner")
    p_msg, r_msg = per_message(F, "program", "program"), per_message(F, "reference", "reference")
    p_msg_rest = per_message(F, "program_nobanner", "program", banner=False)
    r_msg_rest = per_message(F, "reference_nobanner", "reference", banner=False)
    w("| CPU | Program | Reference | Ratio |")
    w("|---|---|---|---|")
    for label, p, r in [("per banner step (µs)", p_step, r_step),
                        ("per name-cycle tick (µs)", p_cyc, r_cyc),
                        ("banner stopped: clock, keepers, blinker (CPU ms per s)", p_rest,
                         r_rest),
                        ("per timer message, all timers running (µs)", p_msg, r_msg),
                        ("per timer message, banner stopped (µs)", p_msg_rest, r_msg_rest)]:
        rr = (statistics.median(p) / statistics.median(r)) if p and r and statistics.median(
            r) else None
        w(f"| {label} | {cell(p)} | {cell(r)} | {fmt(rr) if rr else '—'} |")
    w("")
    w("A banner step's CPU is the idle run less the run of the same round whose `dede.ini` has "
      "an empty banner text (the program then slows the banner to one step in 15 s), divided "
      "by the steps the banner made, counted from its position. A name-cycle tick's CPU is "
      "a cycling run less an idle run of the same round, both with the banner stopped, divided "
      "by the cycle's tick rate above. A timer message's CPU is the CPU per second over the "
      "timer messages per second of the table above (the clock, the keepers and the blinker, "
      "and the banner unless it is stopped): on a loaded machine the reference loses ticks "
      "that the program keeps, and per second it then does less work. Banner "
      "steps per second in the idle runs: program "
      f"{cell(F.values('banner_steps', 'program'))}, reference "
      f"{cell(F.values('banner_steps', 'reference'))}.")
    w("")

    area = F.median("banner_step_area", "program")
    allowed = F.median("banner_step_allowed", "program")
    label_area = F.median("banner_step_label", "program")
    outside = F.median("banner_steps_outside", "program")
    seen = F.median("banner_steps_seen", "program")
    w("Area repainted per banner step, recorded inside the program while the banner, the clock "
      "and the keepers run (a "
      "message hook, `tests/bench/paint_spy.cpp`, subclasses every window and adds up what "
      "each erase, paint and frame message covers, the method of "
      "`tests/win/drawn_repaint_bench_test.cpp`; the clock label and the tab, which repaint "
      "on their own timers, are left out). A label over a group box paints itself and the "
      "strip it uncovers straight through DCs, which no paint message tells and the hook does "
      "not see, so that the banner's steps count nothing here; what they paint is held by "
      "the tests that compare every pixel with a full repaint, step by step:")
    w("")
    w("| Per step | Pixels |")
    w("|---|---|")
    w(f"| painted, on average | {fmt(area)} |")
    w(f"| painted, at most | {fmt(F.median('banner_step_area_max', 'program'))} |")
    w(f"| allowed: the label's old and new rectangles cut by its container | {fmt(allowed)} |")
    w(f"| the label's old and new rectangles uncut | {fmt(label_area)} |")
    w(f"| painted outside the allowed area, on average | "
      f"{fmt(F.median('banner_step_outside', 'program'))} |")
    w("")
    if seen:
        w(f"Steps seen: {fmt(seen)}, of which {fmt(outside or 0)} painted anything outside "
          "the allowed area. Time inside the program per step (the tick's handler with the "
          "paints it makes at once and those that follow before the next tick, wall clock): "
          f"{fmt(F.median('banner_step_time', 'program'))} µs.")
        w("")

    # ---- Memory
    w("## Memory")
    w("")
    w(f"Instances of the program and of the reference started side by side; measured after "
      f"start and after a {a.memory_minutes:g}-minute lesson in which the names cycle all along, "
      "the banner and the clock run, the side panel slides out and back every 20 s and the "
      "roll call is stopped and started again every minute.")
    w("")
    w("| | Program, after start | Program, after the lesson | Reference, after start | "
      "Reference, after the lesson |")
    w("|---|---|---|---|---|")
    for label, fig, scale in [("working set (KiB)", "working_set", 1),
                              ("private bytes (KiB)", "private", 1),
                              ("windows (USER objects)", "windows", 1),
                              ("free GDI object slots", "gdi_free", 1),
                              ("handles (GetProcessHandleCount)", "handles", 1)]:
        w(f"| {label} | {cell(F.values(fig + '_start', 'program'))} | "
          f"{cell(F.values(fig + '_end', 'program'))} | "
          f"{cell(F.values(fig + '_start', 'reference'))} | "
          f"{cell(F.values(fig + '_end', 'reference'))} |")
    w("")
    w("Working set and private bytes come from GetProcessMemoryInfo on the process handle "
      "(Wine puts the private bytes into PagefileUsage). What Wine cannot tell: "
      "GetGuiResources is a stub (0), and GetProcessHandleCount answers 0 for another process "
      "(and inside the process too), so neither GDI nor USER object counts nor kernel handle "
      "counts are available as such. Instead, the windows of the process (top-level, child and "
      "message-only) are counted from outside, and the GDI objects from inside through the "
      "hook: the slots free in the process's GDI table (brushes made until the system refuses, "
      "then freed); a fall between the two points is a GDI leak.")
    w("")
    half_p, half_r = F.median('gdi_free_half', 'program'), F.median('gdi_free_half', 'reference')
    if half_p is not None and half_r is not None:
        w(f"Free GDI object slots halfway through the lesson: program {fmt(half_p)}, reference "
          f"{fmt(half_r)}. What falls between start and halfway and not after is made once and "
          "kept (the objects of the panel's units, the system's cached device contexts); a fall "
          "that goes on in the second half is a leak.")
        w("")

    # ---- Size
    w("## Size")
    w("")
    w("| Part | Test build | Release build |")
    w("|---|---|---|")
    t, r = sizes.get("test", {}), sizes.get("release", {})

    def kib(v):
        return f"{v / 1024:,.1f} KiB" if v is not None else "—"

    def debug(d):
        return sum(v for k, v in d.items() if k.startswith("section .debug")) if d else None

    w(f"| program file | {kib(t.get('file'))} | {kib(r.get('file'))} |")
    for sec, label in [(".text", "code (.text)"), (".rdata", "constant data (.rdata)"),
                       (".data", "data (.data)"), (".rsrc", "resources (.rsrc)")]:
        w(f"| {label} | {kib(t.get('section ' + sec))} | {kib(r.get('section ' + sec))} |")
    w(f"| debugging information (.debug_*) | {kib(debug(t))} | {kib(debug(r) or 0)} |")
    w(f"| of the data: form data (both windows, with pictures) | {kib(t.get('form data'))} | "
      f"{kib(r.get('form data'))} |")
    w(f"| of the data: the 33 skins | {kib(t.get('skins'))} | {kib(r.get('skins'))} |")
    w(f"| of the data: the skin library image | {kib(t.get('skin library'))} | "
      f"{kib(r.get('skin library'))} |")
    w("")
    w("Sections from `i686-w64-mingw32-objdump -h`; the embedded blocks are the form data "
      "`app__kFormData.bin` of the build's app folder, `skin/skins/*.she` and the padded "
      "`SkinH_EL.dll` (88,576 bytes). The test build is RelWithDebInfo (the debugging "
      "information is in the file but not loaded); the release build is `scripts/build.sh "
      "win32-release`, -O2 and stripped.")
    w("")
    if a.before:
        before_and_after(w, Figures(load(a.before)[0]), F)
    w("## What these figures led to")
    w("")
    w("Counting the requests each tick sends to the window server (a `wineserver -d1` trace of "
      "the running program) showed where the idle time went: under Wine nearly every window "
      "system call is such a round trip, and most of the program's were reads of window "
      "properties that every message of every window made.")
    w("")
    w("- The skin library's layers read the procedure under them and the window's state word "
      "from window properties, three to five reads per message of every window: 144 → 80 "
      "server requests per banner step once they read a table of their own (the properties "
      "stay), CPU per banner step about −30 %, and the banner keeps its hundred steps a second "
      "on a loaded machine.")
    w("- The runtime's unit windows found their objects through a window property on every "
      "message: 161 → 144 requests per banner step with a table of the runtime's own.")
    w("- Memory: the test build's 13 MB of debugging information counted as private memory "
      "in some builds and not in others. Wine reads a program's sections into memory when "
      "their places in the file cannot be mapped, and whether they can depends on the layout, "
      "which any change of code shifts; so the program is measured without its debugging "
      "information, as teachers get it.")
    w("- Start-up, measured with marks in a build of our own: loading the program and its "
      "34 DLLs (the bare reference loads 19) 75–120 ms before the program's own code runs, "
      "the runtime's initialisation 15–40 ms, making the 47 unit windows 45 ms, containers "
      "and stacking 15 ms, the update fetch 1–3 ms on loopback, the skin 5 ms, opening the "
      "mixer for the volume 20–35 ms (Wine's sound system starts there), showing the window "
      "10–25 ms. The features themselves (network, sound, skin, pictures) are most of the "
      "difference to a bare window.")
    w("")
    w("A second round, with the same trace (`WINEDEBUG=+server`, requests counted per banner "
      "step in the steady state) and `perf` on the Wine process: 62–68 % of the program's samples "
      "were in the kernel, nearly all of them the pipe round trips to the window server; the "
      "program's own code was under 10 %. So the requests were still the cost, 74 per banner "
      "step against the reference's 32.5:")
    w("")
    w("- The transparent label found the windows behind it by walking the window tree one "
      "sibling at a time, a request each (22 per step), and painted the top-level window's "
      "part although, clipping its children, it paints nothing there (13 requests). One "
      "RedrawWindow over the top-level window with its children now invalidates what lies "
      "behind the label, the top-level window is validated again where a child with a "
      "background of its own covers the label, and the label's text is painted last. The "
      "area painted per step is the same (0 pixels outside the allowed area); the tests that "
      "compare every pixel with a full repaint pass.")
    w("- The message loop looked at the queue (PeekMessage without removing) and then took the "
      "message (GetMessage): two requests a message, and after each burst three more looks "
      "between idle rounds that did nothing. Messages are now taken with PM_REMOVE, and the "
      "look that found the queue empty is the one idle work starts on: 11.6 → 7 message "
      "requests per step; with the banner stopped 4.8 → 3.7 requests per timer message "
      "(reference 2.9).")
    w("- The settings-file commands opened, read and closed `dede.ini` on every banner tick "
      "(3 requests). Its bytes are now kept while its size, write time and creation time stay "
      "as they were; the directory entry is read without a request. A file written less than "
      "5 s before it was read is read again every time, since a file system keeps write times "
      "only to a step (2 s on FAT, a clock tick elsewhere) and an edit of the same size within "
      "that step keeps the stamp; writes read the file themselves as before.")
    w("- The tab keeper wrote the tab's place, unchanged, a hundred times a second: a "
      "SetWindowPos with its request and two messages each. A place or size written as it is "
      "now does nothing; a window without background moves without copying its old pixels "
      "(2 requests and a copy per step).")
    w("- Together: 74 → 32 requests per banner step (the reference's 32.5), CPU per banner "
      "step about halved (the before-and-after table).")
    w("")
    w("A third round, on what the program wakes for at all (the section on wake-ups above): "
      "the clock label, the answer-timer keeper and the tab keeper polled a hundred times a "
      "second each to change something once a second or never. The clock now ticks once a "
      "second, just after the second changes, the keepers are stopped once the window is made "
      "(a stop starts no countdown while the switch is off, the switch stops a running one, "
      "the tab moves with each change of the width), and the banner rests while nobody can "
      "see the window: the clock looks once a second whether the window is shown, not "
      "minimised and not wholly covered by opaque windows above it (Wine's clip box of a "
      "covered window is the whole window, so the windows above are listed and taken from "
      "its rectangle). What remains at idle is the banner's hundred steps, the clock and the "
      "arrow blinker.")
    w("")
    w("A fourth round, on what the program still did unseen: the clock repainted its label "
      "once a second minimised or hidden, the arrow blinker turned the tab's arrows twice a "
      "second, and a covered program's look at the windows above asked the window server "
      "about each of them (a dozen programs' windows in these rounds). The window now tells "
      "its show state as it changes (hidden or minimised; shown again, at once, before its "
      "first paint), and the main window then holds the banner and the blinker and leaves the "
      "clock's text (the clock still reads the presenter's settings once a second) and brings "
      "them back the moment it shows, the clock's text right before anything is "
      "painted (the banner resumed up to a second late before, when the clock next looked). "
      "Covered, the clock goes on once a second, the banner and the blinker rest, and the "
      "look asks the windows that covered it last time first. Minimised or covered, the clock's once "
      "a second is all that is left. The skin library's contrast check, which reads 49 pixels "
      "behind each text the program draws, was measured too: about 14 µs a banner step under "
      "Wine, 2 % of it, so it stays.")
    w("")
    w("A fifth round, on the cost of a banner step itself, traced as in the second: 28 requests "
      "a step, of which the message loop's 4, the move 1, and 23 the repaint: three to "
      "invalidate what lies behind the label and validate it again where the label and the "
      "box's parent need nothing, the group box's paint (the caret hidden and shown again, "
      "its update region twice, a visible region for its client and one for its frame), the "
      "label's paint (as many again), and 6 that Wine spends handing back the cached DCs the "
      "box and the label had painted with, which every move of the label puts back (each "
      "asks for the window station and the display registry key, to place the DC on the "
      "display). The label now paints itself where its container can paint its background "
      "into a DC (a group box, through its own erase and print, the skin's layers included) "
      "and nothing else of the container lies under it: the box's background and the text "
      "off screen, copied into what shows of the label in one go, through a DC of the "
      "label's own that a move leaves in place. The move asks the window system to redraw "
      "nothing (it would repaint both places again); the strip the label uncovers, when its "
      "end lies inside the box, gets the box's background from the same bitmap through the "
      "box's DC. That nothing else of the box lies under the label is read from a list of "
      "the box's windows made again only when windows were made or went since (listing them "
      "is a request a window). 28 → 8.2 requests a step on average, 7 on a step whose end "
      "lies outside the box (the message loop's 4, the move, a visible region for the "
      "label's DC, and a look whether the box has a paint to come, which would come after "
      "the label's own), 11 on the others (the box's DC, which the next move hands back). "
      "Where something "
      "does, or the container cannot paint into a DC, the label is repainted as before; the "
      "tests that compare every pixel with a full repaint hold both ways, the banner's "
      "scroll through a group box step by step among them.")
    w("")
    # The fifth round's before-and-after run, kept as measured: its before was a revert, which a
    # later run does not rebuild.
    w("The fifth round before and after, measured in one run (5 runs, 30 s a figure, load 3.6 "
      "at the end) beside the same reference: the program before is main at `b4e5075` with "
      "the transparent label's three changes (`2412a93`, `e9f94d3`, `b4e5075`) reverted, "
      "built and run in the same rounds.")
    w("")
    w("| Program | CPU ms/s, before → after | timer messages/s, before → after | "
      "Reference CPU ms/s | Ratio, before → after |")
    w("|---|---|---|---|---|")
    w("| idle, start-up timers | 59.6 → 38.6 (37.3–41.3) | 104 → 105 (104–105) | "
      "63.3 (62–69.3) | 0.943 → 0.611 |")
    w("| name cycle running | 81.3 → 48.3 (45.6–51.6) | 124 → 125 (124–125) | "
      "78.3 (69.3–85.6) | 1.04 → 0.617 |")
    w("| banner stopped | 3 → 3 (2.66–3.33) | 3 → 3 (3–3.1) | 14.7 (13.3–17) | "
      "0.204 → 0.205 |")
    w("| minimised | 0 → 0.333 (0–0.333) | 0.999 → 0.999 | 63.3 (62–69.3) | 0 → 0.00527 |")
    w("| wholly covered | 0.999 → 1.33 (0.999–1.33) | 0.999 → 0.999 | 63.3 (62–69.3) | "
      "0.0158 → 0.0211 |")
    w("")
    w("Requests to the window server per banner step: 27.8 → 8.2 on average (7 on most "
      "steps, 11 when the label's end is inside the box; the reference 33.1); CPU per banner "
      "step 349 µs against the reference's 497 µs (0.70).")
    w("")
    w("What is left, and why it is not the program's:")
    w("")
    def msg_ratio(p, r):
        return fmt(statistics.median(p) / statistics.median(r)) if p and r else "—"

    keeper_r = F.median('ticks_keeper_1ms', 'reference')
    if keeper_r and keeper_r < 95:
        ticks = ("The reference lost ticks of its 1 ms timers in this run "
                 f"({fmt(keeper_r)} a second of the keeper, of the 100 Wine gives), as happens on "
                 "a loaded machine, and then does less work a second. ")
    else:
        ticks = f"The reference kept its ticks in this run ({fmt(keeper_r)} a second of the keeper). "
    step_ratio = msg_ratio(p_step, r_step)
    w("- Idle cost: " + ticks + "The program now wakes for the banner's steps, the clock's "
      "second and the blinker only, the reference for those and a few hundred polls a "
      "second; so the program's idle cost is nearly all banner steps, and per step it takes "
      f"{step_ratio} times the reference's CPU in this run (table above). What a step still "
      "costs is the move of a child window (a request and its messages), the DC's visible "
      "region after it, the look whether the container has a paint to come, and the text drawn "
      "and copied; "
      "the reference's step is the same move and a repaint of the box and the label through "
      "the message queue, with the class list file opened and read. Per timer message the "
      "program takes "
      f"{msg_ratio(p_msg, r_msg)} times the reference's CPU with all timers running and "
      f"{msg_ratio(p_msg_rest, r_msg_rest)} times with the banner stopped: the program's "
      "remaining messages are its costly ones (a step, the clock's text and its look at the "
      "windows above), the reference's are mostly cheap polls.")
    w("- Start-up: the program's processor time at start is the features a bare window does not "
      "have, each measured in a `+timestamp,+loaddll,+cursor` trace: the 33 modules it loads "
      "before its window shows (the bare reference 19: network, sound, shell, the skin "
      "library, Wine's audio drivers), the update "
      "check's WinINet and connection at every start, loading and attaching the skin library, "
      "opening the mixer to set the speaker volume (Wine's audio stack, mmdevapi and its "
      "drivers, starts there: 10–20 ms), and the window's two icons, which Wine decodes from "
      "the 256-pixel program icon (about 5 ms each). The skin button's icon, decoded three "
      "times, is now decoded once (about 10 ms). Moving the update check, the skin or the "
      "volume after the first paint would change what the teacher sees first (the version "
      "line, an unskinned window, the volume), so they stay where they are.")
    fall = {who: (sub(F.median("gdi_free_start", who), F.median("gdi_free_half", who)),
                  sub(F.median("gdi_free_half", who), F.median("gdi_free_end", who)))
            for who in ("program", "reference")}
    w("- GDI slots: the program's fall happens in the first half of the lesson "
      f"({fmt(fall['program'][0])} slots; the reference's {fmt(fall['reference'][0])}): the "
      "first slide of the panel and the first stop make the objects of the panel's units and "
      "the system's cached device contexts, and keep them. In the second half it falls by "
      f"{fmt(fall['program'][1])} (the reference by {fmt(fall['reference'][1])}, which is "
      "Wine's own): no leak of the program's. The windows stay at their count throughout.")
    w("")
    if notes:
        w("## Notes of this run")
        w("")
        for n in notes:
            # "seeded" names a folder of the machine it ran on; the load is in the head
            if not n.startswith(("seeded ", "load average ", "unix pid ")):
                w(f"- {n}")
        w("")
    print("\n".join(out))


if __name__ == "__main__":
    main()
