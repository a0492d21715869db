#!/usr/bin/env python3
"""Reads the parts of a result written with --split, and the result of the
same export without it, with Python's icalendar and vobject, and says
whether every part reads whole and their events, in order, are exactly the
whole result's (UID, start and end as the reader gives them, summary).

  bench/lire_parties.py WHOLE.ics PART-1.ics PART-2.ics ...
"""
import sys

import icalendar
import vobject


def with_icalendar(path):
    with open(path, "rb") as f:
        cal = icalendar.Calendar.from_ical(f.read())
    events = []
    for e in cal.walk("VEVENT"):
        end = e.get("DTEND")
        events.append((str(e.get("UID")), e.decoded("DTSTART").isoformat(),
                       e.decoded("DTEND").isoformat() if end is not None else "",
                       str(e.get("SUMMARY", ""))))
    return events


def with_vobject(path):
    with open(path, encoding="utf-8") as f:
        cal = vobject.readOne(f.read())
    events = []
    for e in cal.vevent_list:
        end = getattr(e, "dtend", None)
        summary = getattr(e, "summary", None)
        events.append((e.uid.value, e.dtstart.value.isoformat(),
                       end.value.isoformat() if end is not None else "",
                       summary.value if summary is not None else ""))
    return events


def main():
    whole, parts = sys.argv[1], sys.argv[2:]
    ok = True
    for name, read in (("icalendar", with_icalendar), ("vobject", with_vobject)):
        expected = read(whole)
        got = []
        for p in parts:
            events = read(p)
            print(f"{name}: {p}: {len(events)} events")
            got += events
        same = got == expected
        ok = ok and same
        print(f"{name}: {len(got)} events in the parts, {len(expected)} in the whole result: "
              f"{'the same, in order' if same else 'DIFFERENT'}")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
