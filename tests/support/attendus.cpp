#include "attendus.h"

namespace vellumcast {

std::string BlocAttendu(std::string_view uid, int numero, std::string_view tampon,
                        std::string_view debut, std::string_view fin, std::string_view tzid) {
  std::string b = "BEGIN:VEVENT\r\nUID:";
  b += uid;
  b += "-";
  b += std::to_string(numero);
  b += "\r\nCREATED:20091101T100000Z\r\n";
  b += tampon;
  b += "DTSTAMP:";
  b += debut;
  b += "Z\r\nDTSTART;TZID=";
  b += tzid;
  b += ":";
  b += debut;
  b += "\r\n";
  if (!fin.empty()) {
    b += "DTEND;TZID=";
    b += tzid;
    b += ":";
    b += fin;
    b += "\r\n";
  }
  b += "STATUS:CONFIRMED\r\nCATEGORIES:MEETING\r\nTRANSP:OPAQUE\r\nEND:VEVENT\r\n";
  return b;
}

std::string ExportUnDocument(std::string_view uid) {
  return "Subject: s\r\nSTARTDATETIME: 01/02/2009 10:00:00\r\nApptUNID: " + std::string(uid) +
         "\r\n$UpdatedBy: xx\r\n\r\nb\r\n\x0c\r\n";
}

std::string TraceUnDocument(std::string_view uid) {
  return "saut de page\r\nUID:" + std::string(uid) + "-1\r\n";
}

std::string ResultatUnDocument(std::string_view uid) {
  return PrologueAttendu() +
         BlocAttendu(uid, 1, "SUMMARY:s\nDESCRIPTION:b\\n\n \n", "20090201T100000") +
         "END:VCALENDAR\r\n";
}

}  // namespace vellumcast
