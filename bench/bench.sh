#!/usr/bin/env bash
# Times the conversion against `iconv -f ISO-8859-1 -t UTF-8` over generated
# exports and prints the tables. Every input and output lives in one temporary
# directory, deleted at the end.
#
#   bench/bench.sh [--runs N] [--1g] VELLUMCAST GENERER MESURE
#
# VELLUMCAST, GENERER and MESURE are the built program, vellumcast_generer and
# vellumcast_mesure (the `bench` target passes them). --1g adds a one-off run
# over a 1 GB export (about 1.2 GB of free disk needed) to compare peak memory.
set -euo pipefail

runs=5
gros=0
while [[ $# -gt 0 && $1 == --* ]]; do
  case $1 in
    --runs) runs=$2; shift 2 ;;
    --1g) gros=1; shift ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done
if [[ $# -ne 3 ]]; then
  echo "usage: $0 [--runs N] [--1g] VELLUMCAST GENERER MESURE" >&2
  exit 2
fi
vc=$(realpath "$1")
gen=$(realpath "$2")
mes=$(realpath "$3")
command -v iconv >/dev/null || { echo "iconv is needed" >&2; exit 1; }

tmp=$(mktemp -d "${TMPDIR:-/tmp}/vellumcast-bench.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

# median of the numbers on standard input
median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
taille() { stat -c %s "$1"; }

# generer NAME ARGS...: writes $tmp/NAME/export.txt
generer() {
  local nom=$1; shift
  mkdir -p "$tmp/$nom"
  "$gen" "$@" >"$tmp/$nom/export.txt"
}
# convertir NAME: one timed conversion, with the options in $options and the
# export in $export (default export.txt); prints "wall cpu peak_kib user sys"
convertir() {
  (cd "$tmp/$1" && "$mes" "$vc" ${options:-} "${export:-export.txt}" </dev/null 2>/dev/null)
}
# recoder NAME: one timed iconv into a file beside the input
recoder() { "$mes" -o "$tmp/$1/iconv.txt" iconv -f ISO-8859-1 -t UTF-8 "$tmp/$1/export.txt"; }
# appels NAME: system calls per MB of input of one conversion, from strace -c -f
appels() {
  command -v strace >/dev/null || { echo -; return; }
  (cd "$tmp/$1" && strace -c -f -o "$tmp/strace.txt" "$vc" ${options:-} "${export:-export.txt}" \
    </dev/null >/dev/null 2>&1) || true
  awk -v o="$(taille "$tmp/$1/${export:-export.txt}")" \
    '/ total$/ {printf "%.0f", $(NF - 2) / (o / 1e6)}' "$tmp/strace.txt"
}

# serie NAME COMMAND [N]: a warm-up run, then N runs (default $runs); sets
# med_s (wall time), med_cpu, med_user, med_sys, min_s, min_cpu and max_kib
serie() {
  local nom=$1 cmd=$2 n=${3:-$runs} s=() c=() u=() y=() k=0 mur cpu kib user sys
  $cmd "$nom" >/dev/null
  for ((i = 0; i < n; i++)); do
    read -r mur cpu kib user sys < <($cmd "$nom")
    s+=("$mur")
    c+=("$cpu")
    u+=("$user")
    y+=("$sys")
    if ((kib > k)); then k=$kib; fi
  done
  med_s=$(printf '%s\n' "${s[@]}" | median)
  med_cpu=$(printf '%s\n' "${c[@]}" | median)
  med_user=$(printf '%s\n' "${u[@]}" | median)
  med_sys=$(printf '%s\n' "${y[@]}" | median)
  min_s=$(printf '%s\n' "${s[@]}" | sort -g | head -1)
  min_cpu=$(printf '%s\n' "${c[@]}" | sort -g | head -1)
  max_kib=$k
}

calc() { awk "BEGIN {print $1}"; }
# f DIGITS EXPRESSION: the expression's value with DIGITS decimals
f() { awk "BEGIN {printf \"%.$1f\", $2}"; }
mb() { awk -v o="$1" 'BEGIN {printf "%.1f", o / 1e6}'; }
mib() { awk -v k="$1" 'BEGIN {printf "%.1f", k / 1024}'; }

echo "vellumcast benchmark: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg) at the start,"
echo "medians of $runs runs after a warm-up run, MB = 10^6 bytes, seconds of wall time"
echo "(cpu: user + system seconds), peak RSS in MiB from the kernel's rusage, seed 1."
echo

echo "== Throughput: realistic documents (about 1 KB, 1 to 20 dates, 90% of the documents"
echo "   dated before 2012, 30% recurring, at most 3000 distinct recurring identifiers), with an"
echo "   embedded calendar in 7% of the documents or in none; -q: without the summary; utf-8: the"
echo "   same export recoded to UTF-8 by iconv, converted with --charset utf-8"
ligne='%-14s %-15s %7s %7s %7s %7s %6s %6s %6s %8s %7s\n'
printf "$ligne" input program "in MB" "out MB" seconds "MB/s" ratio user sys "calls/MB" "peak"
# ligne_vc LABEL PROGRAM: one row from the last serie of vellumcast over $nom
ligne_vc() {
  printf "$ligne" "$etiquette" "$2" "$(mb "$entree")" "$(mb "$(taille "$tmp/$nom/${3:-export}.ics")")" \
    "$(f 3 "$med_s")" "$(f 1 "$entree / 1e6 / $med_s")" "$(f 2 "$med_s / $ic_s")" \
    "$(f 3 "$med_user")" "$(f 3 "$med_sys")" "$(appels "$nom")" "$(mib "$max_kib")"
}
for docs in 10000 100000; do
  for ical in 0.07 0; do
    nom=real$docs
    generer "$nom" --docs "$docs" --seed 1 --avant-2012 0.9 --part-ical "$ical"
    entree=$(taille "$tmp/$nom/export.txt")
    etiquette="$(mb "$entree" | cut -d. -f1) MB, $([[ $ical == 0 ]] && echo "no cal" || echo "7% cal")"
    serie "$nom" recoder
    ic_s=$med_s ic_user=$med_user ic_sys=$med_sys ic_k=$max_kib
    serie "$nom" convertir
    ligne_vc "$etiquette" vellumcast
    options=-q serie "$nom" convertir
    options=-q ligne_vc "$etiquette" "vellumcast -q"
    if [[ $ical != 0 ]]; then
      # The same export kept in another zone: every date placed in its history.
      options="-q --timezone Europe/London" serie "$nom" convertir
      options="-q --timezone Europe/London" ligne_vc "$etiquette" "vc -q London"
    fi
    if [[ $docs == 100000 && $ical != 0 ]]; then
      iconv -f ISO-8859-1 -t UTF-8 "$tmp/$nom/export.txt" >"$tmp/$nom/utf8.txt"
      options="--charset utf-8" export=utf8.txt serie "$nom" convertir
      entree_utf8=$(taille "$tmp/$nom/utf8.txt")
      printf "$ligne" "$etiquette" "vellumcast utf-8" "$(mb "$entree_utf8")" \
        "$(mb "$(taille "$tmp/$nom/utf8.ics")")" "$(f 3 "$med_s")" \
        "$(f 1 "$entree_utf8 / 1e6 / $med_s")" "$(f 2 "$med_s / $ic_s")" "$(f 3 "$med_user")" \
        "$(f 3 "$med_sys")" "$(options="--charset utf-8" export=utf8.txt appels "$nom")" \
        "$(mib "$max_kib")"
    fi
    printf "$ligne" "$etiquette" iconv "$(mb "$entree")" "$(mb "$(taille "$tmp/$nom/iconv.txt")")" \
      "$(f 3 "$ic_s")" "$(f 1 "$entree / 1e6 / $ic_s")" 1.00 "$(f 3 "$ic_user")" "$(f 3 "$ic_sys")" - \
      "$(mib "$ic_k")"
    rm -rf "${tmp:?}/$nom"
  done
done
echo "(ratio: the wall time over iconv's over the same file in the same run; calls/MB: system"
echo " calls per MB of input counted by strace -c -f, '-' without strace)"
echo

echo "== Scaling with the number of documents: tiny documents (about 150 bytes, 1 or 2 dates,"
echo "   30% recurring, distinct recurring identifiers = 3% of the documents)"
ligne='%9s %8s %9s %9s %9s %9s %9s\n'
printf "$ligne" docs "in MB" seconds "us/doc" cpu "cpu us/doc" "peak RSS"
depart=
for docs in 0 1000 10000 100000 1000000; do
  generer petits --docs "$docs" --seed 1 --petits --recurrents $((docs * 3 / 100 + 1))
  if [[ -z $depart ]]; then
    # The start-up alone: the fastest of many runs, as the neighbours only add to it.
    serie petits convertir $((runs * 4))
    depart=$min_s depart_cpu=$min_cpu
    printf "$ligne" 0 0.0 "$(f 4 "$min_s")" - "$(f 4 "$min_cpu")" - "$(mib "$max_kib")"
    rm -rf "${tmp:?}/petits"
    continue
  fi
  serie petits convertir $((docs <= 10000 ? runs * 3 : runs))
  printf "$ligne" "$docs" "$(mb "$(taille "$tmp/petits/export.txt")")" "$(f 4 "$med_s")" \
    "$(f 3 "($med_s - $depart) * 1e6 / $docs")" "$(f 4 "$med_cpu")" \
    "$(f 3 "($med_cpu - $depart_cpu) * 1e6 / $docs")" "$(mib "$max_kib")"
  rm -rf "${tmp:?}/petits"
done
echo "(0 documents: the start and stop of the process alone, fastest of $((runs * 4)) runs, which the us/doc"
echo " columns leave out; up to 10,000 documents, medians of $((runs * 3)) runs)"
echo

echo "== Registry: tiny documents, all recurring, dated after 2012, each identifier met about"
echo "   20 times (200,000 documents, or 20 per identifier past 10,000 identifiers)"
ligne='%9s %8s %9s %9s %9s %9s %9s %12s\n'
printf "$ligne" "distinct" docs seconds "us/doc" cpu "cpu us/doc" "peak RSS" "bytes/ident"
base_k=
base_n=
for ids in 10 100 1000 10000 100000; do
  docs=$((ids * 20 > 200000 ? ids * 20 : 200000))
  generer registre --docs "$docs" --seed 1 --petits --part-recurrents 1 --avant-2012 0 --recurrents "$ids"
  serie registre convertir
  par_id=-
  if [[ -z $base_k ]]; then
    base_k=$max_kib base_n=$ids
  elif ((ids >= 10000)); then
    par_id=$(f 0 "($max_kib - $base_k) * 1024 / ($ids - $base_n)")
  fi
  printf "$ligne" "$ids" "$docs" "$(f 4 "$med_s")" "$(f 3 "($med_s - $depart) * 1e6 / $docs")" \
    "$(f 4 "$med_cpu")" "$(f 3 "($med_cpu - $depart_cpu) * 1e6 / $docs")" "$(mib "$max_kib")" "$par_id"
  rm -rf "${tmp:?}/registre"
done
echo "(bytes/ident: growth of the peak RSS over the 10-identifier run, per added identifier;"
echo " us/doc leaves out the start and stop of the process, as above)"

if ((gros)); then
  echo
  libre=$(df -Pk "$tmp" | awk 'NR == 2 {print $4}')
  if ((libre < 1500000)); then
    echo "== Memory: skipped, $((libre / 1024)) MiB free beside $tmp (1.5 GB needed)"
    exit 0
  fi
  echo "== Memory: 10 MB and 1 GB realistic exports, 2% of the documents dated before 2012"
  ligne='%9s %8s %8s %9s %9s %9s\n'
  printf "$ligne" docs "in MB" "out MB" seconds cpu "peak RSS"
  for docs in 10000 1000000; do
    generer gros --docs "$docs" --seed 1 --avant-2012 0.02
    read -r mur cpu kib < <(convertir gros)
    printf "$ligne" "$docs" "$(mb "$(taille "$tmp/gros/export.txt")")" \
      "$(mb "$(taille "$tmp/gros/export.ics")")" "$(f 3 "$mur")" "$(f 3 "$cpu")" "$(mib "$kib")"
    rm -rf "${tmp:?}/gros"
  done
  echo "(one run each)"
fi
