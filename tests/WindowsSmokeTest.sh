#!/usr/bin/env bash
# The Windows build of orvel-updater-cli, run under wine through wine's ODBC
# (which hands the calls to this machine's unixODBC drivers): the SQLite
# driver always, a SQL Server reached by FreeTDS when ORVEL_TEST_ODBC names
# one (a login that may create databases).  Where the native build of the same sources can answer the same
# question, the .exe must print the same bytes (its CRLF line ends read as
# LF) and exit alike.  Persian arguments and file names check that the
# arguments arrive as UTF-8; the stored text is read back with sqlite3.
#
#   WindowsSmokeTest.sh WINDOWS_EXE NATIVE_CLI
# Start wine once beforehand (see ./build-windows): a wineserver this script
# started would outlive it.
set -u
exe=$1
native=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export LANG=C.UTF-8 LC_ALL=C.UTF-8
export WINEDEBUG=${WINEDEBUG:--all,err+module}
# The native build's records go to this test's folder, never the user's
# (the .exe keeps its own in the wine prefix's %LOCALAPPDATA%).
export XDG_STATE_HOME="$dir/state"
unset ORVEL_SQLSERVER_DRIVER ORVEL_ACCESS_DRIVER ORVEL_ODBC
failures=0

fail() {
    echo "FAIL: $1"
    failures=$((failures + 1))
}

# check WHAT CODE ARGS...: the .exe exits with CODE and prints exactly
# $dir/expected.out and $dir/expected.err.
check() {
    local what=$1 code=$2
    shift 2
    wine "$exe" "$@" >"$dir/raw.out" 2>"$dir/raw.err"
    local rc=$?
    sed 's/\r$//' "$dir/raw.out" >"$dir/got.out"
    sed 's/\r$//' "$dir/raw.err" >"$dir/got.err"
    if [[ $rc != "$code" ]] || ! cmp -s "$dir/got.out" "$dir/expected.out" ||
        ! cmp -s "$dir/got.err" "$dir/expected.err"; then
        fail "$what (exit $rc, expected $code)"
        diff -u --label expected --label got "$dir/expected.out" "$dir/got.out" | head -20
        diff -u --label expected --label got "$dir/expected.err" "$dir/got.err" | head -20
        return
    fi
    echo "ok: $what"
}

# same WHAT CODE ARGS...: the native build exits with CODE, and the .exe
# does and prints as it does.
same() {
    local what=$1 code=$2
    shift 2
    "$native" "$@" >"$dir/expected.out" 2>"$dir/expected.err"
    local rc=$?
    if [[ $rc != "$code" ]]; then
        fail "$what: the native build exited with $rc, expected $code"
        cat "$dir/expected.err"
        return
    fi
    check "$what" "$code" "$@"
}

# expect WHAT CODE STDOUT ARGS...: one line on standard output, nothing on
# standard error.
expect() {
    local what=$1 code=$2
    printf '%s\n' "$3" >"$dir/expected.out"
    : >"$dir/expected.err"
    shift 3
    check "$what" "$code" "$@"
}

# The hexadecimal UTF-8 of column Name of table T, one row a line.
stored() {
    sqlite3 "$1" "select hex(Name) from T order by rowid"
}

same "products" 0 products
same "products as JSON" 0 products --format json
same "the program's version" 0 --version
same "a command mistyped" 2 upgrad --product Velora
same "the help of check (exit codes, environment)" 0 help check
same "plan, restaurant product, JSON lines" 0 plan --product Mornale
same "plan, treasury product, SQL script" 0 plan --product Kestin --format sql

# The default server is the Windows computer name, here the one wine reports.
computer=$(wine cmd /c echo %COMPUTERNAME% 2>/dev/null | tr -d '\r')
mkdir "$dir/empty"
expect "default connection text, computer name \"$computer\"" 0 \
    "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;Initial Catalog=Velora;Data Source=$computer\\SQLEXPRESS" \
    connection-text --product Velora --settings-dir "$dir/empty"

# A settings folder with a Persian name; the driver is picked from the list
# the driver manager gives, here a test-owned one.
settings="$dir/تنظيمات"
mkdir "$settings" "$dir/drivers"
printf 'SRV\\INST\r\n' >"$settings/ServerName.txt"
printf '[FreeTDS]\nDriver=libtdsodbc.so\n' >"$dir/drivers/odbcinst.ini"
ODBCSYSINI="$dir/drivers" same "ODBC string from ServerName.txt in a Persian-named folder" 0 \
    connection-text --product Velora --settings-dir "$settings" --odbc-string

# Persian text (U+064A U+06A9 and back) in a statement argument and in a
# statement file with a Persian name, stored exactly.
db="DRIVER={SQLite3};Database=$dir/smoke.db"
succeeded=".دستور مورد نظر با موفقيت اجرا گرديد"
# Each statement's count of rows (the SQLite driver counts 0 for a table
# made), then the success sentence.
expect "exec creates a table" 0 $'(0 rows affected)\n\n'"$succeeded" exec --odbc "$db" --sql "create table T(Name text)"
expect "exec inserts Persian text" 0 $'(1 row affected)\n\n'"$succeeded" exec --odbc "$db" --sql "insert into T values('يک')"
printf "insert into T values('کي')" >"$dir/دستور.sql"
expect "exec reads a Persian-named file" 0 $'(1 row affected)\n\n'"$succeeded" exec --odbc "$db" --file "$dir/دستور.sql"
same "exec shows the rows as a table" 0 exec --odbc "$db" --sql "select Name, length(Name) as n from T"
same "exec shows the rows as JSON" 0 exec --odbc "$db" --sql "select Name from T" --format json
if [[ $(stored "$dir/smoke.db") == $'D98ADAA9\nDAA9D98A' ]]; then
    echo "ok: the Persian text is stored exactly"
else
    fail "the Persian text is stored exactly: got $(stored "$dir/smoke.db" | tr '\n' ' ')"
fi

# On a console (here a pseudo-terminal, which wine presents as a Windows
# console) the text is written as UTF-16 and must arrive as the same letters.
console=$(SHELL=/bin/bash timeout 30 script -qec "$(printf '%q ' wine "$exe" exec --odbc "$db" --sql "select 1")" \
    /dev/null </dev/null | tr -d '\r')
if [[ $console == *"$succeeded"* ]]; then
    echo "ok: Persian text on a console"
else
    fail "Persian text on a console: got $(printf '%q' "$console")"
fi

same "a statement the driver rejects" 1 exec --odbc "$db" --sql "selec 1"
same "a connection string the driver rejects" 1 \
    exec --odbc "DRIVER={SQLite3};Database=$dir/missing/smoke.db" --sql "select 1"

# The records of the .exe's runs are in %LOCALAPPDATA%\orvel-updater: the
# newest is the exec that could not connect.
newest=$(wine "$exe" records --count 1 2>&1 | tr -d '\r')
if [[ $newest == *'\AppData\Local\orvel-updater'* && $newest == *'-query'*' failed '*'opening the connection'* ]]; then
    echo "ok: the newest record, in %LOCALAPPDATA%, is the exec that could not connect"
else
    fail "the newest record, in %LOCALAPPDATA%, is the exec that could not connect: got $newest"
fi

# A server reached by FreeTDS (./test starts the T-SQL engine and names it in
# ORVEL_TEST_ODBC): the .exe works in a database of this test's own, made and
# dropped by the native build.
if [[ -n ${ORVEL_TEST_ODBC:-} ]]; then
    server=$ORVEL_TEST_ODBC
    database=orvel_live_smoke_$$
    if "$native" exec --odbc "$server" --sql "create database $database" >"$dir/create.out" 2>&1; then
        trap '"$native" exec --odbc "$server" --sql "drop database $database" >/dev/null 2>&1; rm -rf "$dir"' EXIT
        odbc="$server;Database=$database"
        same "server: a statement" 0 exec --odbc "$odbc" --sql "select 1"
        expect "server: exec creates a table" 0 "$succeeded" exec --odbc "$odbc" --sql "create table T(Name nvarchar(10))"
        expect "server: exec inserts Persian text" 0 $'(1 row affected)\n\n'"$succeeded" exec --odbc "$odbc" --sql "insert into T values(N'يک')"
        printf "insert into T values(N'کي')" >"$dir/دستور-سرور.sql"
        expect "server: exec reads a Persian-named file" 0 $'(1 row affected)\n\n'"$succeeded" exec --odbc "$odbc" --file "$dir/دستور-سرور.sql"
        same "server: result sets and the server's messages" 0 exec --odbc "$odbc" --sql "select Name from T order by Name; print 'done'"
        same "server: the Persian text is stored exactly" 0 exec --odbc "$odbc" --sql \
            "if (select count(*) from T where len(Name) = 2 and ((unicode(Name) = 1610 and unicode(substring(Name, 2, 1)) = 1705) or (unicode(Name) = 1705 and unicode(substring(Name, 2, 1)) = 1610))) <> 2 raiserror('The Persian text was changed on its way', 16, 1)"
        same "server: a statement the server rejects" 1 exec --odbc "$odbc" --sql "select * from OrvelNoSuchTable"
        same "server: a database that does not exist" 1 exec --odbc "$server;Database=${database}_missing" --sql "select 1"
    else
        fail "server: could not create the test database $database: $(cat "$dir/create.out")"
    fi
else
    echo "skipped: the SQL Server checks (ORVEL_TEST_ODBC is not set: ./test sets it when it starts the T-SQL engine)"
fi

exit $((failures > 0))
