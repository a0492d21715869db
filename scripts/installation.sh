#!/usr/bin/env bash
# Installs the program built in BUILD_DIR (default: build) into a temporary
# prefix and runs the installed copy: --help, --version and a conversion of a
# copy of the sample export. Then builds the Debian package, checks what it
# holds and has lintian check it: any error or warning fails, and so does a
# program left without the hardening it is built with. Nothing outside the
# temporary directory and BUILD_DIR is touched.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

prefixe=$(mktemp -d)
trap 'rm -rf "$prefixe"' EXIT
echoue() {
  echo "installation check failed: $*" >&2
  exit 1
}

cmake --install "$build" --prefix "$prefixe" >/dev/null
programme="$prefixe/bin/vellumcast"
[[ -x $programme ]] || echoue "no bin/vellumcast"
manuel="$prefixe/share/man/man1/vellumcast.1.gz"
gzip -dc "$manuel" 2>/dev/null | cmp -s - man/vellumcast.1 ||
  echoue "share/man/man1/vellumcast.1.gz is not man/vellumcast.1 compressed"
docs="$prefixe/share/doc/vellumcast"
gzip -dc "$docs/changelog.Debian.gz" 2>/dev/null | cmp -s - paquet/changelog ||
  echoue "share/doc/vellumcast/changelog.Debian.gz is not paquet/changelog compressed"
# The copyright file holds LICENSE's copyright line and its licence text.
titulaire=$(sed -n 's/^Copyright (c) //p' LICENSE)
grep -qxF "Copyright: $titulaire" "$docs/copyright" || echoue "the copyright file lacks '$titulaire'"
[[ $(sed '1,/^License: Expat$/d; s/^ \.$//; s/^ //' "$docs/copyright") == \
  "$(sed '1,/^Copyright (c) /d' LICENSE | sed '1{/^$/d}')" ]] ||
  echoue "the copyright file's licence text is not LICENSE's"

aide=$("$programme" --help </dev/null)
[[ $aide == "Usage: vellumcast "* ]] || echoue "--help printed: $aide"
version=$("$programme" --version </dev/null)
[[ $version =~ ^vellumcast\ [0-9]+\.[0-9]+\.[0-9]+$'\n'(.*)$ ]] &&
  [[ ${BASH_REMATCH[1]} == "Copyright (C) 2026 the vellumcast authors.
License MIT: <https://opensource.org/licenses/MIT>.
This is free software: you are free to change and redistribute it.
There is NO WARRANTY, to the extent permitted by law." ]] || echoue "--version printed: $version"
statut=0
"$programme" --bogus </dev/null >/dev/null 2>&1 || statut=$?
[[ $statut -eq 64 ]] || echoue "--bogus ended with status $statut, not 64"

mkdir "$prefixe/essai"
cp examples/agenda.txt "$prefixe/essai/"
# From another directory: the result goes beside the export.
(cd / && "$programme" "$prefixe/essai/agenda.txt" </dev/null >"$prefixe/console.txt") ||
  echoue "the conversion ended with status $?"
[[ $(tail -n 1 "$prefixe/console.txt") == $'Fichier source termine\r' ]] ||
  echoue "the console did not end with 'Fichier source termine'"
ics="$prefixe/essai/agenda.ics"
head -c 17 "$ics" | cmp -s - <(printf 'BEGIN:VCALENDAR\r\n') ||
  echoue "agenda.ics does not open the calendar"
tail -c 15 "$ics" | cmp -s - <(printf 'END:VCALENDAR\r\n') || echoue "agenda.ics does not end the calendar"
grep -q '^BEGIN:VEVENT' "$ics" || echoue "agenda.ics holds no event"
[[ -f $prefixe/essai/Vellumcast.log ]] || echoue "no Vellumcast.log beside the export"

# The Debian package: the same files under /usr.
(cd "$build" && rm -f vellumcast_*.deb && cpack -G DEB >"$prefixe/cpack.txt" 2>&1) ||
  { cat "$prefixe/cpack.txt" >&2; echoue "cpack -G DEB failed"; }
paquet=$(ls "$build"/vellumcast_*.deb)
contenu=$(dpkg-deb -c "$paquet")
grep -q ' ./usr/bin/vellumcast$' <<<"$contenu" || echoue "the package has no /usr/bin/vellumcast"
grep -q ' ./usr/share/man/man1/vellumcast.1.gz$' <<<"$contenu" ||
  echoue "the package has no manual page"
for f in copyright changelog.Debian.gz; do
  grep -q " ./usr/share/doc/vellumcast/$f\$" <<<"$contenu" || echoue "the package has no $f"
done
grep -q '^ Depends: .*libc6' <(dpkg-deb -I "$paquet") || echoue "the package depends on no libc6"

# lintian: no error and no warning (paquet/lintian-overrides lists, with its
# reason, the one tag it is told to leave; --show-overrides would count it).
# Its information tags are shown too: bindnow is one of them, and the program
# must have it. lintian has no tag for the stack protector: the program calls
# __stack_chk_fail when it has it.
command -v lintian >/dev/null || echoue "lintian is missing (scripts/test.sh installs it)"
statut=0
lintian --fail-on error,warning --display-info "$paquet" >"$prefixe/lintian.txt" 2>&1 ||
  statut=$?
grep -v '^running with root privileges' "$prefixe/lintian.txt" || true
((statut == 0)) || echoue "lintian reports an error or a warning (status $statut)"
! grep -q 'hardening-no-bindnow' "$prefixe/lintian.txt" || echoue "the program is not linked with -z now"
dpkg-deb -x "$paquet" "$prefixe/paquet"
nm -D --undefined-only "$prefixe/paquet/usr/bin/vellumcast" | grep -q ' __stack_chk_fail' ||
  echoue "the packaged program has no stack protector"
echo "installed program and package: ok ($(basename "$paquet"))"
