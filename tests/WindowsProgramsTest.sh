#!/usr/bin/env bash
# The Windows programs as files, without running them: each is built for
# the processor of its build, imports only DLLs that every Windows has (the
# C++ runtime is linked in, so copying the one .exe is the installation),
# and carries a manifest that asks for no administrator rights (Windows
# takes a 32-bit program whose name holds "update" for an installer and
# would ask for them otherwise).
#
#   WindowsProgramsTest.sh OBJDUMP PE_FORMAT CLI_EXE WINDOW_EXE
# PE_FORMAT is what objdump calls the processor's format: pei-i386 or
# pei-x86-64.
set -u
objdump=$1
format=$2
cli=$3
window=$4
failures=0

# check EXE "DLL ..." (upper case, sorted)
check() {
    local exe=$1 expected=$2 name
    name=$(basename "$exe")
    local found
    found=$("$objdump" -f "$exe" | sed -n 's/.*file format //p')
    if [[ $found == "$format" ]]; then echo "ok: $name is $format"; else echo "FAIL: $name is $found, not $format"; failures=$((failures + 1)); fi
    local imports
    imports=$("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr '[:lower:]' '[:upper:]' | sort | tr '\n' ' ')
    if [[ $imports == "$expected " ]]; then
        echo "ok: $name needs only $expected"
    else
        echo "FAIL: $name needs only $expected: it imports $imports"
        failures=$((failures + 1))
    fi
    if grep -q 'level="asInvoker"' "$exe"; then
        echo "ok: $name asks for no administrator rights"
    else
        echo "FAIL: $name carries no manifest that asks for no administrator rights"
        failures=$((failures + 1))
    fi
}

check "$cli" "KERNEL32.DLL MSVCRT.DLL ODBC32.DLL"
check "$window" "COMCTL32.DLL COMDLG32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL ODBC32.DLL USER32.DLL UXTHEME.DLL"
exit $((failures > 0))
