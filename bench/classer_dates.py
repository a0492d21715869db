#!/usr/bin/env python3
"""Sorts the differences that bench/comparer.sh --keep DIR kept between a build
that read dates as exports of French settings only and one that reads every
regional form, by the first difference of each export:

  12-hour       an event whose time moved by the 12-hour clock (AM/PM)
  not-a-date    a date the old build wrote as something that is no calendar
                date-time, or did not write at all (a form it did not read)
  blank         a date with a blank inside a field, which the old build
                read by dropping the blank
  recurrence    a document whose recurrence changed under the comma rule, and
                the repeats of later documents that this changes
  summary       the summary alone (the notes' words and the new notes)

and checks that every later difference follows from those: UID numbers,
trace lines (UID and "RDV recurrent :" lines), the summary. Anything else is
counted as unexplained and listed.

  bench/classer_dates.py DIR
"""
import collections
import difflib
import os
import re
import sys

CALENDAR = re.compile(rb"^(\d{4})(\d{2})(\d{2})(?:T(\d{2})(\d{2})(\d{2}))?$")
MARKER = re.compile(rb"\d\s*[AaPp]\.?[Mm]\b")
# A blank beside a separator inside a date: "01 /02/2009", "01/ 02/2009".
BLANK_IN_FIELD = re.compile(rb"\d[ \t]+[/.-]\d|\d[/.-][ \t]+\d")


def calendar(value):
    """Whether a DTSTART or DTEND value is a calendar date or date-time."""
    m = CALENDAR.match(value)
    if not m:
        return False
    year, month, day = (int(g) for g in m.groups()[:3])
    if not 1 <= month <= 12:
        return False
    days = [31, 29 if (year % 4 == 0 and year % 100 != 0) or year % 400 == 0 else 28,
            31, 30, 31, 30, 31, 31, 30, 31, 30, 31][month - 1]
    if not 1 <= day <= days:
        return False
    if m.group(4) is None:
        return True
    return int(m.group(4)) <= 23 and int(m.group(5)) <= 59 and int(m.group(6)) <= 59


def seconds(value):
    """A local date-time as seconds, for telling a twelve-hour shift."""
    m = CALENDAR.match(value)
    if not m or m.group(4) is None:
        return None
    y, mo, d, h, mi, s = (int(g) for g in m.groups())
    return ((y * 400 + mo * 31 + d) * 24 + h) * 3600 + mi * 60 + s


class Block:
    def __init__(self, lines):
        self.lines = lines
        self.uid = b""
        self.dates = {}
        for line in lines:
            if line.startswith(b"UID:"):
                self.uid = line[4:].rsplit(b"-", 1)[0]
            for name in (b"DTSTART", b"DTEND"):
                if line.startswith(name + b";") or line.startswith(name + b":"):
                    self.dates[name] = line.split(b":", 1)[1].rstrip(b"Z")
        # The block less its number: what a renumbering leaves alike.
        self.key = b"\n".join(re.sub(rb"^(UID:.*)-\d+$", rb"\1-#", l) for l in lines)

    def invalid(self):
        return any(not calendar(v) for v in self.dates.values())


def blocks(ics):
    found, current = [], None
    for line in ics.replace(b"\r\n", b"\n").split(b"\n"):
        if line == b"BEGIN:VEVENT":
            current = [line]
        elif current is not None:
            current.append(line)
            if line == b"END:VEVENT":
                found.append(Block(current))
                current = None
    return found


def read(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return None


def outputs(side):
    """The result (the .ics file the run wrote) and every other file of a run."""
    folder = os.path.join(side, "dossier")
    files = {}
    for root, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(root, name)
            files[os.path.relpath(path, folder)] = read(path)
    return files


def numbered(text):
    return re.sub(rb"(?m)^(UID:.*)-\d+(\r?)$", rb"\1-#\2", text or b"")


def repeats(log):
    return collections.Counter(l for l in (log or b"").split(b"\r\n")
                               if l.startswith(b"RDV recurrent :"))


def classify_block(old, new, signals):
    """The exception a differing block (old, new or both) comes from."""
    if old is not None and old.invalid():
        return "not-a-date"
    if old is not None and new is not None:
        a, b = seconds(old.dates.get(b"DTSTART", b"")), seconds(new.dates.get(b"DTSTART", b""))
        ea, eb = seconds(old.dates.get(b"DTEND", b"")), seconds(new.dates.get(b"DTEND", b""))
        twelve = {12 * 3600, -12 * 3600}
        if (a is not None and b is not None and b - a in twelve) or \
           (ea is not None and eb is not None and eb - ea in twelve):
            return "12-hour"
    if old is None and new is not None and not signals["recurrence"]:
        return "not-a-date"
    # A date the old build did not write at all: an end it dropped.
    if old is not None and new is not None and set(new.dates) - set(old.dates):
        return "not-a-date"
    for kind in ("recurrence", "blank", "12-hour", "not-a-date"):
        if signals[kind]:
            return kind
    return None


def classify(case):
    export = next(n for n in os.listdir(case) if n.endswith(".txt"))
    text = read(os.path.join(case, export))
    old_side, new_side = os.path.join(case, "old"), os.path.join(case, "new")
    old_files, new_files = outputs(old_side), outputs(new_side)
    problems = []
    if read(os.path.join(old_side, "statut")) != read(os.path.join(new_side, "statut")):
        problems.append("exit status")
    if set(old_files) != set(new_files):
        problems.append("files: %s" % sorted(set(old_files) ^ set(new_files)))
    ics = [n for n in old_files if n.endswith(".ics")]
    log = "Vellumcast.log"
    for name in set(old_files) & set(new_files):
        if name in ics or name == log or old_files[name] == new_files[name]:
            continue
        problems.append("file " + name)

    date_lines = [l for l in re.split(rb"\r?\n|\r", text)
                  if l.startswith(b"STARTDATETIME:") or l.startswith(b"EndDateTime:")]
    old_log, new_log = old_files.get(log), new_files.get(log)
    signals = {
        "12-hour": any(MARKER.search(l) for l in date_lines),
        "blank": any(BLANK_IN_FIELD.search(l) for l in date_lines),
        "recurrence": repeats(old_log) != repeats(new_log),
        "not-a-date": False,
    }
    old_blocks = blocks(old_files[ics[0]]) if ics else []
    new_blocks = blocks(new_files[ics[0]]) if ics else []
    signals["not-a-date"] = any(b.invalid() for b in old_blocks)

    kinds = []
    matcher = difflib.SequenceMatcher(None, [b.key for b in old_blocks],
                                      [b.key for b in new_blocks], autojunk=False)
    for tag, i1, i2, j1, j2 in matcher.get_opcodes():
        if tag == "equal":
            continue
        for k in range(max(i2 - i1, j2 - j1)):
            old = old_blocks[i1 + k] if i1 + k < i2 else None
            new = new_blocks[j1 + k] if j1 + k < j2 else None
            kind = classify_block(old, new, signals)
            if kind is None:
                problems.append("block %s" % (old or new).lines[1].decode("latin-1"))
            kinds.append(kind)
    # The trace follows the blocks: the same lines once renumbered, but for
    # the UID lines of the blocks that differ and the repeats.
    for name, old_text, new_text in ((log, old_log, new_log),
                                     ("stdout", read(os.path.join(old_side, "sortie")),
                                      read(os.path.join(new_side, "sortie")))):
        if old_text is None and new_text is None:
            continue
        old_text = (old_text or b"").replace(b"Input file name : ", b"")
        new_text = (new_text or b"").replace(b"Input file name : ", b"")
        a = [l for l in numbered(old_text).split(b"\r\n")
             if not l.startswith(b"UID:") and not l.startswith(b"RDV recurrent :")]
        b = [l for l in numbered(new_text).split(b"\r\n")
             if not l.startswith(b"UID:") and not l.startswith(b"RDV recurrent :")]
        if a != b:
            problems.append(name + " beyond UID and repeat lines")
    # Standard error differs in the summary's lines only.
    old_err = read(os.path.join(old_side, "erreur")) or b""
    new_err = read(os.path.join(new_side, "erreur")) or b""
    summary = re.compile(rb"^vellumcast: (note: |.*: \d+ events? written from )")
    if [l for l in old_err.split(b"\n") if not summary.match(l)] != \
       [l for l in new_err.split(b"\n") if not summary.match(l)]:
        problems.append("standard error beyond the summary")

    first = next((k for k in kinds if k is not None), None)
    if first is None and not problems:
        first = "recurrence" if signals["recurrence"] else "summary"
    return first, problems


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    counts = collections.Counter()
    unexplained = []
    for case in sorted(os.listdir(folder)):
        first, problems = classify(os.path.join(folder, case))
        counts[first or "unexplained"] += 1
        if problems or first is None:
            unexplained.append("%s: %s" % (case, "; ".join(problems) or "no class"))
    total = sum(counts.values())
    print("%d differing exports, by their first difference:" % total)
    for kind in ("12-hour", "not-a-date", "blank", "recurrence", "summary", "unexplained"):
        print("  %-12s %d" % (kind, counts[kind]))
    print("exports with a difference that follows from none: %d" % len(unexplained))
    for line in unexplained[:20]:
        print("  " + line)
    return 1 if unexplained else 0


if __name__ == "__main__":
    sys.exit(main())
