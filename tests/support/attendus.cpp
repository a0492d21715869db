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

}  // namespace vellumcast
