#!/usr/bin/env bash
# Benchmarks of the check before a run, on the live server that
# ORVEL_TEST_ODBC names (each in a scratch database, dropped afterwards):
#
#  1. The up-to-date network-marketing database, the run a technician
#     repeats most: `upgrade --check-first` (the check on the run's own
#     catalogue reading, then the run: what the window's Start does) beside
#     the plain `upgrade`.  Target: every checked run under 2.5 s.
#  2. A touched table of many rows: the restaurant product's settings with
#     a flag held as text in ROWS rows, which the run makes integer again:
#     `check` (every row's text taken apart by the questions) beside the
#     `upgrade` that converts them.
#
# Without ORVEL_TEST_ODBC it says so and does nothing.
#
#   bench/live_check_bench.sh build/orvel-updater-cli [runs] [rows]
set -euo pipefail

cli=${1:?usage: $0 path/to/orvel-updater-cli [runs] [rows]}
runs=${2:-10}
rows=${3:-300000}
target=2.5

if [[ -z ${ORVEL_TEST_ODBC:-} ]]; then
    echo "skipped: ORVEL_TEST_ODBC is not set (the ODBC string of a login that may create databases)"
    exit 0
fi

databases=()
state=$(mktemp -d)
export XDG_STATE_HOME=$state  # the records of these runs, never the user's
cleanup() {
    for database in "${databases[@]}"; do
        "$cli" exec --odbc "$ORVEL_TEST_ODBC" --sql "DROP DATABASE $database" >/dev/null 2>&1 || true
    done
    rm -rf "$state"
}
trap cleanup EXIT

scratch() {  # prints the ODBC string of a new database
    local database="orvel_bench_$1_$$_$(date +%s)"
    "$cli" exec --odbc "$ORVEL_TEST_ODBC" --sql "CREATE DATABASE $database" >/dev/null
    databases+=("$database")
    echo "$ORVEL_TEST_ODBC;Database=$database"
}

seconds() {  # runs "$@" as a user starts it; prints the seconds it took
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || true
    end=$(date +%s.%N)
    awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f", e - s }'
}

summary() {  # label, then the times
    local label=$1
    shift
    local sorted
    sorted=$(printf '%s\n' "$@" | sort -n)
    printf '%s (s): %s\n  min %.2f  median %.2f  max %.2f\n' "$label" "$(printf '%.2f ' "$@")" \
        "$(head -1 <<<"$sorted")" "$(sed -n "$((($# + 1) / 2))p" <<<"$sorted")" "$(tail -1 <<<"$sorted")"
}

# 1. The up-to-date network-marketing database.
odbc=$(scratch tamrix2)
"$cli" upgrade --product Tamrix2 --odbc "$odbc" >/dev/null 2>&1
checked=() plain=()
for ((i = 1; i <= runs; i++)); do
    checked+=("$(seconds "$cli" upgrade --check-first --product Tamrix2 --odbc "$odbc")")
    plain+=("$(seconds "$cli" upgrade --product Tamrix2 --odbc "$odbc")")
done
summary "up-to-date Tamrix2, upgrade --check-first, $runs runs" "${checked[@]}"
summary "up-to-date Tamrix2, upgrade, $runs runs" "${plain[@]}"
over=$(printf '%s\n' "${checked[@]}" | awk -v t="$target" '$1 >= t' | wc -l)
if ((over == 0)); then
    echo "target met: every checked run under $target s"
else
    echo "target MISSED: $over of $runs checked runs took $target s or more"
fi

# 2. A touched table of $rows rows.
odbc=$(scratch rows)
"$cli" upgrade --product Mornale --odbc "$odbc" >/dev/null 2>&1
"$cli" exec --odbc "$odbc" --sql "ALTER TABLE Setting ALTER COLUMN Auto_back nvarchar(50)" >/dev/null
"$cli" exec --odbc "$odbc" --sql "INSERT INTO Setting (shr, Auto_back) SELECT n, CASE n % 3 WHEN 0 THEN N'' WHEN 1 \
THEN N' 1 ' ELSE N'0' END FROM (SELECT TOP $rows ROW_NUMBER() OVER (ORDER BY a.object_id) AS n FROM sys.all_columns a \
CROSS JOIN sys.all_columns b) AS numbers" >/dev/null
check=$(seconds "$cli" check --product Mornale --odbc "$odbc")
"$cli" check --product Mornale --odbc "$odbc" 2>&1 >/dev/null | sed 's/^/  /'
upgrade=$(seconds "$cli" upgrade --product Mornale --odbc "$odbc")
printf 'Setting of %d rows, Auto_back text made integer: check %.2f s, upgrade %.2f s\n' "$rows" "$check" "$upgrade"
printf 'load average %s\n' "$(cut -d' ' -f1-3 /proc/loadavg 2>/dev/null || echo unknown)"
