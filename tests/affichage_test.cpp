// How a name is shown on standard error: the bounds of the control ranges
// and of valid UTF-8, under a UTF-8 locale and under another.
#include "affichage.h"

#include <gtest/gtest.h>

#include <string>

namespace vellumcast {
namespace {

TEST(AffichableTest, ControlCharactersAndInvalidBytesShowAsQuestionMarks) {
  struct Cas {
    const char* nom;
    std::string texte;
    std::string utf8;    // under a UTF-8 locale
    std::string octets;  // under another
  } cas[] = {
      {"Ascii", "a 1~", "a 1~", "a 1~"},
      {"C0AndDelete", "\x1f\x7f\x20", "?? ", "?? "},
      {"C1AsCharactersAndAsBytes", "\xc2\x9f\xc2\xa0\x9f\xa0", "?\xc2\xa0??", "\xc2?\xc2\xa0?\xa0"},
      {"PolishLetter", "\xc5\x82", "\xc5\x82", "\xc5?"},
      {"FourBytesUpToTheLastCharacter", "\xf4\x8f\xbf\xbf", "\xf4\x8f\xbf\xbf", "\xf4?\xbf\xbf"},
      {"BeyondTheLastCharacter", "\xf4\x90\x80\x80", "????", "\xf4???"},
      {"OverlongAndSurrogate", "\xc0\x80\xed\xa0\x80", "?????", "\xc0?\xed\xa0?"},
      {"CutShortAtTheEndAndBeforeABlank", "\xe2\x82 \xe2\x82", "?? ??", "\xe2? \xe2?"},
  };
  for (const Cas& c : cas) {
    EXPECT_EQ(Affichable(c.texte, true), c.utf8) << c.nom;
    EXPECT_EQ(Affichable(c.texte, false), c.octets) << c.nom;
  }
}

TEST(MotShellTest, NameWithABlankOrAQuoteIsQuotedOnce) {
  EXPECT_EQ(MotShell("/media/cdrom/agenda_2009-v1.txt"), "/media/cdrom/agenda_2009-v1.txt");
  EXPECT_EQ(MotShell("mon agenda.txt"), "'mon agenda.txt'");
  EXPECT_EQ(MotShell("l'agenda"), "'l'\\''agenda'");
  EXPECT_EQ(MotShell("$HOME*"), "'$HOME*'");
}

}  // namespace
}  // namespace vellumcast
