// The conversion's handlers, run in memory: each test feeds an input to one
// operation of a Conversion and looks at what it left in the event buffer,
// the result and the trace.
#include "vellumcast.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "banc.h"
#include "utf8.h"

namespace vellumcast {
namespace {

// ---------------------------------------------------------------- UTF-8

TEST(Utf8Test, IsoLatin1BytesBecomeUtf8AndNulABlank) {
  Banc b("");
  b.sonde.PUT_RDV(std::string_view("\xE9\xA0\x80\xFF\x41\x00\x0A\x0D", 8));
  EXPECT_EQ(b.EventBuffer(), "\xC3\xA9\xC2\xA0\xC2\x80\xC3\xBF\x41\x20\x0A\x0D");
}

TEST(Utf8Test, EdgesOfEachRange) {
  struct Cas {
    unsigned char car;
    std::string attendu;
  } cas[] = {{0, " "},          {1, "\x01"},       {26, "\x1A"},      {127, "\x7F"},
             {128, "\xC2\x80"}, {159, "\xC2\x9F"}, {191, "\xC2\xBF"}, {192, "\xC3\x80"},
             {233, "\xC3\xA9"}, {255, "\xC3\xBF"}};
  for (const Cas& c : cas) EXPECT_EQ(UTF8(c.car), c.attendu) << int(c.car);
}

// ---------------------------------------------------------------- item names

struct CasLigne {
  char garde;  // CAR_DEJA_LU before the read
  std::string entree;
  char deca;
  std::string attendu;
  bool trop_longue;
  bool fin_de_ligne;  // END_OF_LINE afterwards
};

TEST(LireDebutLigneTest, KeptBackCharacterTerminatorsAndThe254Limit) {
  const std::string l253(253, 'x'), l300(300, 'y');
  const CasLigne cas[] = {
      {kEsc, "Subject: x\r\n", ':', "Subject:", false, false},
      {'S', "ubject: x\r\n", ':', "Subject:", false, false},
      {kEsc, "no colon\r\nnext", ':', "no colon ", false, true},
      {kEsc, "\r\n", ':', " ", false, true},
      {kEsc, "", ':', "", false, false},
      {'X', "", ':', "X", false, false},
      {kEsc,
       "a\x1A"
       "b: v",
       ':',
       "a\x1A"
       "b:",
       false, false},
      {kEsc, l253 + ":", ':', l253 + ":", true, false},
      {'k', l253 + "rest", ':', "k" + l253, true, false},
      {kEsc, l300 + "\r\n", ':', l300.substr(0, 254), true, false},
      {kEsc, "BEGIN:VEVENT\r\n", ' ', "BEGIN:VEVENT", false, true},
      {kEsc, "SUMMARY:Team meeting\r\n", ' ', "SUMMARY:Team ", false, false},
      {kEsc, "\r\n", ' ', "", false, true},
      {kEsc, l253 + "\r\n", ' ', l253, false, true},
      {kEsc, "\x0C\r\n", ':', "\x0C ", false, true},
  };
  for (const CasLigne& c : cas) {
    Banc b(c.entree);
    b.etat().CAR_DEJA_LU = c.garde;
    CHAINE seq;
    b.sonde.LIRE_DEBUT_LIGNE(&seq, c.deca);
    EXPECT_EQ(seq.vue(), c.attendu) << c.entree;
    EXPECT_EQ(b.source.END_OF_LINE, c.fin_de_ligne) << c.entree;
    EXPECT_EQ(b.etat().CAR_DEJA_LU, kEsc);
    std::string trace = c.trop_longue ? "ligne trop longue\r\n" + c.attendu + "\r\n" : "";
    EXPECT_EQ(b.Journal(), trace) << c.entree;
  }
}

TEST(LireDebutLigneTest, ReadStoppedAtTheLimitLeavesTheRestOfTheLine) {
  Banc b(std::string(254, 'z') + "tail\r\nSubject:");
  CHAINE seq;
  b.sonde.LIRE_DEBUT_LIGNE(&seq, ':');
  EXPECT_EQ(seq.size(), 254);
  EXPECT_EQ(b.source.NEXTCAR(), 't');
}

// ---------------------------------------------------------------- text items

// The folded line the format asks for: a value character counts one (an
// escaped one two); at 50 or more the fold comes first and the counter
// restarts at 0 (1 for an escaped one).
std::string Plie(std::string_view mot_cle, std::string_view valeur) {
  std::string r(mot_cle);
  int compteur = static_cast<int>(mot_cle.size());
  for (char c : valeur) {
    bool echappe = c == '\\' || c == ',' || c == ';';
    compteur += echappe ? 2 : 1;
    if (compteur >= 50) {
      r += "\n ";
      compteur = echappe ? 1 : 0;
    }
    if (echappe) r += '\\';
    r += UTF8(static_cast<unsigned char>(c));
  }
  return r + "\n";
}

std::string Ligne(std::string_view mot_cle, const std::string& entree) {
  Banc b(entree);
  b.sonde.ECRIRE_LIGNE_RDV(mot_cle);
  EXPECT_TRUE(b.source.END_OF_LINE || b.source.AtEnd()) << entree;
  return b.EventBuffer();
}

TEST(EcrireLigneRdvTest, SubjectOf41CharsFitsAnd42FoldsOnce) {
  std::string v(100, 'a');
  for (int i = 0; i < 100; ++i) v[i] = static_cast<char>('0' + i % 10);
  EXPECT_EQ(Ligne("SUMMARY:", v.substr(0, 41) + "\r\n"), "SUMMARY:" + v.substr(0, 41) + "\n");
  EXPECT_EQ(Ligne("SUMMARY:", v.substr(0, 42) + "\r\n"),
            "SUMMARY:" + v.substr(0, 41) + "\n " + v.substr(41, 1) + "\n");
  EXPECT_EQ(Ligne("SUMMARY:", v + "\r\n"),
            "SUMMARY:" + v.substr(0, 41) + "\n " + v.substr(41, 50) + "\n " + v.substr(91) + "\n");
  EXPECT_EQ(Ligne("LOCATION:", std::string(40, 'l') + "\r\n"),
            "LOCATION:" + std::string(40, 'l') + "\n");
  EXPECT_EQ(Ligne("LOCATION:", std::string(41, 'l') + "\r\n"),
            "LOCATION:" + std::string(40, 'l') + "\n l\n");
}

TEST(EcrireLigneRdvTest, EveryLengthAndEscapePositionFoldsByTheCounter) {
  // Plain values of every length up to three folds, then one escaped
  // character at each position of a 120-character value.
  for (size_t n = 0; n <= 160; ++n) {
    std::string v;
    for (size_t i = 0; i < n; ++i) v += static_cast<char>('a' + i % 26);
    ASSERT_EQ(Ligne("SUMMARY:", v + "\r\n"), Plie("SUMMARY:", v)) << n;
  }
  for (char e : {',', ';', '\\'}) {
    for (size_t pos = 0; pos < 120; ++pos) {
      std::string v(120, 'b');
      v[pos] = e;
      v[(pos * 7 + 3) % 120] = '\xE9';
      ASSERT_EQ(Ligne("LOCATION:", v + "\r\n"), Plie("LOCATION:", v)) << e << " at " << pos;
    }
  }
}

TEST(EcrireLigneRdvTest, LeadingBlanksDroppedTrailingKept) {
  struct Cas {
    std::string entree, attendu;
  } cas[] = {
      {"   value\r\n", "SUMMARY:value\n"},
      {"\tvalue  \r\n", "SUMMARY:\tvalue  \n"},
      {"\r\n", "SUMMARY:\n"},
      {"    \r\n", "SUMMARY:\n"},
      {"last", "SUMMARY:last\n"},
      {"a\x1A"
       "b\r\n",
       "SUMMARY:a\x1A"
       "b\n"},
      {"x\r\ry\r\n", "SUMMARY:xy\n"},
  };
  for (const Cas& c : cas) EXPECT_EQ(Ligne("SUMMARY:", c.entree), c.attendu) << c.entree;
}

std::string Description(const std::string& entree, bool* fin = nullptr) {
  Banc b(entree);
  b.sonde.ECRIRE_DESCRIPTION();
  EXPECT_TRUE(b.etat().FIN_DE_RDV);
  EXPECT_EQ(b.Journal(), "saut de page\r\n");
  if (fin != nullptr) *fin = b.source.AtEnd();
  return b.EventBuffer();
}

TEST(EcrireDescriptionTest, LinesBecomeEscapedBreaksUpToTheFormFeed) {
  struct Cas {
    std::string entree, attendu;
  } cas[] = {
      {"\x0C\r\n", "DESCRIPTION:\n"},
      {"a\r\n\x0C\r\n", "DESCRIPTION:a\\n\n \n"},
      {"one\r\ntwo\r\n\x0C\r\n", "DESCRIPTION:one\\n\n two\\n\n \n"},
      {"kept\x0C"
       "dropped\r\n",
       "DESCRIPTION:kept\n"},
      {"C:\\temp, a;b\r\n\x0C", "DESCRIPTION:C:\\\\temp\\, a\\;b\\n\n \n"},
      {"no form feed", "DESCRIPTION:no form feed\n"},
      {"", "DESCRIPTION:\n"},
      {"\xE9t\xE9\x00\r\n\x0C", std::string("DESCRIPTION:\xC3\xA9t\xC3\xA9 \\n\n \n")},
      {std::string(300, 'w') + "\r\n\x0C", "DESCRIPTION:" + std::string(300, 'w') + "\\n\n \n"},
  };
  cas[7].entree = std::string("\xE9t\xE9\0\r\n\x0C", 7);
  for (const Cas& c : cas) EXPECT_EQ(Description(c.entree), c.attendu) << c.entree;
}

TEST(EcrireDescriptionTest, StopsBeforeACode26InTheInput) {
  bool fin = false;
  EXPECT_EQ(Description("ab\x1A"
                        "cd\r\n\x0C",
                        &fin),
            "DESCRIPTION:ab\n");
  EXPECT_TRUE(fin);
}

TEST(EcrireAccesTest, OnlyAFirstCharacterOneIsPublic) {
  struct Cas {
    std::string entree;
    bool publique;
  } cas[] = {{"1\r\n", true}, {"   1\r\n", true}, {"10\r\n", true},   {"0\r\n", false},
             {"\r\n", false}, {"", false},        {" x1\r\n", false}, {"\t1\r\n", false}};
  for (const Cas& c : cas) {
    Banc b(c.entree + "next");
    b.sonde.ECRIRE_ACCES();
    EXPECT_EQ(b.EventBuffer(), c.publique ? "CLASS:PUBLIC\n" : "CLASS:PRIVATE\n") << c.entree;
    if (!c.entree.empty()) {
      EXPECT_EQ(b.source.NEXTCAR(), 'n') << c.entree;
    }
  }
}

// ---------------------------------------------------------------- identifiers

TEST(RecupererUidTest, BlanksJoinedEmptyGivesA) {
  struct Cas {
    std::string entree, uid;
  } cas[] = {
      {"0123 ABCD\r\n", "0123ABCD"},
      {"\r\n", "A"},
      {"    \r\n", "A"},
      {"\tX\r\n", "\tX"},
      {"abc", "abc"},
      {"", "A"},
      {std::string(300, 'u') + "\r\n", std::string(255, 'u')},
  };
  for (const Cas& c : cas) {
    Banc b(c.entree);
    b.sonde.RECUPERER_UID();
    EXPECT_EQ(b.etat().CH_UID.vue(), c.uid) << c.entree;
  }
}

// ---------------------------------------------------------------- event writer

TEST(EcrireDebutRdvTest, NumberPastTheLargestIsError215AfterBegin) {
  Banc b("");
  b.etat().NO_UID = std::numeric_limits<int32_t>::max();
  b.sonde.ECRIRE_DEBUT_RDV();
  EXPECT_EQ(b.Resultat(), "BEGIN:VEVENT\r\n");
  EXPECT_EQ(b.erreurs.statut().code(), 215);
  EXPECT_EQ(b.Journal(), "");
}

TEST(EcrireDebutRdvTest, EmptyIdentifierGivesUidDashOne) {
  Banc b("");
  b.sonde.ECRIRE_DEBUT_RDV();
  EXPECT_EQ(b.Resultat(), "BEGIN:VEVENT\r\nUID:-1\r\nCREATED:20091101T100000Z\r\n");
  EXPECT_EQ(b.Journal(), "UID:-1\r\n");
}

}  // namespace
}  // namespace vellumcast
