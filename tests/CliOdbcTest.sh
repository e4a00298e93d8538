#!/usr/bin/env bash
# orvel-updater-cli end to end: `exec --odbc` through the SQLite ODBC driver
# (success with the driver's count of rows, and a failing statement with the
# driver's message in the error shape), and the ODBC
# string `connection-text --odbc-string` prints.  The driver list is the test's
# own (ODBCSYSINI), so the result does not depend on what this machine has
# registered.
set -u
cli=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export LANG=C.UTF-8 LC_ALL=C.UTF-8
unset ORVEL_SQLSERVER_DRIVER ORVEL_ACCESS_DRIVER
failures=0

# expect WHAT EXIT_CODE STDOUT STDERR -- COMMAND...
expect() {
    local what=$1 code=$2 out=$3 err=$4
    shift 5
    "$@" >"$dir/out" 2>"$dir/err"
    local rc=$?
    if [[ $rc != "$code" || $(cat "$dir/out") != "$out" || $(cat "$dir/err") != "$err" ]]; then
        echo "FAIL: $what"
        echo "  exit $rc (expected $code)"
        echo "  stdout: $(cat "$dir/out")"
        echo "  expected: $out"
        echo "  stderr: $(cat "$dir/err")"
        echo "  expected: $err"
        failures=$((failures + 1))
    fi
}

db="DRIVER={SQLite3};Database=$dir/cli.db"
succeeded=".دستور مورد نظر با موفقيت اجرا گرديد"
expect "exec runs a statement" 0 $'(0 rows affected)\n\n'"$succeeded" "" -- \
    "$cli" exec --odbc "$db" --sql "create table T(ID integer)"
expect "exec reports the driver's error" 1 "" \
    "orvel-updater-cli: error: running the statement ($dir/cli.db): [SQLite]table T already exists (1)" -- \
    "$cli" exec --odbc "$db" --sql "create table T(ID integer)"
echo "insert into T values(1)" >"$dir/statement.sql"
expect "exec reads a file" 0 $'(1 row affected)\n\n'"$succeeded" "" -- \
    "$cli" exec --odbc "$db" --file "$dir/statement.sql"

mkdir "$dir/settings" "$dir/freetds" "$dir/none"
printf 'SRV\\INST\r\n' >"$dir/settings/ServerName.txt"
printf '[FreeTDS]\nDriver=libtdsodbc.so\n' >"$dir/freetds/odbcinst.ini"
: >"$dir/none/odbcinst.ini"
text=(connection-text --product Velora --settings-dir "$dir/settings" --odbc-string)
expect "the installed driver" 0 'Driver={FreeTDS};Server=SRV\INST;Trusted_Connection=yes;Database=Velora' "" -- \
    env ODBCSYSINI="$dir/freetds" "$cli" "${text[@]}"
expect "the environment's driver" 0 \
    'Driver={ODBC Driver 18 for SQL Server};Server=SRV\INST;Trusted_Connection=yes;Database=Velora;Encrypt=Optional' "" -- \
    env ODBCSYSINI="$dir/none" ORVEL_SQLSERVER_DRIVER="ODBC Driver 18 for SQL Server" "$cli" "${text[@]}"
expect "no driver" 1 "" \
    'orvel-updater-cli: error: building the connection text (SRV\INST/Velora): No SQL Server ODBC driver is installed. Install "ODBC Driver 18 for SQL Server" (or 17; on Linux the FreeTDS driver, package tdsodbc, also serves), or name an installed driver in the environment variable ORVEL_SQLSERVER_DRIVER' -- \
    env ODBCSYSINI="$dir/none" "$cli" "${text[@]}"
expect "an Access path is braced" 0 "Driver={MDBTools};DBQ={$dir/a}}b.mdb};PWD=5062917348" "" -- \
    env ODBCSYSINI="$dir/none" ORVEL_ACCESS_DRIVER=MDBTools \
    "$cli" connection-text --product Velora --kind access --access-file "$dir/a}b.mdb" --odbc-string --show-password
expect "the password is masked unless asked for" 0 "Driver={MDBTools};DBQ={$dir/a}}b.mdb};PWD=***" "" -- \
    env ODBCSYSINI="$dir/none" ORVEL_ACCESS_DRIVER=MDBTools \
    "$cli" connection-text --product Velora --kind access --access-file "$dir/a}b.mdb" --odbc-string

exit $((failures > 0))
