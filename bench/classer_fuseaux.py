#!/usr/bin/env python3
"""Checks the differences that bench/comparer.sh --keep DIR kept between a
build that wrote every event as local time in the zone "France" and one that
writes in UTC the events that zone's definition would place at another
instant than the tz database, both run without --timezone:

  - every event the new build writes in UTC was written by the old one with
    the same local digits under TZID=France; the new UTC instant is the one
    the tz database gives those digits (Python's zoneinfo for Europe/Paris,
    with RFC 5545's choice in a gap or an overlap: the offset before the
    gap, the first of the two); and its start or its end is a time that
    item 2 names, by the first that applies:
      before-1971   before 1971-03-28 02:00, the definition's first change
      gap-overlap   skipped or repeated by a change of Europe/Paris
      definition    skipped or repeated by a change of the definition alone
      other-rule    the definition (+2 from the last Sunday of March 02:00
                    to the last Sunday of October 03:00, else +1) gives
                    another instant than Europe/Paris
  - every event still written as local time is byte for byte the old one,
    and neither its start nor its end is such a time;
  - every other byte is the same: the prologue, the other lines of each
    event, the log, standard output, the status and the other files;
    standard error differs by the note on the times skipped or repeated
    alone, whose count is the number of such starts and ends.

Prints the counts, and every difference that is none of these.

  bench/classer_fuseaux.py DIR
"""
import collections
import datetime
import os
import re
import sys
import zoneinfo

PARIS = zoneinfo.ZoneInfo("Europe/Paris")
UTC = datetime.timezone.utc
LOCAL = re.compile(rb"^(DTSTART|DTEND);TZID=France:(\d{8}T\d{6})$")
IN_UTC = re.compile(rb"^(DTSTART|DTEND):(\d{8}T\d{6})Z$")
AMBIGUOUS_NOTE = re.compile(
    rb"^vellumcast: note: (\d+) local times? that (?:does|do) not exist or occurs? twice "
    rb"in the time zone France ")
FIRST_CHANGE = datetime.datetime(1971, 3, 28, 2, 0)
HOUR = datetime.timedelta(hours=1)


def parse(digits):
    return datetime.datetime.strptime(digits.decode(), "%Y%m%dT%H%M%S")


def last_sunday(year, month):
    day = datetime.datetime(year, month, 31)
    return day - datetime.timedelta(days=(day.weekday() + 1) % 7)


def paris(local):
    """The tz database's instant of a local time (RFC 5545's choice), and
    whether the time is skipped or repeated."""
    first = local.replace(tzinfo=PARIS, fold=0)
    second = local.replace(tzinfo=PARIS, fold=1)
    instant = first.astimezone(UTC).replace(tzinfo=None)
    return instant, first.utcoffset() != second.utcoffset()


def definition(local):
    """The instant the prologue's France definition gives, or None for a
    time it skips or repeats."""
    spring = last_sunday(local.year, 3) + 2 * HOUR
    autumn = last_sunday(local.year, 10) + 2 * HOUR
    if spring <= local < spring + HOUR or autumn <= local < autumn + HOUR:
        return None
    offset = 2 if spring + HOUR <= local < autumn else 1
    return local - offset * HOUR


def reason(local):
    """Why item 2 writes this local time in UTC, or None."""
    if local < FIRST_CHANGE:
        return "before-1971"
    instant, ambiguous = paris(local)
    if ambiguous:
        return "gap-overlap"
    written = definition(local)
    if written is None:
        return "definition"
    return "other-rule" if written != instant else None


def blocks(ics):
    """The prologue, the event blocks (lists of lines), and what follows."""
    lines = ics.split(b"\r\n")
    prologue, found, current, rest = [], [], None, []
    for line in lines:
        if line == b"BEGIN:VEVENT":
            current = [line]
        elif current is not None:
            current.append(line)
            if line == b"END:VEVENT":
                found.append(current)
                current = None
        elif found:
            rest.append(line)
        else:
            prologue.append(line)
    return prologue, found, rest


class Tally:
    def __init__(self):
        self.exports = 0
        self.outputs = collections.Counter()
        self.events = 0
        self.unchanged = 0
        self.reasons = collections.Counter()
        self.ambiguous = 0
        self.problems = []

    def problem(self, case, text):
        self.problems.append(f"{case}: {text}")


def event_dates(block):
    """The local digits of an unchanged block's start and end."""
    found = {}
    for line in block:
        m = LOCAL.match(line)
        if m:
            found[m.group(1)] = parse(m.group(2))
    return found


def compare_block(case, old, new, tally):
    """Checks one event; returns the number of its dates skipped or repeated."""
    tally.events += 1
    old_dates = event_dates(old)
    ambiguous = sum(paris(local)[1] for local in old_dates.values())
    if old == new:
        tally.unchanged += 1
        for name, local in old_dates.items():
            if reason(local):
                tally.problem(case, f"{name.decode()} {local} kept as local time: {reason(local)}")
        return ambiguous
    if len(old) != len(new):
        tally.problem(case, "an event with other lines")
        return ambiguous
    why = None
    for o, n in zip(old, new):
        if o == n:
            continue
        mo, mn = LOCAL.match(o), IN_UTC.match(n)
        if not mo or not mn or mo.group(1) != mn.group(1):
            tally.problem(case, f"line {o!r} became {n!r}")
            return ambiguous
        local = parse(mo.group(2))
        if parse(mn.group(2)) != paris(local)[0]:
            tally.problem(case, f"{local} written at {mn.group(2).decode()}Z, "
                                f"not at the tz database's {paris(local)[0]}")
        why = why or reason(local)
    # Both dates go to UTC together: check that one of them had to.
    why = why or next(filter(None, (reason(t) for t in old_dates.values())), None)
    if why is None:
        tally.problem(case, f"an event in UTC for no reason: {old_dates}")
    else:
        tally.reasons[why] += 1
    return ambiguous


def compare_result(case, old, new, tally):
    op, ob, orest = blocks(old)
    np_, nb, nrest = blocks(new)
    if op != np_ or orest != nrest or len(ob) != len(nb):
        tally.problem(case, "the prologue, the end or the number of events differs")
        return 0
    return sum(compare_block(case, o, n, tally) for o, n in zip(ob, nb))


def read(path):
    with open(path, "rb") as f:
        return f.read()


def compare_stderr(case, old, new, ambiguous, tally):
    old_lines, new_lines = old.split(b"\n"), new.split(b"\n")
    notes = [l for l in new_lines if AMBIGUOUS_NOTE.match(l)]
    rest = [l for l in new_lines if not AMBIGUOUS_NOTE.match(l)]
    if rest != old_lines:
        tally.problem(case, "standard error differs by more than the note on ambiguous times")
    count = int(AMBIGUOUS_NOTE.match(notes[0]).group(1)) if notes else 0
    if len(notes) > 1 or count != ambiguous:
        tally.problem(case, f"the note counts {count} ambiguous times, the events hold {ambiguous}")
    tally.ambiguous += count


def compare_case(directory, case, tally):
    tally.exports += 1
    base = os.path.join(directory, case)
    old, new = os.path.join(base, "old"), os.path.join(base, "new")
    for name in ("sortie", "statut"):
        if read(os.path.join(old, name)) != read(os.path.join(new, name)):
            tally.problem(case, f"{name} differs")
    old_files = sorted(os.listdir(os.path.join(old, "dossier")))
    if old_files != sorted(os.listdir(os.path.join(new, "dossier"))):
        tally.problem(case, "other files left")
        return
    ambiguous = 0
    for name in old_files:
        o = read(os.path.join(old, "dossier", name))
        n = read(os.path.join(new, "dossier", name))
        tally.outputs["result"] += o != n
        # A result alike in both is checked too: none of its events may be
        # one that item 2 writes in UTC.
        if o.startswith(b"BEGIN:VCALENDAR\r\n"):
            ambiguous += compare_result(case, o, n, tally)
        elif o != n:
            tally.problem(case, f"{name} differs and is no result")
    old_err, new_err = read(os.path.join(old, "erreur")), read(os.path.join(new, "erreur"))
    if old_err != new_err:
        tally.outputs["stderr"] += 1
    compare_stderr(case, old_err, new_err, ambiguous, tally)


def main(argv):
    if len(argv) != 2 or not os.path.isdir(argv[1]):
        print(__doc__.strip().splitlines()[-1].strip(), file=sys.stderr)
        return 2
    tally = Tally()
    for case in sorted(os.listdir(argv[1])):
        if os.path.isdir(os.path.join(argv[1], case, "old")):
            compare_case(argv[1], case, tally)
    print(f"{tally.exports} differing exports: result differs in {tally.outputs['result']}, "
          f"standard error in {tally.outputs['stderr']}")
    print(f"{tally.events} events in them: {tally.unchanged} unchanged, "
          f"{sum(tally.reasons.values())} written in UTC")
    for why in ("before-1971", "gap-overlap", "definition", "other-rule"):
        print(f"  {why:12} {tally.reasons[why]}")
    print(f"times skipped or repeated told in the summaries: {tally.ambiguous}")
    print(f"unexplained: {len(tally.problems)}")
    for p in tally.problems[:20]:
        print(f"  {p}")
    return 1 if tally.problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
