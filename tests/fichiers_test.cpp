#include "fichiers.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "flux.h"
#include "repertoire.h"
#include "source_resultat.h"
#include "temporaire.h"

namespace vellumcast {
namespace {

constexpr size_t kTampon = Lecteur::kTailleTampon;

// A Source over `octets`, read from memory or from a real file, which the
// reader takes 64 KiB at a time.
class Entree {
 public:
  Entree(std::string_view octets, bool fichier) {
    if (fichier) {
      f_ = std::tmpfile();
      std::fwrite(octets.data(), 1, octets.size(), f_);
      std::fflush(f_);
      std::rewind(f_);
      lecteur_ = std::make_unique<Lecteur>(&erreurs_, "entree", fileno(f_), false);
    } else {
      lecteur_ = std::make_unique<Lecteur>(&erreurs_, octets);
    }
    source_ = std::make_unique<Source>(lecteur_.get());
  }
  ~Entree() {
    source_.reset();
    lecteur_.reset();
    if (f_ != nullptr) std::fclose(f_);
  }
  Source& source() { return *source_; }

 private:
  Erreurs erreurs_;
  std::FILE* f_ = nullptr;
  std::unique_ptr<Lecteur> lecteur_;
  std::unique_ptr<Source> source_;
};

// What `appels` calls of NEXTCAR hand out, a line end shown as "\n" (after
// checking it came as a blank). With `fins`, the end-of-input test is asked
// before each call and its answers noted, "E" for true.
std::string Delivre(Source& s, size_t appels, std::string* fins = nullptr) {
  std::string r;
  for (size_t i = 0; i < appels; ++i) {
    if (fins != nullptr) fins->push_back(s.AtEnd() ? 'E' : '.');
    char c = s.NEXTCAR();
    if (s.END_OF_LINE) {
      EXPECT_EQ(c, ' ');
      r += '\n';
    } else {
      r += c;
    }
  }
  return r;
}

struct CasLecture {
  const char* nom;
  std::string entree;
  std::string delivre;  // one character per call
  std::string fins;     // the end-of-input test before each call
};

const CasLecture kLectures[] = {
    {"CrLf", "a\r\nb", "a\nb\x1a\x1a", "...EE"},
    {"LoneLf", "a\nb", "a\nb\x1a\x1a", "...EE"},
    {"CrCrLf", "a\r\r\nb", "a\nb\x1a\x1a", "...EE"},
    {"CrOnlyLinesReadAsOneLine", "ab\rcd\r", "abcd\x1a", "....E"},
    {"TrailingCrsAreNoInputLeft", "ab\r\n\r\r", "ab\n\x1a\x1a", "...EE"},
    {"FormFeedOnItsOwnLineThenItsLineFeed", "x\n\f\ny", "x\n\f\ny\x1a", ".....E"},
    {"LastLineWithoutLineEnd", "ab\ncd", "ab\ncd\x1a\x1a", ".....EE"},
    {"EmptyInputGivesCode26ForEver", "", "\x1a\x1a\x1a\x1a", "EEEE"},
    {"Code26MidFileIsDeliveredAndReadingGoesOn",
     "a\x1a"
     "b\n",
     "a\x1a"
     "b\n\x1a",
     ".E..E"},
    {"CrBeforeCode26",
     "a\r\x1a"
     "b",
     "a\x1a"
     "b\x1a",
     ".E.E"},
    {"BlankAndLineEndDifferOnlyByTheFlag", "a \n", "a \n\x1a", "...E"},
    {"OtherBytesUnchanged", "\t\x1b\x7f\xff", "\t\x1b\x7f\xff\x1a", "....E"},
};

TEST(NextcarTest, LineEndTable) {
  for (const CasLecture& c : kLectures) {
    for (bool fichier : {false, true}) {
      SCOPED_TRACE(std::string(c.nom) + (fichier ? " from a file" : " from memory"));
      Entree seul(c.entree, fichier);
      EXPECT_EQ(Delivre(seul.source(), c.delivre.size()), c.delivre);
      // Asking for the end first drops carriage returns only: it changes nothing.
      Entree avec(c.entree, fichier);
      std::string fins;
      EXPECT_EQ(Delivre(avec.source(), c.delivre.size(), &fins), c.delivre);
      EXPECT_EQ(fins, c.fins);
    }
  }
}

// A writer copies characters until the end of the input: it must never get code 26.
TEST(AtEndTest, WriterLoopNeverCopiesCode26) {
  const std::string x(kTampon - 1, 'x');
  struct Cas {
    std::string entree, copie;
  } cas[] = {
      {"ab\r", "ab"},
      {"ab\r\r\r", "ab"},
      {"ab\r\n\r", "ab "},
      {"\r", ""},
      {"", ""},
      {x + "\r\r\r", x},
      {x + "\r\r\n", x + " "},
      {x + "\r\r\x1a", x},
      {x + "x\r", x + "x"},
  };
  for (const Cas& c : cas) {
    for (bool fichier : {false, true}) {
      SCOPED_TRACE(std::to_string(c.entree.size()) + (fichier ? " from a file" : " from memory"));
      Entree e(c.entree, fichier);
      std::string copie;
      while (!e.source().AtEnd() && copie.size() <= c.entree.size()) {
        copie += e.source().NEXTCAR();
      }
      EXPECT_EQ(copie, c.copie);
    }
  }
}

// The state after skipping: the flag, the exhaustion, and all that is read afterwards.
struct Apres {
  bool fin_ligne;
  bool epuisee;
  std::string reste;
  std::string fins;
  bool operator==(const Apres&) const = default;
};

Apres Sauter(const std::string& entree, bool fichier, size_t avant, bool par_sauter_ligne) {
  Entree e(entree, fichier);
  Source& s = e.source();
  for (size_t i = 0; i < avant; ++i) s.NEXTCAR();
  if (par_sauter_ligne) {
    s.SauterLigne();
  } else {
    while (!s.END_OF_LINE && !s.AtEnd()) s.NEXTCAR();
  }
  Apres r{s.END_OF_LINE, s.Epuisee(), "", ""};
  r.reste = Delivre(s, entree.size() + 2 - std::min(avant, entree.size()), &r.fins);
  return r;
}

TEST(SauterLigneTest, SameAsNextcarUntilLineEndOrEndOfInput) {
  const std::string x(kTampon - 2, 'x');
  const std::string entrees[] = {
      "abc\ndef",
      "abc\r\ndef\n",
      "abc",
      "",
      "\n\n",
      "ab\x1a\ncd",
      "ab\r\r",
      "\x1a",
      "a\fb\nc",
      "\r\r\n\x1a",
      x + "ab\ncd",  // the line feed right after the boundary
      x + "a\r\n",   // the carriage return at the boundary
      x + "a\n",     // the line feed is the buffer's last byte
      x + "abc\x1a"
          "d\n",  // code 26 in the second buffer
      std::string(2 * kTampon + 5, 'y') + "\nz",
  };
  for (const std::string& entree : entrees) {
    std::vector<size_t> departs = {0, 1, 2, 3};
    if (entree.size() > kTampon) {
      departs.insert(departs.end(), {kTampon - 3, kTampon - 2, kTampon - 1, kTampon});
    }
    for (size_t avant : departs) {
      if (avant > entree.size()) continue;
      for (bool fichier : {false, true}) {
        SCOPED_TRACE("input of " + std::to_string(entree.size()) + " bytes, skip after " +
                     std::to_string(avant) + (fichier ? " from a file" : " from memory"));
        EXPECT_TRUE(Sauter(entree, fichier, avant, true) == Sauter(entree, fichier, avant, false));
      }
    }
  }
}

TEST(ResultatTest, PutAndPutlnBytes) {
  struct Appel {
    bool ln;
    std::string texte;
  };
  struct Cas {
    const char* nom;
    std::vector<Appel> appels;
    std::string octets;
  } cas[] = {
      {"EmptyPutlnIsCrLfOnly", {{true, ""}}, "\r\n"},
      {"EmptyPutWritesNothing", {{false, ""}}, ""},
      {"PutKeepsALineFeedAlone", {{false, "a\nb"}}, "a\nb"},
      {"PutThenPutlnMakeOneLine", {{false, "X-"}, {true, "Y"}}, "X-Y\r\n"},
      {"BothLineEndsSideBySide",
       {{false, "SUMMARY:x\n"}, {true, "END:VEVENT"}},
       "SUMMARY:x\nEND:VEVENT\r\n"},
      {"BytesAbove127Unchanged", {{true, "\xe9\x1a"}}, "\xe9\x1a\r\n"},
  };
  for (const Cas& c : cas) {
    Erreurs erreurs;
    std::string fichier;
    Ecrivain ecrivain(&erreurs, "agenda.ics", &fichier);
    Resultat result(&ecrivain, &erreurs);
    for (const Appel& a : c.appels) a.ln ? result.PUTLN(a.texte) : result.PUT(a.texte);
    ecrivain.Transmettre();
    EXPECT_EQ(fichier, c.octets) << c.nom;
  }
}

TEST(ResultatTest, NothingWrittenOnceTheRunHasFailed) {
  Erreurs erreurs;
  std::string fichier;
  Ecrivain ecrivain(&erreurs, "agenda.ics", &fichier);
  Resultat result(&ecrivain, &erreurs);
  result.PUTLN("avant");
  erreurs.Signaler(Statut::Erreur(kDebordement));
  result.PUT("x");
  result.PUTLN("y");
  ecrivain.Transmettre();
  EXPECT_EQ(fichier, "avant\r\n");
}

TEST(NomResultatTest, SplitAtTheLastSlashOnly) {
  struct Cas {
    const char* fic1name;
    const char* attendu;
  } cas[] = {
      {"notes:2009.txt", "notes:2009.ics"},
      {"my.agenda.txt", "my.agenda.ics"},
      {"agenda", "agenda.ics"},
      {"/a/b.c/d", "d.ics"},
      {"/home/u/agenda.txt", "agenda.ics"},
      {"C:\\export\\agenda.txt", "C:\\export\\agenda.ics"},
      {"/x/a.b/c.d.e", "c.d.ics"},
      {"", ".ics"},
  };
  for (const Cas& c : cas) EXPECT_EQ(NomResultat(c.fic1name), c.attendu) << c.fic1name;
}

class DevelopperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tmp_.Poser("g.txt");
    tmp_.Poser("f.txt");
    tmp_.Poser("sub/f.txt");
    tmp_.Poser("autre/f.txt");
    tmp_.Poser("autre/seul.txt");
    std::filesystem::create_directories(tmp_.Sous("autre/loin"));
    std::filesystem::create_directory_symlink("autre/loin", tmp_.Sous("lien"));
    tmp_.Poser("autre/loin/x.txt");
    ASSERT_EQ(::chdir(tmp_.chemin().c_str()), 0);
  }
  Temporaire tmp_;
  GardeRepertoire garde_;
};

TEST_F(DevelopperTest, ExistingNameBecomesAbsoluteAndNormalised) {
  const std::string t = tmp_.chemin();
  struct Cas {
    std::string nom, attendu;
  } cas[] = {
      {"g.txt", t + "/g.txt"},
      {"./sub/../g.txt", t + "/g.txt"},
      {"sub//f.txt", t + "/sub/f.txt"},
      {t + "/sub/./f.txt", t + "/sub/f.txt"},
      {"sub", t + "/sub"},
      // Links are not resolved: the name stays beside what the user gave.
      {"lien/./x.txt", t + "/lien/x.txt"},
  };
  for (const Cas& c : cas) EXPECT_EQ(Developper(c.nom), c.attendu) << c.nom;
}

TEST_F(DevelopperTest, MissingNameStaysAsGiven) {
  for (std::string nom : {"absent.txt", "sub/../absent.txt", "absent/../g.txt", "", "g.txt/"}) {
    EXPECT_EQ(Developper(nom), nom);
  }
  std::string nul("g.txt\0x", 7);
  EXPECT_EQ(Developper(nul), nul);
}

TEST_F(DevelopperTest, DotDotThroughALinkKeepsTheUnnormalisedForm) {
  // "lien/.." is "autre", not the directory that holds "lien".
  EXPECT_EQ(Developper("lien/../f.txt"), tmp_.chemin() + "/lien/../f.txt");
  // Normalising would name a file that does not exist.
  EXPECT_EQ(Developper("lien/../seul.txt"), tmp_.chemin() + "/lien/../seul.txt");
}

// ---------------------------------------------------------------- changed input

constexpr size_t kTailleFichier = kTampon + kTampon / 4;
constexpr struct timespec kDate[2] = {{1233446400, 0}, {1233446400, 0}};

void LireUnTampon(Lecteur* l) { l->Avancer(l->Disponible().size()); }
void LireJusquAuBout(Lecteur* l) {
  while (!l->Disponible().empty()) LireUnTampon(l);
}
void Tailler(const std::string& chemin, size_t taille) {
  ASSERT_EQ(::truncate(chemin.c_str(), static_cast<off_t>(taille)), 0);
}
// Puts the modification time back as it was at the open.
void Redater(const std::string& chemin) { ::utimensat(AT_FDCWD, chemin.c_str(), kDate, 0); }

struct CasChangement {
  const char* nom;
  // Reads the input through `l` and changes it behind the reader's back.
  void (*lire)(Lecteur* l, const std::string& chemin);
  bool changee;
};

// A row as the test log shows it: by its name.
void PrintTo(const CasChangement& cas, std::ostream* os) { *os << cas.nom; }

const CasChangement kChangements[] = {
    // A code 26 ends the input before its end: fewer bytes read is no change.
    {"StoppedBeforeItsEnd", [](Lecteur* l, const std::string&) { LireUnTampon(l); }, false},
    {"TouchedAfterTheEnd",
     [](Lecteur* l, const std::string& c) {
       LireJusquAuBout(l);
       const struct timespec plus_tard[2] = {{1233446400, 0}, {1233446401, 0}};
       ::utimensat(AT_FDCWD, c.c_str(), plus_tard, 0);
     },
     true},
    // Size and time put back as they were: only the count of bytes read tells.
    {"CutThenRegrownToItsSizeAndTime",
     [](Lecteur* l, const std::string& c) {
       LireUnTampon(l);
       Tailler(c, kTampon / 2);
       LireJusquAuBout(l);
       Tailler(c, kTailleFichier);
       Redater(c);
     },
     true},
};

class ChangeeTest : public testing::TestWithParam<CasChangement> {};

TEST_P(ChangeeTest, SizeTimeAndBytesReadAgainstTheOpen) {
  Temporaire tmp;
  const std::string chemin = tmp.Sous("agenda.txt");
  tmp.Poser("agenda.txt", std::string(kTailleFichier, 'x'));
  Redater(chemin);
  Erreurs erreurs;
  Lecteur lecteur(&erreurs, chemin, ::open(chemin.c_str(), O_RDONLY | O_CLOEXEC), true);
  const Empreinte avant = Relever(lecteur.fd(), true);
  ASSERT_TRUE(avant.reguliere);
  GetParam().lire(&lecteur, chemin);
  EXPECT_EQ(Changee(avant, lecteur), GetParam().changee);
  EXPECT_FALSE(erreurs.echec());
}

INSTANTIATE_TEST_SUITE_P(Lectures, ChangeeTest, testing::ValuesIn(kChangements),
                         [](const testing::TestParamInfo<CasChangement>& i) {
                           return std::string(i.param.nom);
                         });

// A pipe's time changes with every write to it: it is never judged.
TEST(EmpreinteTest, NeverChangedForWhatIsNoRegularFile) {
  int tube[2];
  ASSERT_EQ(::pipe(tube), 0);
  Erreurs erreurs;
  Lecteur lecteur(&erreurs, "", tube[0], true);
  const Empreinte avant = Relever(tube[0], true);
  ASSERT_EQ(::write(tube[1], "x", 1), 1);
  ::close(tube[1]);
  LireJusquAuBout(&lecteur);
  EXPECT_FALSE(Changee(avant, lecteur));
}

}  // namespace
}  // namespace vellumcast
