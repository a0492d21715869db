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

# convertir NAME: one timed conversion; prints "seconds peak_kib"
convertir() { (cd "$tmp/$1" && "$mes" "$vc" export.txt </dev/null); }
# recoder NAME: one timed iconv into a file beside the input
recoder() { "$mes" -o "$tmp/$1/iconv.txt" iconv -f ISO-8859-1 -t UTF-8 "$tmp/$1/export.txt"; }

# serie NAME COMMAND: a warm-up run, then $runs runs; sets med_s and max_kib
serie() {
  local nom=$1 cmd=$2 s=() k=0 ligne
  $cmd "$nom" >/dev/null
  for ((i = 0; i < runs; i++)); do
    ligne=$($cmd "$nom")
    s+=("${ligne% *}")
    ((${ligne#* } > k)) && k=${ligne#* }
  done
  med_s=$(printf '%s\n' "${s[@]}" | median)
  max_kib=$k
}

mb() { awk -v o="$1" 'BEGIN {printf "%.1f", o / 1e6}'; }
mib() { awk -v k="$1" 'BEGIN {printf "%.1f", k / 1024}'; }

echo "vellumcast benchmark: $(nproc) cores, medians of $runs runs after a warm-up run,"
echo "MB = 10^6 bytes, peak RSS in MiB (kernel rusage of the process), seed 1."
echo

echo "== Throughput: realistic documents (about 1 KB, 1 to 20 dates, half of the documents"
echo "   dated before 2012, 30% recurring, at most 3000 distinct recurring identifiers)"
printf '%-7s %-10s %9s %7s %7s %9s %8s %7s %9s\n' input program docs "in MB" "out MB" seconds "MB/s" ratio "peak RSS"
for docs in 10000 100000; do
  nom=real$docs
  generer "$nom" --docs "$docs" --seed 1
  entree=$(taille "$tmp/$nom/export.txt")
  serie "$nom" convertir; vc_s=$med_s; vc_k=$max_kib
  serie "$nom" recoder; ic_s=$med_s; ic_k=$max_kib
  etiquette="$(mb "$entree" | cut -d. -f1) MB"
  sortie=$(taille "$tmp/$nom/export.ics")
  printf '%-7s %-10s %9d %7s %7s %9.3f %8.1f %7.2f %9s\n' "$etiquette" vellumcast "$docs" "$(mb "$entree")" \
    "$(mb "$sortie")" "$vc_s" "$(awk -v o="$entree" -v s="$vc_s" 'BEGIN {print o / 1e6 / s}')" \
    "$(awk -v a="$vc_s" -v b="$ic_s" 'BEGIN {print a / b}')" "$(mib "$vc_k")"
  printf '%-7s %-10s %9d %7s %7s %9.3f %8.1f %7.2f %9s\n' "$etiquette" iconv "$docs" "$(mb "$entree")" \
    "$(mb "$(taille "$tmp/$nom/iconv.txt")")" "$ic_s" \
    "$(awk -v o="$entree" -v s="$ic_s" 'BEGIN {print o / 1e6 / s}')" 1 "$(mib "$ic_k")"
  rm -rf "${tmp:?}/$nom"
done
echo "(ratio: vellumcast seconds / iconv seconds over the same file in the same run)"
echo

echo "== Scaling with the number of documents: tiny documents (about 130 bytes, 1 or 2 dates,"
echo "   30% recurring, distinct recurring identifiers = 3% of the documents)"
printf '%9s %8s %9s %9s %9s\n' docs "in MB" seconds "us/doc" "peak RSS"
for docs in 1000 10000 100000 1000000; do
  generer petits --docs "$docs" --seed 1 --petits --recurrents $((docs * 3 / 100))
  serie petits convertir
  printf '%9d %8s %9.4f %9.3f %9s\n' "$docs" "$(mb "$(taille "$tmp/petits/export.txt")")" "$med_s" \
    "$(awk -v s="$med_s" -v d="$docs" 'BEGIN {print s * 1e6 / d}')" "$(mib "$max_kib")"
  rm -rf "${tmp:?}/petits"
done
echo "(us/doc includes the start of the process, about a millisecond, which weighs on 1,000 documents)"
echo

echo "== Registry: 200,000 tiny documents, all recurring, dated after 2012"
printf '%9s %9s %9s %9s %12s\n' "distinct" seconds "us/doc" "peak RSS" "bytes/ident"
base_k=
base_n=
for ids in 10 100 1000 10000 100000; do
  generer registre --docs 200000 --seed 1 --petits --part-recurrents 1 --avant-2012 0 --recurrents "$ids"
  serie registre convertir
  if [[ -z $base_k ]]; then
    base_k=$max_kib base_n=$ids par_id=-
  elif ((ids >= 10000)); then
    par_id=$(awk -v k="$max_kib" -v b="$base_k" -v n="$ids" -v m="$base_n" 'BEGIN {printf "%.0f", (k - b) * 1024 / (n - m)}')
  else
    par_id=-
  fi
  printf '%9d %9.4f %9.3f %9s %12s\n' "$ids" "$med_s" "$(awk -v s="$med_s" 'BEGIN {print s * 1e6 / 200000}')" \
    "$(mib "$max_kib")" "$par_id"
  rm -rf "${tmp:?}/registre"
done
echo "(bytes/ident: growth of the peak RSS over the 10-identifier run, per added identifier;"
echo " nearly every identifier differs, so 200,000 documents still hold up to 100,000 of them)"

if ((gros)); then
  echo
  echo "== Memory: 10 MB and 1 GB realistic exports, 2% of the documents dated before 2012"
  printf '%9s %8s %8s %9s %9s\n' docs "in MB" "out MB" seconds "peak RSS"
  for docs in 10000 1000000; do
    generer gros --docs "$docs" --seed 1 --avant-2012 0.02
    ligne=$(convertir gros)
    printf '%9d %8s %8s %9.3f %9s\n' "$docs" "$(mb "$(taille "$tmp/gros/export.txt")")" \
      "$(mb "$(taille "$tmp/gros/export.ics")")" "${ligne% *}" "$(mib "${ligne#* }")"
    rm -rf "${tmp:?}/gros"
  done
  echo "(one run each)"
fi
