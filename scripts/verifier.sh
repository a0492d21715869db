#!/usr/bin/env bash
# The checks that need no build of the program: every C++ file formatted as
# .clang-format says, clang-tidy over sources/fichier/ with .clang-tidy, and
# the map of the sources in docs/ARCHITECTURE.md. scripts/test.sh runs them
# first; `bash scripts/verifier.sh format tidy carte` runs the ones named.
# Each failure says what to do; the status is 1 when any check failed.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
# clang-tidy reads the compile commands of a configuration of its own, without
# the tests, so that it needs neither GoogleTest nor a build.
construction=${VERIFIER_BUILD:-build-verifier}

outil() {
  if ! command -v "$1" >/dev/null; then
    echo "verifier: $1 is missing: apt-get install $1" >&2
    return 1
  fi
}

# Every C++ file of the repository: those git tracks and the new ones it does
# not ignore; outside a git checkout, every one below the root but the builds.
fichiers_cpp() {
  if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -co --exclude-standard -- '*.cpp' '*.h' | while read -r f; do
      [[ -f $f ]] && echo "$f"
    done
  else
    find . -path './build*' -prune -o -type f \( -name '*.cpp' -o -name '*.h' \) -print
  fi
}

format() {
  outil clang-format || return 1
  local rapport
  if rapport=$(fichiers_cpp | xargs -d '\n' clang-format --dry-run --Werror 2>&1); then
    echo "format: every C++ file is formatted"
    return 0
  fi
  echo "$rapport" | head -n 40 >&2
  local mal
  mal=$(echo "$rapport" | sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' |
    sort -u | paste -s -d ' ')
  echo "format: not formatted as .clang-format says: ${mal:-see above}" >&2
  echo "format: run  clang-format -i ${mal:-FILE}" >&2
  return 1
}

tidy() {
  outil clang-tidy || return 1
  mkdir -p "$construction"
  if ! cmake -S . -B "$construction" -DVELLUMCAST_TESTS=OFF >"$construction/configuration.log" 2>&1; then
    cat "$construction/configuration.log" >&2
    echo "tidy: cmake could not configure $construction for its compile commands" >&2
    return 1
  fi
  local rapport
  # The headers are checked through the sources that include them
  # (HeaderFilterRegex in .clang-tidy).
  if rapport=$(ls sources/fichier/*.cpp |
    xargs -P "$jobs" -n 1 clang-tidy -p "$construction" --quiet 2>&1); then
    echo "tidy: no finding in sources/fichier/"
    return 0
  fi
  echo "$rapport" | grep -v -E '^[0-9]+ (warnings?|errors?) generated\.$|^Suppressed [0-9]+ warnings|^Use -header-filter|^Error while processing' >&2
  echo "tidy: clang-tidy has findings in sources/fichier/ (.clang-tidy makes each an error):" \
    "fix the code it names; a function above cognitive complexity 25 is split into" \
    "functions of one step each; a finding that is wrong for one line takes" \
    "// NOLINT(check-name) and why" >&2
  return 1
}

carte() {
  if bash scripts/carte.sh; then
    echo "carte: every file of sources/fichier/ is in docs/ARCHITECTURE.md"
    return 0
  fi
  return 1
}

checks=("$@")
((${#checks[@]})) || checks=(format tidy carte)
echec=0
for c in "${checks[@]}"; do
  case $c in
    format | tidy | carte) "$c" || echec=1 ;;
    *)
      echo "verifier: unknown check '$c' (format, tidy or carte)" >&2
      exit 2
      ;;
  esac
done
exit "$echec"
