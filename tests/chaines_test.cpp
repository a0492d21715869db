#include "chaines.h"

#include <gtest/gtest.h>

#include <string>

namespace vellumcast {
namespace {

TEST(ChaineTest, JoiningKeepsTheFirst255Characters) {
  CHAINE c(std::string(250, 'a'));
  c.Ajouter("bcdefgh");
  EXPECT_EQ(c.vue(), std::string(250, 'a') + "bcdef");
  c.Ajouter('z');
  EXPECT_EQ(c.size(), 255);
}

TEST(StartsWithTest, ExactPrefixOnly) {
  struct Cas {
    const char* ch;
    const char* msg;
    bool attendu;
  } cas[] = {
      {"Subject:", "Subject:", true}, {"subject:", "Subject:", false},  {"Sub", "Subject:", false},
      {"anything", "", true},         {"Subject: x", "Subject:", true},
  };
  for (const Cas& c : cas) EXPECT_EQ(STARTSWITH(c.ch, c.msg), c.attendu) << c.ch << " / " << c.msg;
}

TEST(LastCharTest, EmptyGivesCodeZero) {
  EXPECT_EQ(LASTCHAR(""), '\0');
  EXPECT_EQ(LASTCHAR("ab:"), ':');
}

TEST(ToLowerCaseTest, FoldsOnlyAToZ) {
  EXPECT_EQ(TOLOWERCASE('A'), 'a');
  EXPECT_EQ(TOLOWERCASE('Z'), 'z');
  for (char c : std::string("09@[`{:=\xc9\xe9")) EXPECT_EQ(TOLOWERCASE(c), c);
}

TEST(Int2StrTest, DigitsWithoutSeparators) {
  EXPECT_EQ(INT2STR(0).vue(), "0");
  EXPECT_EQ(INT2STR(1).vue(), "1");
  EXPECT_EQ(INT2STR(1000000).vue(), "1000000");
  EXPECT_EQ(INT2STR(2147483647).vue(), "2147483647");
}

TEST(Str2IntTest, TakesDigitsWherevertheyStand) {
  struct Cas {
    const char* ch;
    int32_t attendu;
  } cas[] = {{"2011", 2011},
             {"20x1", 201},
             {"-12", 12},
             {"", 0},
             {"abc", 0},
             {" 1 2 ", 12},
             {"2147483599", 2147483599}};
  for (const Cas& c : cas) {
    Statut s;
    EXPECT_EQ(STR2INT(c.ch, &s), c.attendu) << c.ch;
    EXPECT_TRUE(s.ok()) << c.ch;
  }
}

TEST(Str2IntTest, OverflowPastTheLastSafeStepIsError215) {
  for (const char* ch : {"2147483600", "2147483647", "99999999999"}) {
    Statut s;
    STR2INT(ch, &s);
    EXPECT_EQ(s.code(), 215) << ch;
    EXPECT_EQ(s.Message(), "Runtime error 215");
  }
}

TEST(EquivalTest, WordPrefixWithFoldingOfAToZ) {
  struct Cas {
    const char* ch1;
    const char* ch2;
    bool attendu;
  } cas[] = {
      {"ABC", "abc", true},   {"abc more", "ABC", true},
      {"abc=1", "abc", true}, {"abc>x", "ABC", true},
      {"abcd", "abc", false}, {"ab", "abc", false},
      {"ABC", "", false},     {"\xc9T\xc9", "\xe9t\xe9", false},
      {"abc,", "abc", false},
  };
  for (const Cas& c : cas) EXPECT_EQ(EQUIVAL(c.ch1, c.ch2), c.attendu) << c.ch1 << " / " << c.ch2;
}

}  // namespace
}  // namespace vellumcast
