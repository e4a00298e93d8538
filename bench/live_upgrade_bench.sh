#!/usr/bin/env bash
# Benchmark of a real upgrade by orvel-updater-cli on the live server that
# ORVEL_TEST_ODBC names: the up-to-date network-marketing database, the run
# a technician repeats most.  It makes a scratch database, brings it up to
# date with one run, times ten more runs of `upgrade` as a user starts them
# (the process from start to exit) and drops the database.  Target: every
# run under 2 s.  Without ORVEL_TEST_ODBC it says so and does nothing.
#
#   bench/live_upgrade_bench.sh build/orvel-updater-cli [runs]
set -euo pipefail

cli=${1:?usage: $0 path/to/orvel-updater-cli [runs]}
runs=${2:-10}
product=Tamrix2
target=2.0

if [[ -z ${ORVEL_TEST_ODBC:-} ]]; then
    echo "skipped: ORVEL_TEST_ODBC is not set (the ODBC string of a login that may create databases)"
    exit 0
fi

database="orvel_bench_$$_$(date +%s)"
odbc="$ORVEL_TEST_ODBC;Database=$database"
# Records of these runs go to a folder of their own, never to the user's.
state=$(mktemp -d)
export XDG_STATE_HOME=$state
cleanup() {
    "$cli" exec --odbc "$ORVEL_TEST_ODBC" --sql "DROP DATABASE $database" >/dev/null 2>&1 || true
    rm -rf "$state"
}
trap cleanup EXIT

"$cli" exec --odbc "$ORVEL_TEST_ODBC" --sql "CREATE DATABASE $database" >/dev/null
"$cli" upgrade --product "$product" --odbc "$odbc" >/dev/null 2>&1

times=()
for ((i = 1; i <= runs; i++)); do
    start=$(date +%s.%N)
    "$cli" upgrade --product "$product" --odbc "$odbc" >/dev/null 2>&1
    end=$(date +%s.%N)
    times+=("$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f", e - s }')")
done

sorted=$(printf '%s\n' "${times[@]}" | sort -n)
printf 'up-to-date %s upgrade, %d runs (s): %s\n' "$product" "$runs" "$(printf '%.2f ' "${times[@]}")"
printf 'min %.2f  median %.2f  max %.2f   load average %s\n' \
    "$(head -1 <<<"$sorted")" "$(sed -n "$(((runs + 1) / 2))p" <<<"$sorted")" "$(tail -1 <<<"$sorted")" \
    "$(cut -d' ' -f1-3 /proc/loadavg 2>/dev/null || echo unknown)"
over=$(awk -v t="$target" '$1 >= t' <<<"$sorted" | wc -l)
if ((over == 0)); then
    echo "target met: every run under $target s"
else
    echo "target MISSED: $over of $runs runs took $target s or more"
fi
