#!/usr/bin/env bash
# Checks the map of the sources in docs/ARCHITECTURE.md against sources/fichier/:
# every file there has its row in the table of "Where things are", every row
# names a file that is there, and every file begins with a comment line that
# says what it holds. Exit status 1, with what to do, when one of them fails.
set -euo pipefail
cd "$(dirname "$0")/.."

carte=docs/ARCHITECTURE.md
# The file named by each row "| `name` | ... |" of the section "Where things are".
lignes=$(awk '/^## /{dans = ($0 == "## Where things are")} dans' "$carte")
mapfile -t cartes < <(sed -n 's/^| `\([^`]*\)` |.*/\1/p' <<<"$lignes" | sort)
mapfile -t fichiers < <(find sources/fichier -maxdepth 1 -type f -printf '%f\n' | sort)

echec=0
for f in $(comm -23 <(printf '%s\n' "${fichiers[@]}") <(printf '%s\n' "${cartes[@]}")); do
  echo "carte: sources/fichier/$f has no row in $carte: add \"| \`$f\` | what it holds |\"" \
    "to the table of \"Where things are\", in its layer's place" >&2
  echec=1
done
for f in $(comm -13 <(printf '%s\n' "${fichiers[@]}") <(printf '%s\n' "${cartes[@]}")); do
  echo "carte: $carte has a row for $f, which is not in sources/fichier/: remove the row," \
    "or rename it after the file" >&2
  echec=1
done
for f in "${fichiers[@]}"; do
  if ! head -n 1 "sources/fichier/$f" | grep -q '^// '; then
    echo "carte: sources/fichier/$f does not begin with a comment line: make its first line" \
      "\"// \" and what the file holds in a few words, as its row in $carte says" >&2
    echec=1
  fi
done
exit "$echec"
