// How a name, or any argument, is shown to the user on standard error and on
// a terminal: never as bytes that would drive the terminal.
#pragma once

#include <string>
#include <string_view>

namespace vellumcast {

// Whether a terminal would act on `c` rather than show it: 0 to 31, 127 and
// 128 to 159.
constexpr bool EstControle(char c) {
  auto u = static_cast<unsigned char>(c);
  return u < 32 || u == 127 || (u >= 128 && u < 160);
}

// Whether the locale (LC_ALL, else LC_CTYPE, else LANG) names UTF-8.
bool LocaleUtf8();

// `texte` as it is shown: under a UTF-8 locale (`utf8`), its valid UTF-8
// characters as they are, and "?" for each control character (U+0000 to
// U+001F, U+007F, U+0080 to U+009F) and each byte of an invalid sequence;
// under another, "?" for each byte 0 to 31, 127 and 128 to 159.
std::string Affichable(std::string_view texte, bool utf8);
// The same under the locale of the environment.
std::string Affichable(std::string_view texte);

// `texte` shown between single quotes, for a message.
std::string Cite(std::string_view texte);

// `nom` as the shell takes it back as one word: as it is when it holds only
// letters, digits and "%+,-./:=@_", else between single quotes.
std::string MotShell(std::string_view nom);

}  // namespace vellumcast
