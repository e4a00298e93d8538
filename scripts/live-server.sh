# The server the live suites (CTest label "live") run against, found or
# started before the tests.  Sourced by ./test.
#
# ORVEL_TEST_ODBC, when set, names it: the ODBC string of a SQL Server login
# that may create databases.  Otherwise the T-SQL engine in
# ../shared/tsql-engine (or the folder ORVEL_TSQL_ENGINE names) is started and
# its connection string exported.  Without either the live suites are
# skipped, and say so; with ORVEL_REQUIRE_LIVE set (CI) that is an error.

# orvel_live_server LOG_FILE: exports ORVEL_TEST_ODBC, or says why the live
# suites will be skipped (returns 1 when they must not be).
orvel_live_server() {
  local log=$1
  if [ -n "${ORVEL_TEST_ODBC:-}" ]; then
    echo "Live suites: against the server ORVEL_TEST_ODBC names"
    return 0
  fi
  local engine=${ORVEL_TSQL_ENGINE:-../shared/tsql-engine}
  if [ ! -x "$engine/start" ]; then
    orvel_no_live_server "ORVEL_TEST_ODBC is not set and there is no T-SQL engine at $engine" \
      "(set ORVEL_TSQL_ENGINE to the engine's folder, or ORVEL_TEST_ODBC to a server)"
    return
  fi
  # The engine's start checks its sign-in with unixODBC's isql.  A unixodbc
  # package of another architecture (installed for 32-bit wine) replaces that
  # program with one this machine may be unable to run.
  orvel_ensure_packages "unixodbc:$(dpkg --print-architecture)" || true
  echo "Starting the T-SQL engine for the live suites ($engine/start, log: $log)"
  local odbc=""
  if odbc=$(timeout 900 "$engine/start" 2>"$log") && [ -n "$odbc" ]; then
    export ORVEL_TEST_ODBC=$odbc
    return 0
  fi
  tail -n 15 "$log" >&2
  orvel_no_live_server "the T-SQL engine at $engine did not start (its log: $log)"
}

orvel_no_live_server() {
  if [ -n "${ORVEL_REQUIRE_LIVE:-}" ]; then
    echo "The live suites must run (ORVEL_REQUIRE_LIVE is set), but $*" >&2
    return 1
  fi
  echo "SKIPPED: the live suites: $*"
}
