#!/usr/bin/env bash
# Runs two builds of the program over the same generated and mutated exports
# and compares, byte for byte, everything each run leaves: standard output,
# standard error, the exit status, and every file of its directory with its
# bytes (the result, Vellumcast.log, ~ical.tmp, scratch files left behind).
# Not a test: it says whether a change altered what the program does.
#
#   bench/comparer.sh OLD NEW [--count N] [--seed S] [--keep DIR] [--varier PATH]
#                     [--generated 'ARGS' [--generer PATH]]
#                     [--jobs J] [--ignore-stderr] [-- EXTRA_ARGS...]
#
# OLD and NEW are the two programs. --count exports (default 2000) are written
# by vellumcast_varier from --seed (default 1) and the repository's sample
# exports; --varier names the tool (default: bench/vellumcast_varier beside
# NEW, else build/bench/vellumcast_varier). With --generated, export k is
# instead the output of vellumcast_generer ARGS --seed S+k, fresh exports of
# the generator's shape (ARGS such as '--docs 10 --annees 1996-2011');
# --generer names that tool, found as vellumcast_varier is. Each export runs in a fresh
# directory that holds only it, with EXTRA_ARGS before its name, standard
# input /dev/null and a timeout of 20 seconds; one export in ten instead has
# no name argument and comes on standard input after an empty answer to the
# prompt, and one in fifty is named as a file the program writes itself.
# --keep DIR copies each differing export and both runs' outputs into DIR.
# --jobs: cases run side by side (default: the number of processors).
# --ignore-stderr leaves standard error out of the comparison, for a change
# that adds messages there and nowhere else.
# Exit status: 0 without differences, 1 with, 2 for a usage error.
set -euo pipefail

racine=$(cd "$(dirname "$0")/.." && pwd)

usage() {
  echo "usage: bench/comparer.sh OLD NEW [--count N] [--seed S] [--keep DIR] [--varier PATH]" >&2
  echo "                         [--generated 'ARGS' [--generer PATH]]" >&2
  echo "                         [--jobs J] [--ignore-stderr] [-- EXTRA_ARGS...]" >&2
  exit 2
}

nombre=2000
graine=1
garder=
varier=
generes=
generer=
jobs=$(nproc)
sans_erreur=
programmes=()
extra=()
while (($#)); do
  case $1 in
    --count | --seed | --keep | --varier | --generated | --generer | --jobs)
      (($# >= 2)) || usage
      case $1 in
        --count) nombre=$2 ;;
        --seed) graine=$2 ;;
        --keep) garder=$2 ;;
        --varier) varier=$2 ;;
        --generated) generes=$2 ;;
        --generer) generer=$2 ;;
        --jobs) jobs=$2 ;;
      esac
      shift 2
      ;;
    --ignore-stderr) sans_erreur=1; shift ;;
    --) shift; extra=("$@"); break ;;
    -*) usage ;;
    *) programmes+=("$1"); shift ;;
  esac
done
((${#programmes[@]} == 2)) || usage
[[ -n $generes || -z $generer ]] || usage
[[ $nombre =~ ^[0-9]+$ && $graine =~ ^[0-9]+$ && $jobs =~ ^[1-9][0-9]*$ ]] || usage
for p in "${programmes[@]}"; do
  [[ -f $p && -x $p ]] || { echo "comparer.sh: no program at $p" >&2; exit 2; }
done
ancien=$(realpath "${programmes[0]}")
nouveau=$(realpath "${programmes[1]}")
# The tool NAME given as PATH, else the one in bench/ beside NEW, else in build/bench/.
outil() {
  local nom=$1 option=$2 chemin=$3
  if [[ -z $chemin ]]; then
    chemin=$(dirname "$nouveau")/bench/$nom
    [[ -x $chemin ]] || chemin=$racine/build/bench/$nom
  fi
  [[ -x $chemin ]] || {
    echo "comparer.sh: no $nom at $chemin: build it or give $option" >&2
    exit 2
  }
  realpath "$chemin"
}
if [[ -n $generes ]]; then
  generer=$(outil vellumcast_generer --generer "$generer")
else
  varier=$(outil vellumcast_varier --varier "$varier")
fi

tmp=$(mktemp -d "${TMPDIR:-/tmp}/vellumcast-comparer.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
trap 'exit 130' INT TERM
mkdir "$tmp/cas" "$tmp/ecarts" "$tmp/expires"

# Fresh exports of the generator, each from its own seed, named and described
# as vellumcast_varier names and describes its own.
generer_exports() {
  local -a arguments
  local k nom chiffres=5
  read -ra arguments <<<"$generes"
  for ((k = 100000; k < nombre; k *= 10)); do chiffres=$((chiffres + 1)); done
  mkdir "$tmp/exports"
  for ((k = 0; k < nombre; k++)); do
    printf -v nom '%0*d.txt' "$chiffres" "$k"
    "$generer" "${arguments[@]}" --seed $((graine + k)) >"$tmp/exports/$nom" || {
      echo "comparer.sh: vellumcast_generer $generes --seed $((graine + k)) failed" >&2
      exit 2
    }
    printf '%s\t%d bytes\tgenerated: vellumcast_generer %s --seed %d\n' "$nom" \
      "$(stat -c %s "$tmp/exports/$nom")" "$generes" $((graine + k))
  done >"$tmp/recettes"
}

# The seeds: the fuzzing corpus and its regressions, the examples, and the
# input of every golden case (named by its attendu.argument when it has one).
[[ -z $generes ]] || generer_exports
[[ -n $generes ]] || (
  cd "$racine"
  shopt -s nullglob
  graines=(fuzz/corpus/* fuzz/regressions/* examples/*.txt)
  for d in tests/golden/*/; do
    nom=input.txt
    [[ -f ${d}attendu.argument ]] && nom=$(head -n 1 "${d}attendu.argument" | tr -d '\r')
    [[ -f $d$nom ]] && graines+=("$d$nom")
  done
  "$varier" --count "$nombre" --seed "$graine" --out "$tmp/exports" "${graines[@]}" \
    >"$tmp/recettes"
)
if ((${#extra[@]})); then printf '%s\0' "${extra[@]}"; fi >"$tmp/extra"

# How case NUMBER runs, in facon_cas: "nom" (by its name), "entree" (on
# standard input) or, for the names the program writes, the name itself.
facon() {
  local n=$1
  local -a noms=('~ical.tmp' Vellumcast.log '~rdv.tmp' '~dates_debut.tmp' '~dates_fin.tmp'
    '~donnees.tmp' export.ics)
  if ((n % 10 == 9)); then
    facon_cas=entree
  elif ((n % 50 == 24)); then
    facon_cas=${noms[n / 50 % ${#noms[@]}]}
  else
    facon_cas=nom
  fi
}

# Runs both programs on one export, both in the directory $tmp/cas/NAME/run
# so that any absolute path they show is the same, and keeps the differences.
comparer_cas() {
  local nom=$1 facon_cas fichier c=$tmp/cas/$1 cote programme statut
  local -a extra=()
  mapfile -d '' extra <"$tmp/extra"
  facon $((10#${nom%%.*}))
  fichier=$nom
  [[ $facon_cas == nom || $facon_cas == entree ]] || fichier=$facon_cas
  mkdir "$c" "$c/ancien" "$c/nouveau" "$c/run"
  if [[ $facon_cas == entree ]]; then
    { printf '\n'; cat "$tmp/exports/$nom"; } >"$c/entree"
  fi
  for cote in ancien nouveau; do
    programme=$ancien
    [[ $cote == nouveau ]] && programme=$nouveau
    cp "$tmp/exports/$nom" "$c/run/$fichier"
    statut=0
    if [[ $facon_cas == entree ]]; then
      (cd "$c/run" && ulimit -f 1000000 && exec timeout -k 5 20 "$programme" "${extra[@]}" \
        <"$c/entree" >"$c/$cote/sortie" 2>"$c/$cote/erreur") || statut=$?
    else
      (cd "$c/run" && ulimit -f 1000000 && exec timeout -k 5 20 "$programme" "${extra[@]}" \
        "$fichier" </dev/null >"$c/$cote/sortie" 2>"$c/$cote/erreur") || statut=$?
    fi
    echo "$statut" >"$c/$cote/statut"
    ((statut != 124 && statut != 137)) || : >"$tmp/expires/$nom"
    mv "$c/run" "$c/$cote/dossier"
    [[ $cote == nouveau ]] || mkdir "$c/run"
  done
  [[ -z $sans_erreur ]] || : >"$c/ancien/erreur" >"$c/nouveau/erreur"
  if diff -rq --no-dereference "$c/ancien" "$c/nouveau" >"$c/diff" 2>&1; then
    rm -rf "$c"
    return 0
  fi
  # One word per differing output: stdout, stderr, status, or the file's name.
  local quoi
  quoi=$(sed -e "s|$c/||g" \
    -e 's|^Files ancien/sortie and .*|stdout|' \
    -e 's|^Files ancien/erreur and .*|stderr|' \
    -e "s|^Files ancien/statut and .*|status $(<"$c/ancien/statut") -> $(<"$c/nouveau/statut")|" \
    -e 's|^Files ancien/dossier/\(.*\) and nouveau/dossier/.* differ$|\1|' \
    -e 's|^Only in ancien/dossier: \(.*\)|\1 (OLD only)|' \
    -e 's|^Only in ancien/dossier/\(.*\): \(.*\)|\1/\2 (OLD only)|' \
    -e 's|^Only in nouveau/dossier: \(.*\)|\1 (NEW only)|' \
    -e 's|^Only in nouveau/dossier/\(.*\): \(.*\)|\1/\2 (NEW only)|' "$c/diff" |
    paste -sd, - | sed 's/,/, /g')
  local comment="by name"
  [[ $facon_cas == entree ]] && comment="on standard input"
  [[ $facon_cas == nom || $facon_cas == entree ]] || comment="named $fichier"
  echo "$nom ($comment): $quoi" >"$tmp/ecarts/$nom"
}
export tmp ancien nouveau sans_erreur
export -f facon comparer_cas

# shellcheck disable=SC2016  # expanded by the bash that xargs starts
(cd "$tmp/exports" && printf '%s\n' *.txt) | { grep -v '^\*\.txt$' || true; } |
  xargs -r -P "$jobs" -n 20 bash -c 'for nom; do comparer_cas "$nom"; done' _ ||
  { echo "comparer.sh: some cases could not be run (is $tmp full?)" >&2; exit 2; }

# Case n comes on standard input when n % 10 is 9 (see facon).
par_entree=$((nombre / 10))
par_nom=$((nombre - par_entree))
shopt -s nullglob
ecarts=("$tmp"/ecarts/*)
ecarts=("${ecarts[@]##*/}")
expires=("$tmp"/expires/*)

pluriel=s
((${#ecarts[@]} == 1)) && pluriel=
printf 'compared %d exports (%d by name, %d on standard input): %d difference%s\n' \
  "$nombre" "$par_nom" "$par_entree" "${#ecarts[@]}" "$pluriel"
for ((k = 0; k < ${#ecarts[@]} && k < 10; k++)); do
  nom=${ecarts[k]}
  echo "  $(<"$tmp/ecarts/$nom")"
  echo "    $(grep "^$nom"$'\t' "$tmp/recettes" | cut -f 2-)"
done
((${#ecarts[@]} <= 10)) || echo "  ... and $((${#ecarts[@]} - 10)) more"
((${#expires[@]} == 0)) ||
  echo "${#expires[@]} exports ran out of time (20 s) in one of the programs or both"
if [[ -n $garder && ${#ecarts[@]} -gt 0 ]]; then
  mkdir -p "$garder"
  for nom in "${ecarts[@]}"; do
    d=$garder/${nom%.txt}
    rm -rf "$d"
    mkdir -p "$d"
    cp "$tmp/exports/$nom" "$d/$nom"
    grep "^$nom"$'\t' "$tmp/recettes" >"$d/recette"
    cp "$tmp/ecarts/$nom" "$d/ecarts"
    cp -a "$tmp/cas/$nom/ancien" "$d/old"
    cp -a "$tmp/cas/$nom/nouveau" "$d/new"
  done
  echo "differing cases kept in $garder"
fi
((${#ecarts[@]} == 0))
