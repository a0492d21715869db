#include "options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vellumcast {
namespace {

// Parses `args` as the arguments after the program's name.
LigneDeCommande Lire(std::vector<const char*> args) {
  args.insert(args.begin(), "vellumcast");
  return LireLigneDeCommande(static_cast<int>(args.size()), args.data());
}

TEST(LigneDeCommandeTest, NoArgumentAsksOnTheConsoleWithTheDefaultLimit) {
  LigneDeCommande l = Lire({});
  EXPECT_FALSE(l.aide);
  EXPECT_FALSE(l.version);
  EXPECT_TRUE(l.noms.empty());
  EXPECT_TRUE(l.attendre);
  EXPECT_EQ(l.options.annee_limite, 2012);
  EXPECT_EQ(l.erreur, "");
}

// Options and names in any order: every name is an export, in the order
// given; after "--" every argument is a name.
TEST(LigneDeCommandeTest, EveryNameIsAnExportWhereverTheOptionsStand) {
  struct Cas {
    std::vector<const char*> args;
    std::vector<std::string> noms;
    int32_t annee;
  } cas[] = {
      {{"agenda.txt"}, {"agenda.txt"}, 2012},
      {{"agenda.txt", "b.txt", "c.txt"}, {"agenda.txt", "b.txt", "c.txt"}, 2012},
      {{"-"}, {"-"}, 2012},
      {{""}, {""}, 2012},
      {{"--", "--help"}, {"--help"}, 2012},
      {{"--", "-", "--"}, {"-", "--"}, 2012},
      {{"./--help"}, {"./--help"}, 2012},
      {{"--year-limit", "2020", "a.txt", "b.txt"}, {"a.txt", "b.txt"}, 2020},
      {{"a.txt", "--year-limit", "2030"}, {"a.txt"}, 2030},
      {{"a.txt", "--year-limit=2031", "--", "--year-limit", "2032"},
       {"a.txt", "--year-limit", "2032"},
       2031},
      {{"b.txt", "--year-limit", "2020", "a.txt", "--", "-x"}, {"b.txt", "a.txt", "-x"}, 2020},
  };
  for (const Cas& c : cas) {
    LigneDeCommande l = Lire(c.args);
    EXPECT_EQ(l.noms, c.noms) << c.args[0];
    EXPECT_EQ(l.options.annee_limite, c.annee) << c.args[0];
    EXPECT_FALSE(l.aide || l.version) << c.args[0];
    EXPECT_EQ(l.erreur, "") << c.args[0];
  }
}

TEST(LigneDeCommandeTest, NoWaitIsAnOptionWithoutValue) {
  EXPECT_FALSE(Lire({"a.txt", "--no-wait"}).attendre);
  EXPECT_TRUE(Lire({"a.txt", "--", "--no-wait"}).attendre);
  EXPECT_EQ(Lire({"--no-wait=1", "a.txt"}).erreur, "unknown option '--no-wait=1'");
}

TEST(LigneDeCommandeTest, ShortFormsAndOutput) {
  EXPECT_TRUE(Lire({"a.txt", "-h"}).aide);
  EXPECT_TRUE(Lire({"-V"}).version);
  EXPECT_TRUE(Lire({"-q", "a.txt"}).silencieux);
  for (std::vector<const char*> args : {std::vector<const char*>{"-o", "out/r.ics", "a.txt"},
                                        std::vector<const char*>{"a.txt", "-oout/r.ics"},
                                        std::vector<const char*>{"--output=out/r.ics", "a.txt"}}) {
    LigneDeCommande l = Lire(args);
    EXPECT_EQ(l.erreur, "");
    ASSERT_TRUE(l.sortie.has_value());
    EXPECT_EQ(*l.sortie, "out/r.ics");
    EXPECT_EQ(l.noms, std::vector<std::string>{"a.txt"});
  }
  EXPECT_EQ(Lire({"a.txt", "-o"}).erreur, "option --output needs a file name");
}

TEST(LigneDeCommandeTest, DoubleDashAloneLeavesNoName) {
  LigneDeCommande l = Lire({"--"});
  EXPECT_TRUE(l.noms.empty());
  EXPECT_EQ(l.erreur, "");
}

TEST(LigneDeCommandeTest, HelpAndVersionEndTheOptions) {
  LigneDeCommande aide = Lire({"--help"});
  EXPECT_TRUE(aide.aide);
  EXPECT_FALSE(aide.version);
  LigneDeCommande version = Lire({"--version", "agenda.txt"});
  EXPECT_TRUE(version.version);
  EXPECT_FALSE(version.aide);
  // Options are read in order: what follows --help is not looked at.
  LigneDeCommande avant_erreur = Lire({"--help", "--bogus"});
  EXPECT_TRUE(avant_erreur.aide);
  EXPECT_EQ(avant_erreur.erreur, "");
  LigneDeCommande apres_erreur = Lire({"--bogus", "--help"});
  EXPECT_FALSE(apres_erreur.erreur.empty());
}

TEST(LigneDeCommandeTest, YearLimitTakesExactlyFourDigits) {
  struct Cas {
    const char* valeur;
    int32_t annee;
  } cas[] = {{"2012", 2012}, {"2020", 2020}, {"0000", 0}, {"9999", 9999}, {"0199", 199}};
  for (const Cas& c : cas) {
    LigneDeCommande l = Lire({"--year-limit", c.valeur, "a.txt"});
    EXPECT_EQ(l.erreur, "") << c.valeur;
    EXPECT_EQ(l.options.annee_limite, c.annee) << c.valeur;
    EXPECT_EQ(l.noms, std::vector<std::string>{"a.txt"});
  }
}

TEST(LigneDeCommandeTest, YearLimitWithoutFourDigitsIsAUsageError) {
  for (const char* valeur : {"201", "20120", "", "20a2", " 2012", "2012 ", "-201", "+201",
                             "２０２０", "2o12", "--help"}) {
    LigneDeCommande l = Lire({"--year-limit", valeur, "a.txt"});
    EXPECT_NE(l.erreur.find("--year-limit"), std::string::npos) << valeur;
  }
}

TEST(LigneDeCommandeTest, YearLimitAsLastArgumentIsAUsageError) {
  LigneDeCommande l = Lire({"--year-limit"});
  EXPECT_EQ(l.erreur, "option --year-limit needs a year");
}

TEST(LigneDeCommandeTest, UnknownOptionsAreUsageErrors) {
  for (const char* option :
       {"-x", "--HELP", "--help=1", "--year-limitt", "---", "-v", "--versio", "-qq"}) {
    LigneDeCommande l = Lire({option, "a.txt"});
    EXPECT_EQ(l.erreur, std::string("unknown option '") + option + "'") << option;
  }
}

TEST(LigneDeCommandeTest, ControlBytesOfAnOptionAreNotQuotedAsTheyAre) {
  LigneDeCommande l = Lire({"-\x1b[2J\x7f"});
  EXPECT_EQ(l.erreur, "unknown option '-?[2J?'");
}

TEST(TexteTest, HelpAndVersionLinesEndInLineFeedAlone) {
  for (std::string_view texte : {TexteAide(), TexteVersion()}) {
    ASSERT_FALSE(texte.empty());
    EXPECT_EQ(texte.back(), '\n');
    EXPECT_EQ(texte.find('\r'), std::string_view::npos);
    EXPECT_EQ(texte.find('\x1b'), std::string_view::npos);
  }
  EXPECT_EQ(TexteVersion(), "vellumcast " VELLUMCAST_VERSION
                            "\n"
                            "Copyright (C) 2026 the vellumcast authors.\n"
                            "License MIT: <https://opensource.org/licenses/MIT>.\n"
                            "This is free software: you are free to change and redistribute it.\n"
                            "There is NO WARRANTY, to the extent permitted by law.\n");
  EXPECT_EQ(TexteAide().substr(0, 17), "Usage: vellumcast");
  EXPECT_NE(TexteAide().find("--year-limit YEAR"), std::string_view::npos);
}

}  // namespace
}  // namespace vellumcast
