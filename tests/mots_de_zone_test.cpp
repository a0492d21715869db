// Zone words after a time: the offsets they state, east of UTC with "+".
#include "mots_de_zone.h"

#include <gtest/gtest.h>

namespace vellumcast {
namespace {

TEST(MotsDeZoneTest, WordsThatStateAnOffsetExactly) {
  const std::pair<const char*, int32_t> cas[] = {
      {"UTC", 0},
      {"utc", 0},
      {"Gmt", 0},
      {"Z", 0},
      {"z", 0},
      {"UT", 0},
      {"+01", 3600},
      {"+0100", 3600},
      {"+01:00", 3600},
      {"-05:00", -18000},
      {"-0500", -18000},
      {"-05", -18000},
      {"+05:30", 19800},
      {"+0545", 20700},
      {"+00", 0},
      {"-00:00", 0},
      {"+23:59", 86340},
      // After a name of UTC the sign keeps its everyday sense, unlike Etc/GMT+1.
      {"GMT+1", 3600},
      {"GMT-1", -3600},
      {"UTC-5", -18000},
      {"UTC+05:30", 19800},
      {"UTC+5:30", 19800},
      {"utc+0530", 19800},
      {"UT+1", 3600},
      {"gmt+01:00", 3600},
      {"GMT-12", -43200},
  };
  for (const auto& [mot, decalage] : cas) {
    EXPECT_EQ(DecalageDuMot(mot), std::optional<int32_t>(decalage)) << mot;
  }
}

TEST(MotsDeZoneTest, OtherWordsStateNone) {
  for (const char* mot :
       {"",        "CET",       "EST",       "CEST",   "+1",        "+",      "-",
        "UTC+",    "GMT+1:3",   "+01:0",     "+1:00",  "+24",       "+01:60", "+010",
        "+01000",  "UTC1",      "UTCX",      "ZZ",     "01:00",     "++01",   "+0a",
        "GMT+100", "GMT+12345", "Etc/GMT+1", "UTC +1", "+01:00:00", "Z+1"}) {
    EXPECT_EQ(DecalageDuMot(mot), std::nullopt) << mot;
  }
}

}  // namespace
}  // namespace vellumcast
