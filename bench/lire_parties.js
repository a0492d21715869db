#!/usr/bin/env node
// Reads the parts of a result written with --split, and the result of the
// same export without it, with ical.js, and says whether every part reads
// whole and their events, in order, are exactly the whole result's.
//
//   node bench/lire_parties.js WHOLE.ics PART-1.ics PART-2.ics ...
// (ical.js from npm: npm install ical.js, in a folder on NODE_PATH)
const fs = require("fs");
const ICAL = require("ical.js");

function events(path) {
  const comp = new ICAL.Component(ICAL.parse(fs.readFileSync(path, "utf8")));
  for (const tz of comp.getAllSubcomponents("vtimezone")) {
    ICAL.TimezoneService.register(tz);
  }
  return comp.getAllSubcomponents("vevent").map((v) => {
    const e = new ICAL.Event(v);
    const end = v.getFirstPropertyValue("dtend");
    return [e.uid, e.startDate.toUnixTime(), end ? e.endDate.toUnixTime() : "", e.summary || ""]
        .join("|");
  });
}

const [whole, ...parts] = process.argv.slice(2);
const expected = events(whole);
let got = [];
for (const p of parts) {
  const e = events(p);
  console.log(`ical.js: ${p}: ${e.length} events`);
  got = got.concat(e);
}
const same = got.length === expected.length && got.every((x, i) => x === expected[i]);
console.log(`ical.js: ${got.length} events in the parts, ${expected.length} in the whole result: ` +
            (same ? "the same, in order" : "DIFFERENT"));
process.exit(same ? 0 : 1);
