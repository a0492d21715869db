// The identifier registry: look-ups that follow EQUIVAL with the stored text
// first, records kept in the order first met, and the index against the plain
// reading of every record: whatever identifiers come, the indexed look-up
// answers as EQUIVAL over each stored record, and stores the same records.
#include "registre.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "chaines.h"

namespace vellumcast {
namespace {

TEST(RegistreTest, LookupFollowsEquivalWithTheStoredTextFirst) {
  struct Cas {
    std::vector<std::string> stockes;
    std::string cherche;
    bool trouve;
  } cas[] = {
      {{}, "0", true},
      {{"ABC"}, "abc", true},
      {{"ABC"}, "ABC", true},
      {{"ABC=1"}, "ABC", true},
      {{"ABC>2"}, "abc", true},
      {{"ABCD"}, "ABC", false},
      {{"ABC"}, "ABCD", false},
      {{"ABC"}, "AB", false},
      {{"A>B=C"}, "A", true},
      {{"A>B=C"}, "A>B", true},
      {{"A>B=C"}, "a>b=c", true},
      {{"A>B=C"}, "A>", false},
      {{"A>B=C"}, "A>B=", false},
      {{"A>B=C"}, "B", false},
      {{"\xC9T\xC9"}, "\xE9t\xE9", false},
      {{"X", "Y=1", "Z"}, "y", true},
      {{"ABC,1"}, "ABC", false},
  };
  for (const Cas& c : cas) {
    Registre r;
    for (const std::string& s : c.stockes) ASSERT_FALSE(r.DejaRencontre(s)) << s;
    size_t avant = r.size();
    EXPECT_EQ(r.DejaRencontre(c.cherche), c.trouve) << c.cherche;
    // A miss stores the identifier; a hit stores nothing.
    EXPECT_EQ(r.size(), avant + (c.trouve ? 0 : 1)) << c.cherche;
    if (!c.trouve) {
      EXPECT_EQ(r.record(avant), c.cherche);
    }
  }
}

// After record 0, "0", each miss is the next record and a hit stores nothing;
// the empty identifier is never found, so each one is stored again.
TEST(RegistreTest, RecordsInTheOrderFirstMetEmptyOnesEachTime) {
  struct Cas {
    std::vector<std::pair<std::string, bool>> recherches;  // each identifier, and whether found
    std::vector<std::string> records;
  } cas[] = {
      {{}, {"0"}},
      {{{"X", false}, {"Y", false}, {"x", true}}, {"0", "X", "Y"}},
      {{{"", false}, {"", false}}, {"0", "", ""}},
  };
  for (const Cas& c : cas) {
    Registre r;
    for (const auto& [uid, trouve] : c.recherches) {
      EXPECT_EQ(r.DejaRencontre(uid), trouve) << "[" << uid << "]";
    }
    std::vector<std::string> records;
    for (size_t k = 0; k < r.size(); ++k) records.push_back(r.record(k));
    EXPECT_EQ(records, c.records);
  }
}

TEST(RegistreTest, ManyIdentifiersStillFoundByEveryPrefixWord) {
  Registre r;
  for (int i = 0; i < 20000; ++i) ASSERT_FALSE(r.DejaRencontre("ID" + std::to_string(i) + "=v"));
  for (int i = 0; i < 20000; i += 997) {
    EXPECT_TRUE(r.DejaRencontre("id" + std::to_string(i))) << i;
    EXPECT_TRUE(r.DejaRencontre("ID" + std::to_string(i) + "=V")) << i;
  }
  EXPECT_FALSE(r.DejaRencontre("ID2000="));
}

// The registry as records read one by one from the first.
class RegistreLineaire {
 public:
  bool DejaRencontre(const std::string& uid) {
    for (const std::string& r : records_) {
      if (EQUIVAL(r, uid)) return true;
    }
    records_.push_back(uid);
    return false;
  }
  const std::vector<std::string>& records() const { return records_; }

 private:
  std::vector<std::string> records_{"0"};
};

// Identifiers from a small alphabet, so that case variants, shared prefixes
// and the word ends "=", ">" and blank meet often.
std::string Tirer(uint64_t* etat) {
  static constexpr char kAlphabet[] = "aAbB0=> \xE9\xC9";
  *etat = *etat * 6364136223846793005ull + 1442695040888963407ull;
  uint64_t x = *etat >> 20;
  size_t longueur = x % 7;
  std::string s;
  for (size_t i = 0; i < longueur; ++i) {
    x /= 7;
    s += kAlphabet[(x + i * 3) % (sizeof kAlphabet - 1)];
    x ^= *etat >> (i + 5);
  }
  return s;
}

TEST(RegistreIndexTest, AnswersAsEquivalOverEveryRecord) {
  Registre indexe;
  RegistreLineaire lineaire;
  uint64_t etat = 42;
  // Enough identifiers for the index to grow several times.
  for (int k = 0; k < 20000; ++k) {
    std::string uid = Tirer(&etat);
    ASSERT_EQ(indexe.DejaRencontre(uid), lineaire.DejaRencontre(uid)) << k << " [" << uid << "]";
  }
  ASSERT_EQ(indexe.size(), lineaire.records().size());
  for (size_t k = 0; k < indexe.size(); ++k) EXPECT_EQ(indexe.record(k), lineaire.records()[k]);
}

TEST(RegistreIndexTest, IdentifierOf255CharsFoundByItsWordPrefix) {
  Registre r;
  std::string long_uid = std::string(100, 'K') + "=" + std::string(154, 'v');
  ASSERT_EQ(long_uid.size(), 255u);
  EXPECT_FALSE(r.DejaRencontre(long_uid));
  EXPECT_TRUE(r.DejaRencontre(std::string(100, 'k')));
  EXPECT_TRUE(r.DejaRencontre(long_uid));
  EXPECT_FALSE(r.DejaRencontre(std::string(99, 'K')));
}

TEST(RegistreIndexTest, HundredThousandIdentifiersHoldUnder128BytesEach) {
  // The index keeps offsets, not copies: its size follows the identifiers'
  // total length (32 bytes each here), not their number squared or worse.
  Registre r;
  char uid[40];
  for (int k = 0; k < 100000; ++k) {
    std::snprintf(uid, sizeof uid, "C1257A3B%08X%016X", k * 2654435761u, k);
    ASSERT_FALSE(r.DejaRencontre(uid));
  }
  EXPECT_LT(r.octets(), 100000u * 128);
  EXPECT_TRUE(
      r.DejaRencontre("c1257a3b00000000"
                      "0000000000000000"));
}

}  // namespace
}  // namespace vellumcast
