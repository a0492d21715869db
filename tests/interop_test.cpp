// Calendar programs read the result as the user wrote it: each result is
// parsed by libical, the parser behind several desktop calendar programs, and
// what it reads back is compared with what the export says.
#include <gtest/gtest.h>
#include <libical/ical.h>

#include <string>
#include <vector>

#include "banc.h"
#include "formes_dates.h"
#include "interop_generateur.h"
#include "interop_modele.h"
#include "lecture_libical.h"
#include "temporaire.h"

namespace vellumcast::interop {
namespace {

// An empty text value is valid iCalendar, but libical drops such a property
// with an X-LIC-ERROR ("No value for DESCRIPTION property"), as it does for
// the empty description of a document without notes: reading no property is
// what an empty value reads back as. Every other X-LIC-ERROR is a failure.
bool VideLuCommeAbsent(const std::string& erreur, const char* nom,
                       const std::vector<TexteAttendu>& attendus) {
  if (erreur.find(std::string("No value for ") + nom + " property") == std::string::npos) {
    return false;
  }
  for (const TexteAttendu& t : attendus) {
    if (t.valeur.empty()) return true;
  }
  return false;
}

void ComparerTextes(const char* nom, const std::vector<TexteAttendu>& attendus,
                    const std::vector<std::string>& lus, size_t i) {
  std::vector<TexteAttendu> presents;
  for (const TexteAttendu& t : attendus) {
    if (!t.valeur.empty()) presents.push_back(t);
  }
  ASSERT_EQ(lus.size(), presents.size()) << nom << " count, event " << i;
  for (size_t k = 0; k < lus.size(); ++k) {
    if (presents[k].verifiable) {
      EXPECT_EQ(lus[k], presents[k].valeur) << nom << ", event " << i;
    }
  }
}

// Whether every line of `texte` is whole UTF-8: no fold splits a character.
bool LignesUtf8(std::string_view texte) {
  size_t reste = 0;  // continuation bytes the current character still needs
  for (char c : texte) {
    auto u = static_cast<unsigned char>(c);
    if (reste > 0) {
      if ((u & 0xC0) != 0x80) return false;
      --reste;
    } else if (u >= 0x80) {
      if (u < 0xC2 || u > 0xF4) return false;
      reste = u >= 0xF0 ? 3 : u >= 0xE0 ? 2 : 1;
    }
    if (c == '\n' && reste > 0) return false;
  }
  return reste == 0;
}

constexpr int kDocumentsPourCinqParties = 2800;

Options Limite(int32_t annee_limite) {
  Options options;
  options.annee_limite = annee_limite;
  return options;
}

// Everything libical reads back from the calendar `ics` against the events
// from `debut` to `fin`.
void VerifierCalendrier(const std::string& ics, std::vector<EvenementAttendu>::const_iterator debut,
                        std::vector<EvenementAttendu>::const_iterator fin) {
  EXPECT_TRUE(LignesUtf8(ics)) << "a line of the result is not whole UTF-8";
  const std::vector<EvenementAttendu> attendus(debut, fin);
  Lecture l = LireAvecLibical(ics);
  EXPECT_TRUE(l.analyse) << "libical error: " << icalerror_strerror(icalerrno);
  for (const std::string& e : l.erreurs) ADD_FAILURE() << "X-LIC-ERROR " << e;
  ASSERT_EQ(l.evenements.size(), attendus.size());
  for (size_t i = 0; i < attendus.size(); ++i) {
    const EvenementAttendu& a = attendus[i];
    const EvenementLu& lu = l.evenements[i];
    for (const std::string& e : lu.erreurs) {
      if (!VideLuCommeAbsent(e, "SUMMARY", a.resumes) &&
          !VideLuCommeAbsent(e, "LOCATION", a.lieux) &&
          !VideLuCommeAbsent(e, "DESCRIPTION", a.descriptions)) {
        ADD_FAILURE() << "X-LIC-ERROR " << e << ", event " << i << " (" << a.uid << ")";
      }
    }
    if (a.uid_verifiable) {
      EXPECT_EQ(lu.uid, a.uid) << "event " << i;
    }
    EXPECT_EQ(lu.nb_debuts, 1) << "event " << i;
    EXPECT_EQ(lu.debut, a.debut) << "event " << i;
    EXPECT_EQ(lu.tzid_debut, "France") << "event " << i;
    EXPECT_EQ(lu.nb_fins, a.fin.empty() ? 0 : 1) << "event " << i;
    if (!a.fin.empty()) {
      EXPECT_EQ(lu.fin, a.fin) << "event " << i;
      EXPECT_EQ(lu.tzid_fin, "France") << "event " << i;
    }
    ComparerTextes("SUMMARY", a.resumes, lu.resumes, i);
    ComparerTextes("LOCATION", a.lieux, lu.lieux, i);
    ComparerTextes("DESCRIPTION", a.descriptions, lu.descriptions, i);
  }
}

// Everything libical reads back from the conversion of `entree` against `attendus`.
void VerifierLecture(const std::string& entree, const std::vector<EvenementAttendu>& attendus,
                     const Options& options) {
  const Produit p = Convertir(entree, options);
  EXPECT_FALSE(p.echec) << p.erreur;
  VerifierCalendrier(p.ics, attendus.begin(), attendus.end());
}

TEST(InteropTest, SampleAgendaReadsBackAsWritten) {
  const std::string agenda = LireFichier(VELLUMCAST_EXEMPLES "/agenda.txt");
  ASSERT_FALSE(agenda.empty()) << "examples/agenda.txt is missing";
  for (int32_t limite : {kAnneeLimite, int32_t{9999}}) {
    std::string incertitude;
    std::vector<EvenementAttendu> attendus = LireAttendus(agenda, limite, &incertitude);
    ASSERT_EQ(incertitude, "");
    ASSERT_FALSE(attendus.empty());
    VerifierLecture(agenda, attendus, Limite(limite));
  }
}

TEST(InteropTest, GeneratedExportReadsBackAsGenerated) {
  for (uint32_t graine : {1u, 2u, 3u}) {
    for (int32_t limite : {kAnneeLimite, int32_t{2016}}) {
      ExportGenere g = GenererExport(graine, 300, limite);
      ASSERT_GT(g.attendus.size(), 100u);
      VerifierLecture(g.texte, g.attendus, Limite(limite));
    }
  }
}

// What identifies an event as libical reads it: its UID, its dates as
// written and the instants they stand for.
std::string Identite(const EvenementLu& e) {
  return e.uid + " " + e.tzid_debut + ":" + e.debut + " " + e.instant_debut + " " + e.tzid_fin +
         ":" + e.fin + " " + e.instant_fin;
}

// --split 1000 over 4,968 events: five parts, each a whole calendar that
// libical reads, holding in turn the events of the result without parts.
TEST(InteropTest, PartsOfAThousandEventsReadBackAsTheWholeResult) {
  const ExportGenere g = GenererExport(11, kDocumentsPourCinqParties, 9999);
  Options options = Limite(9999);
  options.evenements_par_partie = 1000;
  Banc banc(g.texte, options);
  ASSERT_FALSE(banc.Convertir().echec);
  const std::string entier = Convertir(g.texte, Limite(9999)).ics;
  const Lecture tous = LireAvecLibical(entier);
  ASSERT_EQ(tous.evenements.size(), 4968u);
  const size_t prologue = entier.find("BEGIN:VEVENT");
  const std::string fin = "END:VCALENDAR\r\n";
  std::string evenements;
  for (size_t k = 1; k <= 5; ++k) {
    SCOPED_TRACE("part " + std::to_string(k));
    const std::string* partie = banc.rep.Contenu("agenda-" + std::to_string(k) + ".ics");
    ASSERT_NE(partie, nullptr);
    const Lecture l = LireAvecLibical(*partie);
    EXPECT_TRUE(l.analyse);
    EXPECT_EQ(l.erreurs, std::vector<std::string>{});
    ASSERT_EQ(l.evenements.size(), k == 5 ? 968u : 1000u);
    for (size_t i = 0; i < l.evenements.size(); ++i) {
      const EvenementLu& e = tous.evenements[(k - 1) * 1000 + i];
      ASSERT_EQ(Identite(l.evenements[i]), Identite(e)) << "event " << i;
      EXPECT_EQ(l.evenements[i].resumes, e.resumes) << "event " << i;
      EXPECT_EQ(l.evenements[i].descriptions, e.descriptions) << "event " << i;
    }
    // The prologue, events of the result in its order, the end.
    ASSERT_TRUE(partie->starts_with(entier.substr(0, prologue)));
    ASSERT_TRUE(partie->ends_with(fin));
    evenements += partie->substr(prologue, partie->size() - prologue - fin.size());
  }
  EXPECT_EQ(banc.rep.Contenu("agenda-6.ics"), nullptr);
  EXPECT_EQ(banc.rep.Contenu("agenda.ics"), nullptr);
  EXPECT_TRUE(evenements == entier.substr(prologue, entier.size() - prologue - fin.size()));
}

// The reading of an export worked out from its text agrees with the generator,
// so the sample's expectations rest on a model that is itself checked.
TEST(InteropTest, ExpectationsFromTheTextAgreeWithTheGenerator) {
  ExportGenere g = GenererExport(7, 300, kAnneeLimite);
  std::string incertitude;
  std::vector<EvenementAttendu> lus = LireAttendus(g.texte, kAnneeLimite, &incertitude);
  ASSERT_EQ(incertitude, "");
  ASSERT_EQ(lus.size(), g.attendus.size());
  for (size_t i = 0; i < lus.size(); ++i) {
    EXPECT_EQ(lus[i].uid, g.attendus[i].uid);
    EXPECT_EQ(lus[i].debut, g.attendus[i].debut);
    EXPECT_EQ(lus[i].fin, g.attendus[i].fin);
    ASSERT_EQ(lus[i].resumes.size(), g.attendus[i].resumes.size());
    EXPECT_EQ(lus[i].resumes[0].valeur, g.attendus[i].resumes[0].valeur);
    EXPECT_EQ(lus[i].resumes[0].verifiable, g.attendus[i].resumes[0].verifiable);
    ASSERT_EQ(lus[i].lieux.size(), g.attendus[i].lieux.size());
    ASSERT_EQ(lus[i].descriptions.size(), 1u);
    EXPECT_EQ(lus[i].descriptions[0].valeur, g.attendus[i].descriptions[0].valeur);
  }
}

// One document per text, each given its own identifier and a 2009 date; the
// subjects read back as `lus`, or as their ISO 8859-1 bytes in UTF-8.
ExportGenere Documents(const std::vector<std::string>& sujets,
                       const std::vector<std::string>& corps,
                       const std::vector<std::string>& descriptions,
                       const std::vector<std::string>& lus = {}) {
  ExportGenere g;
  for (size_t i = 0; i < sujets.size(); ++i) {
    const std::string uid = "T" + std::to_string(i);
    g.texte += "Subject:" + sujets[i] + "\r\nLocation:" + sujets[i] + "\r\nApptUNID:" + uid +
               "\r\nSTARTDATETIME:01/02/2009 10:00:00\r\n$UpdatedBy:me\r\n\r\n" + corps[i];
    EvenementAttendu e;
    e.uid = uid + "-" + std::to_string(i + 1);
    e.debut = "20090201T100000";
    e.resumes = {TexteAttendu{true, lus.empty() ? Utf8DeLatin1(sujets[i]) : lus[i]}};
    e.lieux = e.resumes;
    e.descriptions = {TexteAttendu{true, descriptions[i]}};
    g.attendus.push_back(e);
  }
  return g;
}

// A character that is escaped or takes two bytes, at every place around the
// fold of a subject (41 characters on the first line) and of a location (40).
TEST(InteropTest, EscapedAndAccentedCharactersAroundTheFoldReadBack) {
  std::vector<std::string> sujets, corps, descriptions;
  for (char special : {',', ';', '\\', '\xe9', '\xff', '\xa0'}) {
    for (size_t position = 36; position < 56; ++position) {
      std::string sujet(60, 'a');
      sujet[position] = special;
      sujet[position + 1] = special;
      sujets.push_back(sujet.substr(0, position + 3));
      corps.push_back("b\r\n\f\r\n");
      descriptions.push_back("b\n");
    }
  }
  ExportGenere g = Documents(sujets, corps, descriptions);
  VerifierLecture(g.texte, g.attendus, Limite(kAnneeLimite));
}

TEST(InteropTest, BodiesReadBackAsTheirLines) {
  struct Cas {
    std::string corps;        // in the export, up to its form feed
    std::string description;  // read back, in UTF-8
  } cas[] = {
      {"one\r\ntwo\r\n\f\r\n", "one\ntwo\n"},
      {"one\r\n\r\nthree\r\n\f\r\n", "one\n\nthree\n"},
      {"\r\nsecond\r\n\f\r\n", "\nsecond\n"},
      {"one\r\n  indented; \\ and, \xe9\r\n\f\r\n", "one\n  indented; \\ and, \xc3\xa9\n"},
      {"cut here\ftail\r\n", "cut here"},
      {"one\r\ncut\f\r\n", "one\ncut"},
      {"C:\\temp\\new\r\n\f\r\n", "C:\\temp\\new\n"},
      {"last line without form feed\r\n", "last line without form feed\n"},
  };
  std::vector<std::string> sujets, corps, descriptions;
  for (const Cas& c : cas) {
    sujets.push_back("s");
    corps.push_back(c.corps);
    descriptions.push_back(c.description);
  }
  // The last case has no form feed: it must end the export.
  ExportGenere g = Documents(sujets, corps, descriptions);
  VerifierLecture(g.texte, g.attendus, Limite(kAnneeLimite));
}

// Each character of a set in subjects, locations and bodies, at every place
// around the fold, and where it falls across it: read back as written.
void VerifierJeu(Jeu jeu, const std::vector<std::pair<std::string, std::string>>& caracteres) {
  std::vector<std::string> sujets, lus, corps, descriptions;
  for (const auto& [octets, utf8] : caracteres) {
    for (size_t position = 37; position < 53; ++position) {
      sujets.push_back(std::string(position, 'a') + octets + octets + "z");
      lus.push_back(std::string(position, 'a') + utf8 + utf8 + "z");
      corps.push_back(octets + "x" + octets + "\r\n\f\r\n");
      descriptions.push_back(utf8 + "x" + utf8 + "\n");
    }
  }
  ExportGenere g = Documents(sujets, corps, descriptions, lus);
  Options options;
  options.jeu = jeu;
  VerifierLecture(g.texte, g.attendus, options);
}

TEST(InteropTest, Windows1252ReadsBackItsTwentySevenCharacters) {
  VerifierJeu(Jeu::kWindows1252,
              {{"\x80", "€"}, {"\x82", "‚"}, {"\x83", "ƒ"}, {"\x84", "„"},       {"\x85", "…"},
               {"\x86", "†"}, {"\x87", "‡"}, {"\x88", "ˆ"}, {"\x89", "‰"},       {"\x8A", "Š"},
               {"\x8B", "‹"}, {"\x8C", "Œ"}, {"\x8E", "Ž"}, {"\x91", "‘"},       {"\x92", "’"},
               {"\x93", "“"}, {"\x94", "”"}, {"\x95", "•"}, {"\x96", "–"},       {"\x97", "—"},
               {"\x98", "˜"}, {"\x99", "™"}, {"\x9A", "š"}, {"\x9B", "›"},       {"\x9C", "œ"},
               {"\x9E", "ž"}, {"\x9F", "Ÿ"}, {"\xE9", "é"}, {"\x81", "\xC2\x81"}});
}

TEST(InteropTest, Utf8ReadsBackAsWrittenWithNoFoldInsideACharacter) {
  std::vector<std::pair<std::string, std::string>> caracteres;
  for (const char* c : {"é", "ÿ", "Ω", "λ", "日", "本", "€", "😀", "🎉"})
    caracteres.push_back({c, c});
  VerifierJeu(Jeu::kUtf8, caracteres);
}

TEST(InteropTest, MonthFirstDatesReadBackWithDateOrderMdy) {
  const std::string texte =
      "Subject:m\r\nApptUNID:M\r\nSTARTDATETIME:02/13/2009 10:00:00, 12/31/2010 9:30\r\n"
      "EndDateTime:02/13/2009 11:00:00, 12/31/2010 10:30\r\n$UpdatedBy:me\r\n\r\nb\r\n\f\r\n";
  std::vector<EvenementAttendu> attendus(2);
  attendus[0].uid = "M-1";
  attendus[0].debut = "20090213T100000";
  attendus[0].fin = "20090213T110000";
  attendus[1].uid = "M-2";
  attendus[1].debut = "20101231T093000";
  attendus[1].fin = "20101231T103000";
  for (EvenementAttendu& a : attendus) {
    a.resumes = {TexteAttendu{true, "m"}};
    a.descriptions = {TexteAttendu{true, "b\n"}};
  }
  Options options;
  options.ordre_dates = OrdreDates::kMoisJour;
  VerifierLecture(texte, attendus, options);
}

// Every regional form and every form of the 12-hour clock, in one export per
// date order: libical places each event at the instant written by hand, and
// an all-day event on its day, its end the next day.
TEST(InteropTest, EveryDateFormReadsBackAtItsInstant) {
  const std::vector<FormeDate> formes = FormesDates();
  for (OrdreDates ordre : {OrdreDates::kJourMois, OrdreDates::kMoisJour, OrdreDates::kAnneeMois}) {
    std::string texte;
    for (size_t k = 0; k < formes.size(); ++k) {
      if (formes[k].ordre != ordre) continue;
      texte += "Subject:m\r\nSTARTDATETIME:" + formes[k].debut +
               "\r\nEndDateTime:" + formes[k].fin + "\r\nApptUNID:F" + std::to_string(k) +
               "\r\n$UpdatedBy:me\r\n\r\nb\r\n\f\r\n";
    }
    Options options;
    options.ordre_dates = ordre;
    const Produit p = Convertir(texte, options);
    ASSERT_FALSE(p.echec) << p.erreur;
    const Lecture l = LireAvecLibical(p.ics);
    ASSERT_TRUE(l.analyse);
    EXPECT_EQ(l.erreurs, std::vector<std::string>{});
    for (size_t k = 0; k < formes.size(); ++k) {
      const FormeDate& f = formes[k];
      if (f.ordre != ordre) continue;
      const std::string uid = "F" + std::to_string(k) + "-";
      const EvenementLu* lu = nullptr;
      for (const EvenementLu& e : l.evenements) {
        if (e.uid.starts_with(uid)) lu = &e;
      }
      if (f.instant_debut.empty()) {
        EXPECT_EQ(lu, nullptr) << f.nom;
        continue;
      }
      ASSERT_NE(lu, nullptr) << f.nom;
      EXPECT_EQ(lu->instant_debut, f.instant_debut) << f.nom;
      EXPECT_EQ(lu->instant_fin, f.instant_fin) << f.nom;
      EXPECT_EQ(lu->erreurs, std::vector<std::string>{}) << f.nom;
    }
  }
}

// A date holding a byte above 127 is unreadable: it is never written, so
// that the result stays one that every reader accepts.
TEST(InteropTest, IdentifierAbove127ReadsBackInUtf8AndADateAbove127IsNeverWritten) {
  const Produit p = Convertir(
      "Subject:s\r\nApptUNID:caf\xe9\xa0\r\nSTARTDATETIME:01/02/2009 10:00\r\n"
      "EndDateTime:01/02/2009 11:00\xe9\r\n$UpdatedBy:me\r\n\r\nb\r\n\f\r\n");
  ASSERT_FALSE(p.echec) << p.erreur;
  Lecture l = LireAvecLibical(p.ics);
  EXPECT_TRUE(l.analyse);
  ASSERT_EQ(l.evenements.size(), 1u);
  EXPECT_EQ(l.evenements[0].uid, "caf\xc3\xa9\xc2\xa0-1");
  EXPECT_EQ(l.evenements[0].debut, "20090201T100000");
  EXPECT_EQ(l.evenements[0].fin, "");
  EXPECT_EQ(l.evenements[0].erreurs, std::vector<std::string>{});
  EXPECT_EQ(p.log, "saut de page\r\nUID:caf\xe9\xa0-1\r\n");
}

}  // namespace
}  // namespace vellumcast::interop
