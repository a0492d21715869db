// The bundled sample export converts cleanly: the program runs on a copy of
// examples/agenda.txt and every line it writes is one of the forms the result
// file may hold, in the order an event block puts them.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "attendus.h"
#include "processus.h"
#include "temporaire.h"

namespace vellumcast {
namespace {

namespace fs = std::filesystem;

// The lines of `texte`, each with what ends it: true for CR LF, false for LF alone.
struct Ligne {
  std::string texte;
  bool crlf;
};
std::vector<Ligne> Lignes(const std::string& texte, bool* fin_propre) {
  std::vector<Ligne> lignes;
  size_t debut = 0;
  for (size_t lf; (lf = texte.find('\n', debut)) != std::string::npos; debut = lf + 1) {
    std::string l = texte.substr(debut, lf - debut);
    bool crlf = !l.empty() && l.back() == '\r';
    if (crlf) l.pop_back();
    lignes.push_back({l, crlf});
  }
  *fin_propre = debut == texte.size();
  return lignes;
}

bool Utf8Valide(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    auto c = static_cast<unsigned char>(s[i]);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || (n == 2 && c < 0xC2) || i + n > s.size()) return false;
    for (size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return false;
    }
    i += n;
  }
  return true;
}

class AgendaTest : public testing::Test {
 protected:
  void SetUp() override {
    dossier_.Poser("agenda.txt", LireFichier(fs::path(VELLUMCAST_EXEMPLES) / "agenda.txt"));
    execution_ = Executer({VELLUMCAST_BINAIRE, "agenda.txt"}, dossier_.chemin());
  }
  Temporaire dossier_;
  Execution execution_;
};

TEST_F(AgendaTest, ConvertsWithStatus0LeavingOnlyTheCapture) {
  ASSERT_TRUE(execution_.fini);
  EXPECT_EQ(execution_.code(), 0);
  EXPECT_EQ(dossier_.Noms(),
            (std::vector<std::string>{"Vellumcast.log", "agenda.ics", "agenda.txt", "~ical.tmp"}));
  const std::string& sortie = execution_.sortie;
  ASSERT_GE(sortie.size(), 24u);
  EXPECT_EQ(sortie.substr(sortie.size() - 24), "Fichier source termine\r\n");
  EXPECT_EQ(LireFichier(dossier_.Sous("Vellumcast.log")), sortie.substr(0, sortie.size() - 24));
  // The sample's one embedded calendar: its event, from marker to marker.
  std::string ical = dossier_.Lire("~ical.tmp");
  EXPECT_TRUE(ical.starts_with("BEGIN:VEVENT\r\n")) << ical;
  EXPECT_TRUE(ical.ends_with("\r\nEND:VEVENT\r\n")) << ical;
}

TEST_F(AgendaTest, EveryLineIsOneOfTheResultForms) {
  ASSERT_EQ(execution_.code(), 0);
  bool fin_propre = false;
  std::vector<Ligne> lignes = Lignes(dossier_.Lire("agenda.ics"), &fin_propre);
  EXPECT_TRUE(fin_propre) << "text after the last line end";

  std::vector<Ligne> prologue = Lignes(PrologueAttendu(), &fin_propre);
  ASSERT_EQ(prologue.size(), 49u);
  ASSERT_GT(lignes.size(), prologue.size());
  for (size_t i = 0; i < prologue.size(); ++i) {
    EXPECT_EQ(lignes[i].texte, prologue[i].texte) << "prologue line " << i + 1;
    EXPECT_TRUE(lignes[i].crlf) << "prologue line " << i + 1;
  }

  // Lines written whole end with CR LF; the event buffer's lines with LF alone.
  const std::regex uid(R"(UID:[0-9A-F]{32}-([0-9]+))");
  const std::regex date(
      R"(DTSTAMP:[0-9]{8}T[0-9]{6}Z|(DTSTART|DTEND);TZID=France:[0-9]{8}T[0-9]{6})");
  const std::regex texte(R"((SUMMARY|LOCATION|DESCRIPTION):.*)");
  enum { kHors, kDebut, kTampon, kDates, kFin } etat = kHors;
  int blocs = 0;
  bool repliable = false;  // a continuation line may follow
  size_t i = prologue.size();
  for (; i < lignes.size(); ++i) {
    const std::string& l = lignes[i].texte;
    const bool crlf = lignes[i].crlf;
    SCOPED_TRACE("line " + std::to_string(i + 1) + ": " + l);
    EXPECT_EQ(l.find('\r'), std::string::npos);
    EXPECT_TRUE(Utf8Valide(l));
    std::smatch m;
    if (etat == kHors && l == "END:VCALENDAR") {
      EXPECT_TRUE(crlf);
      break;
    }
    if (etat == kHors) {
      EXPECT_EQ(l, "BEGIN:VEVENT");
      EXPECT_TRUE(crlf);
      ++blocs;
      ASSERT_LT(i + 2, lignes.size());
      const std::string& ligne_uid = lignes[++i].texte;
      ASSERT_TRUE(std::regex_match(ligne_uid, m, uid)) << ligne_uid;
      EXPECT_EQ(m[1].str(), std::to_string(blocs));
      EXPECT_EQ(lignes[++i].texte, "CREATED:20091101T100000Z");
      etat = kTampon;
      repliable = false;
    } else if (etat == kTampon && !crlf) {
      if (l.starts_with(" ")) {
        EXPECT_TRUE(repliable) << "continuation after a line that does not fold";
      } else if (l == "CLASS:PUBLIC" || l == "CLASS:PRIVATE") {
        repliable = false;
      } else {
        EXPECT_TRUE(std::regex_match(l, texte));
        repliable = true;
      }
    } else if (etat == kTampon || etat == kDates) {
      EXPECT_TRUE(crlf);
      if (std::regex_match(l, date)) {
        etat = kDates;
      } else {
        EXPECT_EQ(etat, kDates) << "no date line";
        EXPECT_EQ(l, "STATUS:CONFIRMED");
        EXPECT_EQ(lignes[++i].texte, "CATEGORIES:MEETING");
        EXPECT_EQ(lignes[++i].texte, "TRANSP:OPAQUE");
        EXPECT_EQ(lignes[++i].texte, "END:VEVENT");
        EXPECT_TRUE(lignes[i].crlf);
        etat = kHors;
      }
    }
  }
  EXPECT_EQ(i, lignes.size() - 1) << "END:VCALENDAR is not the last line";
  // Counted by hand from the sample: 30 documents, 29 events (documents in
  // 2012 or later give none, three repeated recurring documents only a trace).
  EXPECT_EQ(blocs, 29);
  std::string log = dossier_.Lire("Vellumcast.log");
  size_t repetes = 0;
  for (size_t p = 0; (p = log.find("RDV recurrent :", p)) != std::string::npos; ++p) ++repetes;
  EXPECT_EQ(repetes, 3u);
}

}  // namespace
}  // namespace vellumcast
