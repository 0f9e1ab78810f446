#!/bin/sh
# Converting a library of 1,000 ChordPro songs in one process: versino-print -d against one node
# process of chordsheetjs that parses the same files and formats them back to ChordPro.
# Interleaved pairs, the median of ROUNDS (default 7). Run by hand:
#   bench/library/run.sh BUILD/tools/versino-print/versino-print PEER_DIR [ROUNDS]
# PEER_DIR holds node_modules/chordsheetjs (npm install chordsheetjs in a folder of its own).
set -eu
tool=$1
peer=$2
rounds=${3:-7}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$here/../songs/make-songs" "$work/songs" 1000
cp "$here/peer-convert.js" "$peer/"
mkdir -p "$work/v" "$work/p"
# Each run appends "wall user system" in seconds; on a shared machine the processor time (user +
# system) is the steadier figure, the wall time shows the load.
: > "$work/v.times"
: > "$work/p.times"
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
i=0
while [ "$i" -lt "$rounds" ]; do
    /usr/bin/time -a -o "$work/v.times" -f "%e %U %S" "$tool" -d "$work/v" --to cho "$work"/songs/*.cho 2>/dev/null
    /usr/bin/time -a -o "$work/p.times" -f "%e %U %S" node "$peer/peer-convert.js" "$work/p" "$work"/songs/*.cho
    i=$((i + 1))
done
median() { awk "{print $2}" "$1" | sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
figures() { echo "wall $(median "$1" '$1') s, processor $(median "$1" '$2 + $3') s"; }
echo "songs: $(ls "$work/songs"/*.cho | wc -l), written: versino $(ls "$work/v" | wc -l), peer $(ls "$work/p" | wc -l)"
echo "versino-print -d --to cho: median of $rounds: $(figures "$work/v.times")"
echo "node chordsheetjs:         median of $rounds: $(figures "$work/p.times")"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg), cores: $(nproc)"
