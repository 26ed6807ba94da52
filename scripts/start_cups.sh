#!/usr/bin/env bash
# Starts a local CUPS scheduler (when none runs) with two PDF printers, "TilloraPDF" and
# "TilloraPDF2" (for choosing another printer), for the end-to-end printing tests. The tests name
# their queue (PRINTER=TilloraPDF); the machine's default destination is never changed.
# Safe to run again. Needs root (or sudo).
# cups-pdf writes each job as a PDF file into the printing user's ~/PDF.
set -uo pipefail

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

# lpstat -r exits 0 either way; its words tell whether the scheduler answers.
scheduler_up() { LC_ALL=C lpstat -r 2>/dev/null | grep -q "scheduler is running"; }

if ! scheduler_up; then
  "${sudo_cmd[@]}" /usr/sbin/cupsd || { echo "start_cups: cupsd could not be started" >&2; exit 1; }
  for _ in $(seq 1 50); do
    scheduler_up && break
    sleep 0.2
  done
fi
scheduler_up || { echo "start_cups: the CUPS scheduler does not answer" >&2; exit 1; }

for queue in TilloraPDF TilloraPDF2; do
  if ! lpstat -p "$queue" >/dev/null 2>&1; then
    "${sudo_cmd[@]}" lpadmin -p "$queue" -E -v cups-pdf:/ -m lsb/usr/cups-pdf/CUPS-PDF_noopt.ppd 2>/dev/null ||
      { echo "start_cups: the PDF printer $queue could not be added" >&2; exit 1; }
  fi
  "${sudo_cmd[@]}" cupsenable "$queue" 2>/dev/null || true
  "${sudo_cmd[@]}" cupsaccept "$queue" 2>/dev/null || true
done
echo "start_cups: test queues TilloraPDF and TilloraPDF2 ready"
