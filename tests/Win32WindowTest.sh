#!/usr/bin/env bash
# The Windows window, orvel-updater.exe, run under wine on a virtual X
# display and driven as a person drives it: real key presses and clicks
# (xdotool, through XTEST: events sent to a window with XSendEvent are
# ignored), screenshots (ImageMagick's import), and what the windows show
# read back by orvel-window-probe.exe.
#
# The database is SQLite, reached through wine's ODBC and this machine's
# unixODBC: the SQLite driver is registered for this test only (a private
# odbcinst.ini, ODBCSYSINI) under "ODBC Driver 17 for SQL Server", the name
# the translated connection text asks for, so the window's own SQL Server
# connection text reaches a SQLite file named after the product in the
# program's working folder.  On SQLite the office-automation product
# (Pelsa) completes a whole run once its tables exist (SQLite refuses the
# "dbo." of the statements that create them); the insurance-office run
# (Velora) fails at its first statement with the driver's message.
#
# The mouse pointer is read as the handle of the cursor the window in front
# shows: the program's arrow at rest, another cursor (the wait cursor) while
# a run waits for a database that another program holds locked.
#
#   Win32WindowTest.sh WINDOW_EXE PROBE_EXE NATIVE_CLI
# Needs DISPLAY (a virtual display), a running wine (see ./build-windows),
# xdotool, import, xwininfo and sqlite3.  ORVEL_WINDOW_SCREENSHOTS names a
# folder that keeps the screenshots (main-window-start.png,
# main-window-after-run.png).
set -u
exe=$1
probe_exe=$2
native=$3
export LANG=C.UTF-8 LC_ALL=C.UTF-8
export WINEDEBUG=${WINEDEBUG:--all,err+module}
unset ORVEL_SQLSERVER_DRIVER ORVEL_ACCESS_DRIVER
failures=0
window_pid=

dir=$(mktemp -d)
cleanup() {
    [ -n "$window_pid" ] && kill "$window_pid" 2>/dev/null
    rm -rf "$dir"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $1"
    failures=$((failures + 1))
}
ok() { echo "ok: $1"; }

if [ -z "${DISPLAY:-}" ] || ! xwininfo -root >/dev/null 2>&1; then
    echo "FAIL: no X display to show the window on (./build-windows starts one)"
    exit 1
fi

caption="به روز رساني بانک اطلاعاتي محصولات اورول سيستم ترنک _  DataBase Updater for Orvel System Tarnak's productions"
title="آپديت بانک اطلاعاتي اورول"
query_caption="اجراي دستورات"
open_caption="Open"  # wine's file dialog
start_caption="شروع عمليات ارتقاء       "
exit_caption="خروج                          "
run_succeeded="عمليات ارتقاء با موفقيت پايان پذيرفت"
query_succeeded=".دستور مورد نظر با موفقيت اجرا گرديد"
check_caption="بررسي پيش از ارتقاء"  # the check dialog, with its two buttons
close_text="بستن"
run_anyway_text="با اين حال اجرا شود"

mkdir "$dir/program" "$dir/odbc" "$dir/data"
cp "$exe" "$dir/program/orvel-updater.exe"
printf '[ODBC Driver 17 for SQL Server]\nDriver=libsqlite3odbc.so\n[SQLite3]\nDriver=libsqlite3odbc.so\n' \
    >"$dir/odbc/odbcinst.ini"
export ODBCSYSINI=$dir/odbc
shots=${ORVEL_WINDOW_SCREENSHOTS:-$dir}
mkdir -p "$shots"

# The office-automation tables, each with the column it is created with,
# plus four tables of no product; with the table the query window makes,
# the run ends with the overall bar at 8 of 13.
"$native" plan --product Pelsa --format sql 2>/dev/null | sed -n 's/^create table dbo\.\(.*\)$/create table \1;/p' >"$dir/pelsa.sql"
for extra in Extra1 Extra2 Extra3 Extra4; do echo "create table $extra(ID Integer);"; done >>"$dir/pelsa.sql"
sqlite3 "$dir/data/Pelsa" <"$dir/pelsa.sql"
# A folder where the treasury product's database file would be: its
# connection fails.
mkdir "$dir/data/Kestin"

# probe: what the windows show now, into $dir/probe.txt.
probe() { wine "$probe_exe" >"$dir/probe.txt" 2>/dev/null; }
# pointer_now: the cursor handle the window in front shows now (asks the
# windows nothing: answers while they are busy too).
pointer_now() { wine "$probe_exe" pointer 2>/dev/null | awk -F'\t' '$1 == "pointer" { print $2 }'; }
# Field 6 of the control lines of the window whose caption is $1 (the
# lines after its "window" line, up to the next window).
controls_of() {
    awk -F'\t' -v caption="$1" '$1 == "window" { inside = ($5 == caption) } inside && $1 == "control"' "$dir/probe.txt"
}
window_line() { awk -F'\t' -v caption="$1" '$1 == "window" && $5 == caption' "$dir/probe.txt"; }
focused_text() { controls_of "$1" | awk -F'\t' '$4 == "1" { print $6 }'; }
checked_texts() { controls_of "$caption" | awk -F'\t' '$3 == "1" { print $6 }'; }
text_of_class() { controls_of "$1" | awk -F'\t' -v class="$2" '$2 == class { print $6 }'; }
# The screen point of the control of window $1 whose text is $2.
centre_of() { controls_of "$1" | awk -F'\t' -v text="$2" '$6 == text { sub(",", " ", $5); print $5; exit }'; }

# until_shown CAPTION, until_gone CAPTION: probes until a window with that
# caption is shown, or gone (10 s at most).
until_window() {
    for _ in $(seq 20); do
        probe
        if [ -n "$(window_line "$2")" ]; then [ "$1" = shown ] && return 0; else [ "$1" = gone ] && return 0; fi
        sleep 0.3
    done
    return 1
}
until_shown() { until_window shown "$1"; }
until_gone() { until_window gone "$1"; }
# focused WINDOW_CAPTION TEXT: the control showing TEXT has the focus (within 5 s:
# a window gets its focus back a moment after a message box closes).
focused() {
    for _ in $(seq 10); do
        [ "$(focused_text "$1")" = "$2" ] && return 0
        sleep 0.2
        probe
    done
    return 1
}
x_window() { xwininfo -root -tree | awk -v name="\"$1\":" 'index($0, name) { print $1; exit }'; }
# press WINDOW_CAPTION KEY...: focuses the window's X window, then presses.
press() {
    local id
    id=$(x_window "$1")
    shift
    [ -n "$id" ] || return 1
    xdotool windowfocus --sync "$id" && xdotool key "$@"
}
# The query button shows only its picture: of the buttons without text (the
# radio groups' frames and it) it is the leftmost.
query_button() {
    controls_of "$caption" | awk -F'\t' '$2 == "Button" && $6 == "" { split($5, p, ","); if (!n++ || p[1] < x) { x = p[1]; y = p[2] } }
                                          END { print x, y }'
}
# click WINDOW_CAPTION TEXT: clicks the control showing TEXT ("" the query button).
click() {
    local point
    if [ -z "$2" ]; then point=$(query_button); else point=$(centre_of "$1" "$2"); fi
    [ -n "$point" ] || return 1
    # shellcheck disable=SC2086
    xdotool mousemove $point click 1
}

# answered_by ICON TEXT WHAT: a message box captioned with the application
# title shows TEXT, with the error icon (ICON "error") or none ("plain");
# Enter dismisses it.  Fails when no box appears.
answered_by() {
    if ! until_shown "$title"; then
        fail "$3: no message box appeared"
        return 1
    fi
    local shown icons
    box_pointer=$(awk -F'\t' '$1 == "pointer" { print $2 }' "$dir/probe.txt")
    shown=$(text_of_class "$title" Static | grep -v -e '^$' -e '^\[icon\]$')
    icons=$(text_of_class "$title" Static | grep -c '^\[icon\]$')
    [ "$shown" = "$2" ] && ok "$3" || fail "$3: the box shows \"$shown\", not \"$2\""
    [ "$icons" = "$([ "$1" = error ] && echo 1 || echo 0)" ] || fail "$3: the box shows the $1 icon"
    press "$title" Return
    until_gone "$title" || fail "$3: Enter dismisses the box"
}

start_window() {
    (cd "$dir/data" && exec wine "$dir/program/orvel-updater.exe") >"$dir/window.log" 2>&1 &
    window_pid=$!
    until_shown "$caption"
}
# ended CODE: the program ended by itself within 10 s, with exit code CODE.
ended() {
    for _ in $(seq 100); do
        if ! kill -0 "$window_pid" 2>/dev/null; then
            wait "$window_pid"
            local rc=$?
            window_pid=
            [ "$rc" = "$1" ]
            return
        fi
        sleep 0.1
    done
    return 1
}

# 1. The window as it starts, and Esc.
if ! start_window; then
    fail "the window appears (wine said: $(head -c 500 "$dir/window.log"))"
    exit 1
fi
id=$(x_window "$caption")
size=$(xwininfo -id "$id" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
read -r screen_w screen_h < <(xwininfo -root | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w, h }')
expected_place="$(((screen_w - 710) / 2)),$(((screen_h - 440) / 2))"
place=$(window_line "$caption" | cut -f4)
[ "$size" = 710x440 ] && ok "the window's outer size is 710 x 440" || fail "the window's outer size is 710 x 440, not $size"
[ "$place" = "$expected_place" ] && ok "the window is centred on the screen" ||
    fail "the window is centred at $expected_place, not $place"
import -window "$id" "$shots/main-window-start.png" && ok "screenshot $shots/main-window-start.png" ||
    fail "screenshot of the window"

focused "$caption" "$start_caption" && ok "Start has the focus" ||
    fail "Start has the focus, not \"$(focused_text "$caption")\""
expected_checked=$'ولورا اورول\nديتا بيس SQL Server\nSQL 2008'
[ "$(checked_texts)" = "$expected_checked" ] && ok "the defaults: first product, SQL Server, SQL 2008, Web and Local off" ||
    fail "the defaults: checked are $(checked_texts | tr '\n' '|')"
[ "$(text_of_class "$caption" OrvelGauge | tr '\n' ' ')" = "0% 0% " ] && ok "both bars show 0%" ||
    fail "both bars show 0%: $(text_of_class "$caption" OrvelGauge | tr '\n' ' ')"
version=$(sed -n 's/.*kProgramVersion = "\([^"]*\)".*/\1/p' "$(dirname "$0")/../upgrade/Messages.h")
shown_version=$(text_of_class "$caption" Static | tail -1)
[ -n "$version" ] && [ "$shown_version" = "$version" ] && ok "the version label shows the version, $version" ||
    fail "the version label shows the version, $version, not \"$shown_version\""

# Pointing at a product icon (the fifth) shows a tooltip.
read -r icon_x icon_y < <(controls_of "$caption" | awk -F'\t' '$2 == "OrvelPicture" && ++n == 5 { sub(",", " ", $5); print $5 }')
for step in 0 1 2 3; do xdotool mousemove $((icon_x + step)) $((icon_y + step)); sleep 0.2; done
tooltip_shown=false
for _ in $(seq 10); do
    probe
    grep -q '^tooltip' "$dir/probe.txt" && { tooltip_shown=true; break; }
    sleep 0.3
done
$tooltip_shown && ok "pointing at a product icon shows its tooltip" || fail "pointing at a product icon shows its tooltip"
xdotool mousemove 0 0

press "$caption" Escape
ended 0 && ok "Esc ends the program" || fail "Esc ends the program"

# 2. Runs that fail: in the first statement, and at the connection.
start_window || { fail "the window appears again"; exit 1; }
# The pointer at rest: the arrow, over Start.
# shellcheck disable=SC2046
xdotool mousemove $(centre_of "$caption" "$start_caption")
sleep 0.3
rest_pointer=$(pointer_now)
press "$caption" Return
# The database is empty: the check foresees the refusals of the statements
# that alter older columns of P_TTHESAB and asks first; "Run anyway" runs
# as before.
if until_shown "$check_caption"; then
    ok "Enter on Start checks first: the check dialog foresees refusals on an empty insurance-office database"
    click "$check_caption" "$run_anyway_text"
else
    fail "Enter on Start checks first: the check dialog appears"
fi
if answered_by error "[SQLite]unknown database dbo (1)" \
    "Enter on Start runs the insurance-office upgrade; its first statement fails: the ErrorBox shows the driver's message"; then
    [ "$box_pointer" = "$rest_pointer" ] && ok "the ErrorBox shows the arrow, not the wait cursor" ||
        fail "the ErrorBox shows the arrow ($rest_pointer), not $box_pointer"
    label=$(controls_of "$caption" | awk -F'\t' '$2 == "Static" { print $6; exit }')
    [ "$label" = A_AQSAT ] && ok "the table label names the table the run stopped at" ||
        fail "the table label names the table the run stopped at, not \"$label\""
    focused "$caption" "$start_caption" && ok "after a failed run Start keeps the focus" ||
        fail "after a failed run Start keeps the focus, not \"$(focused_text "$caption")\""
fi

# The driver's message, as the Linux tool writes it after "orvel-updater-cli:
# error: connecting (PLACE): "; the ErrorBox ends it with a full stop unless
# its last character is at most ".".
"$native" exec --odbc "DRIVER={SQLite3};Database=$dir/data/Kestin" --sql "select 1" 2>&1 >/dev/null |
    sed '1s/^orvel-updater-cli: error: connecting ([^)]*): //' >"$dir/expected.err"
driver_message=$(cat "$dir/expected.err")
[ "$(printf '%d' "'${driver_message: -1}")" -gt 46 ] && driver_message+="."
click "$caption" "کستين اورول" && click "$caption" "$start_caption"
answered_by error "$driver_message" "a connection that fails: the ErrorBox shows the driver's message, as the Linux tool does"

# Access: the file dialog offers the .mdb files; cancelling it ends the
# attempt without a word.
click "$caption" "ديتا بيس Access" && click "$caption" "$start_caption"
if until_shown "$open_caption"; then
    controls_of "$open_caption" | awk -F'\t' '$2 == "ComboBox" { print $6 }' | grep -qx 'DataBase Files(\*\.mdb)' &&
        ok "Access: the file dialog offers \"DataBase Files(*.mdb)\"" ||
        fail "Access: the file dialog offers \"DataBase Files(*.mdb)\": $(controls_of "$open_caption" | awk -F'\t' '$2 == "ComboBox" { print $6 }' | tr '\n' '|')"
    press "$open_caption" Escape
    until_gone "$open_caption" && [ -z "$(window_line "$title")" ] &&
        ok "Access: cancelling the file dialog ends the attempt without a message" ||
        fail "Access: cancelling the file dialog ends the attempt without a message"
else
    fail "Access: Start shows the file dialog"
fi
click "$caption" "ديتا بيس SQL Server"

# 3. The query window, on the office-automation database: modal, runs a
# typed statement, empty at each opening.
click "$caption" "پلسا اورول"
click "$caption" ""
if until_shown "$query_caption"; then
    [ "$(window_line "$caption" | cut -f2)" = 0 ] && ok "the query window is modal: the main window takes no input" ||
        fail "the query window is modal"
    [ "$(focused_text "$query_caption")" = "" ] && [ "$(controls_of "$query_caption" | awk -F'\t' '$4 == "1" { print $2 }')" = Edit ] &&
        ok "the text box has the focus" || fail "the text box has the focus"
    press "$query_caption" c r e a t e space t a b l e space Q u e r y C h e c k parenleft N a m e space t e x t parenright
    click "$query_caption" "اجرا"
    if answered_by plain "$query_succeeded" "the typed statement runs: the success message"; then
        [ "$(sqlite3 "$dir/data/Pelsa" "select count(*) from sqlite_master where name = 'QueryCheck'")" = 1 ] &&
            ok "the statement reached the database of the chosen product" || fail "the statement reached the database"
    fi
    press "$query_caption" Escape
    until_gone "$query_caption" && ok "Esc closes the query window" || fail "Esc closes the query window"
    [ "$(window_line "$caption" | cut -f2)" = 1 ] && ok "the main window takes input again" ||
        fail "the main window takes input again"
    click "$caption" ""
    if until_shown "$query_caption"; then
        [ -z "$(text_of_class "$query_caption" Edit)" ] && ok "the text box is empty at the next opening" ||
            fail "the text box is empty at the next opening"
        press "$query_caption" Escape
        until_gone "$query_caption"
    else
        fail "the query window opens again"
    fi
else
    fail "the query button opens the query window"
fi

# 4. The check before the run: a view stands where the run alters the table
# Transfer.  Start lists the refusal in the check dialog before anything is
# sent; "Close" ends the attempt, "Run anyway" runs as before and meets the
# refusal.  Then the table is put back for the whole run below.
sqlite3 "$dir/data/Pelsa" "drop table Transfer; create view Transfer as select 1 as CT;"
schema_before=$(sqlite3 "$dir/data/Pelsa" .schema)
click "$caption" "$start_caption"
if until_shown "$check_caption"; then
    ok "Start shows the check dialog when the check foresees a refusal"
    report=$(text_of_class "$check_caption" Edit)
    case "$report" in
    *TRansfer*2010*"Transfer is a view"*"DROP VIEW [Transfer]"*) ok "the dialog lists the step, the error, what stands there and the advice" ;;
    *) fail "the dialog lists the step, the error, what stands there and the advice: \"$report\"" ;;
    esac
    [ -n "$(centre_of "$check_caption" "$run_anyway_text")" ] && ok "the dialog has \"Run anyway\"" ||
        fail "the dialog has \"Run anyway\""
    focused "$check_caption" "$close_text" && ok "\"Close\" has the focus" ||
        fail "\"Close\" has the focus, not \"$(focused_text "$check_caption")\""
    import -window "$(x_window "$check_caption")" "$shots/check-dialog.png"
    click "$check_caption" "$close_text"
    until_gone "$check_caption" && ok "\"Close\" closes the dialog" || fail "\"Close\" closes the dialog"
    [ -z "$(window_line "$title")" ] && ok "\"Close\" ends the attempt without a message" ||
        fail "\"Close\" ends the attempt without a message"
    [ "$(sqlite3 "$dir/data/Pelsa" .schema)" = "$schema_before" ] && ok "after \"Close\" nothing was sent" ||
        fail "after \"Close\" nothing was sent"
    click "$caption" "$start_caption"
    if until_shown "$check_caption"; then
        click "$check_caption" "$run_anyway_text"
        if until_shown "$title"; then
            shown=$(text_of_class "$title" Static | grep -v -e '^$' -e '^\[icon\]$' | tr '\n' ' ')
            case "$shown" in
            *Transfer*) ok "\"Run anyway\" runs and meets the refusal: the ErrorBox names the table" ;;
            *) fail "\"Run anyway\" runs and meets the refusal: the ErrorBox shows \"$shown\"" ;;
            esac
            press "$title" Return
            until_gone "$title" || fail "Enter dismisses the ErrorBox"
        else
            fail "\"Run anyway\" runs and meets the refusal: no message box appeared"
        fi
    else
        fail "Start shows the check dialog again"
    fi
else
    fail "Start shows the check dialog when the check foresees a refusal"
fi
sqlite3 "$dir/data/Pelsa" "drop view Transfer; create table Transfer(CT Integer);"

# 5. A whole run, then Enter on Exit.  Another program holds the database
# locked for the run's first seconds: the run waits for it (the driver's busy
# timeout), under the wait cursor.
(echo "BEGIN EXCLUSIVE;"; sleep 4; echo "COMMIT;") | sqlite3 "$dir/data/Pelsa" &
sleep 0.5
click "$caption" "$start_caption"
sleep 1
busy_pointer=$(pointer_now)
[ -n "$busy_pointer" ] && [ "$busy_pointer" != 0 ] && [ "$busy_pointer" != "$rest_pointer" ] &&
    ok "while the run waits for the database the pointer is the wait cursor, not the arrow" ||
    fail "while the run waits for the database the pointer is the wait cursor ($busy_pointer), not the arrow ($rest_pointer)"
if answered_by plain "$run_succeeded" "the office-automation run completes with the success box"; then
    [ "$box_pointer" = "$rest_pointer" ] && ok "the success box shows the arrow, not the wait cursor" ||
        fail "the success box shows the arrow ($rest_pointer), not $box_pointer"
    focused "$caption" "$exit_caption" && ok "after the run Exit has the focus" ||
        fail "after the run Exit has the focus, not \"$(focused_text "$caption")\""
    [ "$(pointer_now)" = "$rest_pointer" ] && ok "after the run the pointer is the arrow again" ||
        fail "after the run the pointer is the arrow ($rest_pointer), not $(pointer_now)"
    bars=$(text_of_class "$caption" OrvelGauge | tr '\n' ' ')
    [ "$bars" = "100% 61% " ] && ok "the bars end at 100% (the last table) and 61% (8 steps of 13 tables)" ||
        fail "the bars end at 100% and 61%, not $bars"
    import -window "$(x_window "$caption")" "$shots/main-window-after-run.png"
    columns=$(sqlite3 "$dir/data/Pelsa" "select count(*) from pragma_table_info('yapraqlar')")
    [ "$columns" -gt 1 ] && ok "the run added the columns ($columns in yapraqlar)" ||
        fail "the run added the columns: yapraqlar has $columns"
fi

press "$caption" Return
ended 0 && ok "Enter on Exit ends the program" || fail "Enter on Exit ends the program"

exit $((failures > 0))
