// Expected texts of the result, written by hand: the prologue every result
// begins with, and an event block made from its parts.
#pragma once

#include <string>
#include <string_view>

namespace vellumcast {

// The 49 lines every result begins with, each ended by CR LF: the bytes of
// the hand-written tests/golden/prologue.ics, built into the library so that
// no run depends on where the sources lie.
const std::string& PrologueAttendu();

// An event block: "BEGIN:VEVENT", "UID:<uid>-<numero>", the creation line,
// then `tampon` as it stands (the event buffer, each of its lines ended by LF
// alone), the stamp and start lines of `debut`, the end line of `fin` unless
// it is empty, both local times of the zone `tzid`, and the four closing
// lines; every line but the buffer's is ended by CR LF.
std::string BlocAttendu(std::string_view uid, int numero, std::string_view tampon,
                        std::string_view debut, std::string_view fin = "",
                        std::string_view tzid = "France");

// An export of one document whose identifier is `uid`, starting on
// 01/02/2009 at 10:00, and what its run writes: its trace, and its result.
std::string ExportUnDocument(std::string_view uid);
std::string TraceUnDocument(std::string_view uid);
std::string ResultatUnDocument(std::string_view uid);

}  // namespace vellumcast
