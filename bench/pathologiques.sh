#!/usr/bin/env bash
# Times the program on inputs of pathological shape, each at full size and at
# a quarter of it, so that a cost that grows faster than the input shows as a
# ratio well above 4. Peak resident memory comes from /usr/bin/time -v.
# Not a test: nothing here passes or fails on a duration.
#
#   bench/pathologiques.sh [BUILD_DIR]             the pathological shapes
#   bench/pathologiques.sh [BUILD_DIR] --memoire   peak memory for 10 MB and 1 GB
#
# BUILD_DIR holds the built program (default: build). Inputs are written to a
# temporary directory and removed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build
memoire=false
for a in "$@"; do
  case $a in
    --memoire) memoire=true ;;
    *) build=$a ;;
  esac
done
programme=$(realpath "$build/vellumcast")
[[ -x $programme ]] || { echo "no program at $programme: build it first" >&2; exit 1; }

travail=$(mktemp -d "${TMPDIR:-/tmp}/vellumcast-patho-XXXXXX")
trap 'rm -rf "$travail"' EXIT

mesureur=()
[[ -x /usr/bin/time ]] && mesureur=(/usr/bin/time -v -o "$travail/rusage")

# Runs the program on $1; prints seconds, peak RSS in KiB and the exit status.
convertir() {
  local entree=$1 debut fin statut=0 rss=-
  rm -f "$travail/rusage"
  debut=$(date +%s.%N)
  (cd "$(dirname "$entree")" && "${mesureur[@]}" "$programme" "$entree" </dev/null >/dev/null 2>/dev/null) ||
    statut=$?
  fin=$(date +%s.%N)
  [[ -f $travail/rusage ]] &&
    rss=$(awk -F: '/Maximum resident set size/ {gsub(/ /, "", $2); print $2}' "$travail/rusage")
  echo "$(awk -v a="$debut" -v b="$fin" 'BEGIN {printf "%.3f", b - a}') $rss $statut"
}

# Repeats the text $2 (printf escapes allowed) $1 times.
repeter() {
  awk -v n="$1" -v t="$2" 'BEGIN { t = t; for (i = 0; i < n; i++) printf "%s", t }'
}

# $1 bytes of the single character $2.
octets() { head -c "$1" /dev/zero | tr '\0' "$2"; }

# Each generator writes the shape at scale $1 (1 = full size, 4 = a quarter).
cas_barres() { octets $((10000000 / $1)) /; }
cas_deux_points() { octets $((10000000 / $1)) :; }
cas_barres_en_dates() { printf 'STARTDATETIME: '; octets $((10000000 / $1)) /; }
cas_deux_points_en_heure() { printf 'STARTDATETIME: 1/2/2009 '; octets $((10000000 / $1)) :; }
cas_sans_fin_de_ligne() { octets $((10000000 / $1)) x; }
cas_sujet_sans_fin_de_ligne() { printf 'Subject: '; octets $((10000000 / $1)) x; }
cas_documents_minimaux() { repeter $((200000 / $1)) '$UpdatedBy: x\r\n\r\n\f\r\n'; }
cas_identifiants_recurrents() {
  awk -v n=$((100000 / $1)) 'BEGIN {
    for (i = 0; i < n; i++)
      printf "CalendarDateTime: a, b\r\nApptUNID: ID%07d\r\nSTARTDATETIME: 01/02/2009 09:00:00\r\n$UpdatedBy: x\r\n\r\n\f\r\n", i
  }'
}
cas_corps_de_50_mo() {
  printf 'Subject: big\r\nSTARTDATETIME: 01/02/2009 09:00:00\r\n$UpdatedBy: x\r\n\r\n'
  octets $((50000000 / $1)) b
  printf '\r\n\f\r\n'
}
cas_un_million_de_dates() {
  # After the year limit: the list is read and read back, the result stays small.
  printf 'STARTDATETIME: '
  repeter $((1000000 / $1)) '01/02/2015 09:30:00, '
  printf '01/02/2015 09:30:00\r\n$UpdatedBy: x\r\n\r\n\f\r\n'
}
cas_calendriers_embarques() {
  # Every document embeds a calendar of about 1 KB, its event captured to
  # ~ical.tmp; one document in fifty starts before the year limit.
  awk -v n=$((8500 / $1)) 'BEGIN {
    for (i = 0; i < n; i++) {
      an = (i % 50 == 0) ? 2009 : 2015
      j = i % 28 + 1
      printf "Subject: Meeting %d, with its calendar\r\nLocation: Room %d\r\n", i, i % 40
      printf "STARTDATETIME: %02d/03/%d 10:00:00\r\nEndDateTime: %02d/03/%d 11:00:00\r\n", j, an, j, an
      printf "ApptUNID: K%08d\r\n", i
      printf "$ICAL_ORIG_STREAM: BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Acme//Agenda//EN\r\n"
      printf "METHOD:PUBLISH\r\nBEGIN:VTIMEZONE\r\nTZID:Romance\r\nBEGIN:STANDARD\r\n"
      printf "DTSTART:19501029T020000\r\nTZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\n"
      printf "RRULE:FREQ=YEARLY;BYMINUTE=0;BYHOUR=2;BYDAY=-1SU;BYMONTH=10\r\nEND:STANDARD\r\n"
      printf "BEGIN:DAYLIGHT\r\nDTSTART:19500326T020000\r\nTZOFFSETFROM:+0100\r\n"
      printf "TZOFFSETTO:+0200\r\nRRULE:FREQ=YEARLY;BYMINUTE=0;BYHOUR=2;BYDAY=-1SU;BYMONTH=3\r\n"
      printf "END:DAYLIGHT\r\nEND:VTIMEZONE\r\nBEGIN:VEVENT\r\n"
      printf "DTSTART;TZID=\"Romance\":%d03%02dT100000\r\nDTEND;TZID=\"Romance\":%d03%02dT110000\r\n", an, j, an, j
      printf "TRANSP:OPAQUE\r\nDTSTAMP:%d03%02dT090000Z\r\nSEQUENCE:%d\r\n", an, j, i % 4
      printf "ATTENDEE;ROLE=CHAIR;PARTSTAT=ACCEPTED;CN=\"Someone\";RSVP=FALSE:\r\n mailto:someone@example.org\r\n"
      printf "ATTENDEE;ROLE=REQ-PARTICIPANT;PARTSTAT=NEEDS-ACTION;CN=\"Another One\";RSVP=TRUE:\r\n mailto:another@example.org\r\n"
      printf "CLASS:PUBLIC\r\nSUMMARY:Meeting %d\\, with its calendar\r\nLOCATION:Room %d\r\n", i, i % 40
      printf "ORGANIZER;CN=\"Someone\":mailto:someone@example.org\r\nUID:K%08d\r\n", i
      printf "END:VEVENT\r\nEND:VCALENDAR\r\n"
      printf "$UpdatedBy: CN=Someone/O=Org\r\n\r\nAgenda: figures and staffing.\r\n\f\r\n"
    }
  }'
}

pathologiques() {
  printf '%-28s %12s %9s %9s %11s %6s %6s\n' shape bytes seconds 'q-sec' 'ratio' 'KiB' status
  for cas in barres deux_points barres_en_dates deux_points_en_heure sans_fin_de_ligne \
    sujet_sans_fin_de_ligne documents_minimaux identifiants_recurrents corps_de_50_mo \
    un_million_de_dates calendriers_embarques; do
    local f="$travail/$cas.txt" q="$travail/quart/$cas.txt"
    mkdir -p "$travail/quart"
    "cas_$cas" 1 >"$f"
    "cas_$cas" 4 >"$q"
    read -r t rss statut < <(convertir "$f")
    read -r tq _ _ < <(convertir "$q")
    printf '%-28s %12d %9s %9s %11s %6s %6s\n' "$cas" "$(stat -c %s "$f")" "$t" "$tq" \
      "$(awk -v a="$t" -v b="$tq" 'BEGIN {printf (b > 0.01 ? "%.1f" : "-"), a / b}')" "$rss" "$statut"
    rm -f "$f" "$q" "$travail"/*.ics "$travail"/quart/*.ics
  done
}

# About 1 MB of ordinary documents; one in fifty starts before the year limit.
morceau() {
  awk 'BEGIN {
    for (i = 0; i < 2000; i++) {
      an = (i % 50 == 0) ? 2009 : 2015
      printf "Subject: Meeting %d about the quarterly figures, room change\r\n", i
      printf "Location: Building B, room %d\r\n$PublicAccess: 1\r\n", i % 40
      printf "CalendarDateTime: %02d/03/%d 10:00:00\r\n", i % 28 + 1, an
      printf "STARTDATETIME: %02d/03/%d 10:00:00\r\nEndDateTime: %02d/03/%d 11:00:00\r\n", i % 28 + 1, an, i % 28 + 1, an
      printf "ApptUNID: U%08d\r\nCategories: work\r\n$UpdatedBy: CN=Someone/O=Org\r\n\r\n", i
      printf "Agenda: figures, staffing, the move to the new building.\r\n"
      printf "Bring the printed report; coffee at the back.\r\n\f\r\n"
    }
  }'
}

memoire() {
  local besoin=$((1100 * 1024)) libre
  libre=$(df -Pk "$travail" | awk 'NR == 2 {print $4}')
  if ((libre < besoin)); then
    echo "only $((libre / 1024)) MiB free in $travail: 1.1 GiB needed" >&2
    exit 1
  fi
  morceau >"$travail/morceau"
  local taille_morceau
  taille_morceau=$(stat -c %s "$travail/morceau")
  printf '%-10s %14s %9s %9s %6s %12s\n' input bytes seconds KiB status 'result'
  for mo in 10 1024; do
    local f="$travail/memoire_$mo.txt"
    local n=$(((mo * 1024 * 1024 + taille_morceau - 1) / taille_morceau))
    for ((k = 0; k < n; k++)); do cat "$travail/morceau"; done >"$f"
    read -r t rss statut < <(convertir "$f")
    printf '%-10s %14d %9s %9s %6s %12d\n' "${mo} MB" "$(stat -c %s "$f")" "$t" "$rss" "$statut" \
      "$(stat -c %s "$travail/memoire_$mo.ics")"
    rm -f "$f" "$travail/memoire_$mo.ics"
  done
}

echo "program: $programme"
if $memoire; then memoire; else pathologiques; fi
