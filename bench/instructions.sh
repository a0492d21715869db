#!/usr/bin/env bash
# Counts the instructions (valgrind's callgrind) that a conversion of EXPORT
# takes under each set of options, and their ratio to iconv's over the same
# file: a figure that does not move with the machine's load, where the
# tables of bench.sh give wall and CPU times.
#
#   bench/instructions.sh VELLUMCAST EXPORT ['OPTIONS' ...]
#
# Each OPTIONS is one set, such as '--timezone Europe/London'; '' is the
# default. Example:
#   build-release/bench/vellumcast_generer --docs 10000 --seed 1 --avant-2012 0.9 >ex.txt
#   bench/instructions.sh build-release/vellumcast ex.txt '' '--stable-uids --series'
set -euo pipefail
(($# >= 2)) || { sed -n '7p' "$0" >&2; exit 64; }
vellumcast=$(realpath "$1")
export_=$(realpath "$2")
shift 2
(($# > 0)) || set -- ''
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
compter() {
  valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null |
    awk '/Collected/ {print $4}'
}
iconv=$(cd "$tmp" && compter iconv -f ISO-8859-1 -t UTF-8 "$export_" -o iconv.txt)
printf '%-40s %15s %8s\n' options instructions ratio
printf '%-40s %15d %8s\n' '(iconv)' "$iconv" 1
for options in "$@"; do
  # shellcheck disable=SC2086  # a set of options is split into its words
  n=$(cd "$tmp" && compter "$vellumcast" -q "$export_" -o result.ics $options)
  printf '%-40s %15d %8.3f\n' "${options:-(default)}" "$n" "$(awk -v a="$n" -v b="$iconv" 'BEGIN {print a / b}')"
  rm -f "$tmp"/result*.ics
done
