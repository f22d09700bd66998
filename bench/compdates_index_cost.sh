#!/bin/bash
# What each CompDates index costs a snapshot: the snapshot of PROJECT is timed
# (wall and CPU seconds, medians of RUNS) with all indexes, with each one dropped
# in turn, and with none, every run on a fresh copy (PROJECT itself is only read).
# Usage: compdates_index_cost.sh CLI PROJECT [RUNS]
#   e.g. compdates_index_cost.sh build/cli/cairnwork-cli /tmp/L.cwk 3
set -eu
cli=$1
project=$2
runs=${3:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
indexes=$(sqlite3 "$project" "SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = 'CompDates'
                             AND sql IS NOT NULL ORDER BY name")
median() { tr ' ' '\n' | grep . | sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
for drop in none $indexes all; do
    cp "$project" "$work/variant.cwk"
    for index in $indexes; do
        if [ "$drop" = all ] || [ "$drop" = "$index" ]; then
            sqlite3 "$work/variant.cwk" "DROP INDEX $index"
        fi
    done
    walls=""
    cpus=""
    for _ in $(seq "$runs"); do
        rm -f "$work"/run.cwk*
        cp "$work/variant.cwk" "$work/run.cwk"
        t=$({ /usr/bin/time -f "%e %U %S" "$cli" snapshot "$work/run.cwk" --now "2030-01-01 00:00:00" >/dev/null; } 2>&1)
        walls="$walls $(echo "$t" | awk '{print $1}')"
        cpus="$cpus $(echo "$t" | awk '{print $2 + $3}')"
    done
    echo "without=$drop wall=$(echo "$walls" | median) cpu=$(echo "$cpus" | median)"
done
