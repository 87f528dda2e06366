#!/usr/bin/env bash
# One writer at a time across programs, with real processes: the Linux
# filmtool beside filmtool.exe and beside tallo.exe under 64-bit Wine, over
# one film.dat. In each round one program changes an item (the holder) and
# another changes the same item or the next (the other), and:
#   - the holder is stopped (SIGSTOP) while it holds film.dat, in the middle
#     of its write (its journal whole) or at any moment of its hold, and the
#     other started: kept stopped until the other has ended, the other must
#     be refused; let go a moment later, the other must still be waiting
#     then, and write after it (tallo.exe never waits: it refuses at once);
#   - or both are started at once and let run.
# After each round every change a program reported done must be in film.dat
# and every one it refused must not, nothing else may have changed, and
# filmtool check must find nothing wrong. Four ways, ROUNDS rounds each
# (50 by default): the Linux filmtool holds and filmtool.exe tries, and the
# other way round; the Linux filmtool holds and tallo.exe tries, and the
# other way round (tallo.exe worked by tests/gui/amend_driver.exe).
#   scripts/one-writer-test.sh HOST_BUILD WIN_BUILD [ROUNDS]
source "$(dirname "$0")/common.sh"
host=$(cd "$1" && pwd)
win=$(cd "$2" && pwd)
rounds=${3:-50}
source "$(dirname "$0")/wine-common.sh"
wine_for_build "$win"
[ "$BUILD_BITS" = 64 ] ||
  skip "the programs' loop over one film.dat runs under 64-bit Wine only; $win is a 32-bit build"
[ -r /proc/locks ] ||
  skip "this kernel has no /proc/locks, where the loop sees which program holds film.dat"
[ -f "$win/tests/gui/amend_driver.exe" ] || fail "$win/tests/gui/amend_driver.exe is missing: build it first (make windows)"

wine_template "$win"
prefix=$(wine_fresh_prefix "$win")
driver_pid=
cleanup() {
  # A program left stopped by a failed round is let go, so that it can end.
  for pid in ${stopped:-}; do kill -CONT "$pid" 2>/dev/null || true; done
  if [ -n "$driver_pid" ]; then kill "$driver_pid" 2>/dev/null || true; fi
  wine_cleanup "$prefix"
}
trap cleanup EXIT
xvfb_start
export WINEPREFIX="$prefix"
# One server for the whole loop, so that each Wine program starts at once.
"$WINESERVER" -p

work="$prefix/drive_c/one-writer"
shop="$work/work/one-writer"  # the amend driver's folder
shop_windows='C:\one-writer\work\one-writer'
mkdir -p "$work"
cp "$win/filmtool/filmtool.exe" "$win/app/tallo.exe" "$win/tests/gui/amend_driver.exe" "$work/"
filmtool=$host/filmtool/filmtool
scratch=$work/scratch
mkdir -p "$scratch"
stopped=

# tallo.exe runs through the whole loop: the driver empties its folder
# first, then the inventory goes in.
cd "$work"
coproc DRIVER { exec "$WINE" amend_driver.exe 'C:\one-writer\tallo.exe' 2>"$scratch/driver.err"; }
driver_pid=$DRIVER_PID
exec {to_driver}>&"${DRIVER[1]}" {from_driver}<&"${DRIVER[0]}"
# ask LINE: sends a line to the driver; answer reads its reply into $reply.
ask() { echo "$1" >&"$to_driver"; }
answer() {
  reply=
  IFS= read -r -t 90 reply <&"$from_driver" || fail "the amend driver did not answer: $(cat "$scratch/driver.err")"
  reply=${reply%$'\r'}
  [[ "$reply" != failed* ]] || fail "the amend driver: $reply"
}
for _ in $(seq 100); do [ -d "$shop" ] && break; sleep 0.1; done
[ -d "$shop" ] || fail "the amend driver made no folder"
"$host/bench/geninv" "$shop/film.dat" --slots 200 --order random --seed 31 >/dev/null
# The journal is made by the first change, and stays.
"$filmtool" amend "$shop" 1 in_stock=1 >/dev/null

# The keys of film.dat and film.jnl in /proc/locks: major:minor:inode.
lock_key() {
  local dev ino
  read -r dev ino < <(stat -c '%d %i' "$1")
  printf '%02x:%02x:%d' $(((dev >> 8) & 0xfff)) $(((dev & 0xff) | ((dev >> 12) & 0xfff00))) "$ino"
}
data_key=$(lock_key "$shop/film.dat")

# running PID: whether the process is there and has not ended.
running() {
  local line
  { IFS= read -r line </proc/"$1"/stat; } 2>/dev/null || return 1
  line=${line##*) }
  [ "${line%% *}" != Z ]
}

# stopped_now PID: waits (a second at most) until the process has stopped.
stopped_now() {
  local line
  for _ in $(seq 100); do
    { IFS= read -r line </proc/"$1"/stat; } 2>/dev/null || return 1
    line=${line##*) }
    [ "${line%% *}" = T ] && return 0
    sleep 0.01
  done
  return 1
}

# caught PID HOW LIMIT: waits until film.dat is held (HOW = hold) or held
# with a whole journal beside it (HOW = journal), then stops the holder PID
# and makes sure that film.dat is still held once it has stopped. Gives up,
# with status 1, when PID ends first or after LIMIT seconds.
caught() {
  local pid=$1 how=$2 limit=$3 line held mark start=$SECONDS
  while [ $((SECONDS - start)) -lt "$limit" ] && running "$pid"; do
    # tallo.exe keeps running: its answer says that its write is over.
    [ "$pid" != "${tallo_pid:-}" ] || ! read -r -t 0 -u "$from_driver" || return 1
    held=
    while IFS= read -r line; do
      [[ "$line" == *" $data_key "* ]] && { held=1; break; }
    done </proc/locks
    if [ -n "$held" ] && [ "$how" = journal ]; then
      mark=
      { IFS= read -r -N 4 mark <"$shop/film.jnl"; } 2>/dev/null || true
      [ "$mark" = TLJ3 ] || held=
    fi
    [ -n "$held" ] || continue
    # It may have ended since: then there is nothing to stop.
    kill -STOP "$pid" 2>/dev/null || return 1
    stopped=$pid
    stopped_now "$pid" && grep -q " $data_key " /proc/locks && return 0
    let_go "$pid"
  done
  return 1
}

let_go() {
  kill -CONT "$1" 2>/dev/null || true
  stopped=
}

# finish PID: waits for a process of this script, up to a minute; its exit
# status in $status.
finish() {
  local start=$SECONDS
  while running "$1"; do
    [ $((SECONDS - start)) -lt 60 ] || { kill "$1"; fail "a program did not end within a minute"; }
    sleep 0.02
  done
  status=0
  wait "$1" || status=$?
}

# The programs. Each change starts in the background with its output in
# $scratch/NAME.out and .err, and sets $pid (the process to stop; for
# tallo.exe, tallo.exe itself).
start_change() {  # NAME PROGRAM NUMBER FIELD VALUE
  local name=$1 program=$2 number=$3 field=$4 value=$5
  case $program in
    linux) "$filmtool" amend "$shop" "$number" "$field=$value" >"$scratch/$name.out" 2>"$scratch/$name.err" &
      pid=$! ;;
    windows) "$WINE" "$work/filmtool.exe" amend "$shop_windows" "$number" "$field=$value" \
      >"$scratch/$name.out" 2>"$scratch/$name.err" &
      pid=$! ;;
    tallo) ask "amend $number $value"
      pid=$tallo_pid ;;
  esac
}

# end_change NAME PROGRAM: waits for the change and sets $outcome: done,
# busy (refused: another program held film.dat), changed (refused: the
# item changed since it was read) or "unexpected ..." with what it said.
end_change() {
  local name=$1 program=$2 said
  if [ "$program" = tallo ]; then
    answer
    case $reply in
      done) outcome=done ;;
      "refused Data file: film.dat, not present.") outcome=busy ;;
      "refused Film.dat was changed by another program."*) outcome=changed ;;
      *) outcome="unexpected: tallo.exe $reply" ;;
    esac
    return 0
  fi
  finish "$pid_of_change"
  said=$(tr -d '\r' <"$scratch/$name.err")
  if [ "$status" = 0 ]; then
    outcome=done
  elif [ "$status" = 1 ] && [ "$said" = "filmtool: another program is changing film.dat; try again" ]; then
    outcome=busy
  elif [ "$status" = 1 ] && [[ "$said" == *"changed by another program"* ]]; then
    outcome=changed
  else
    outcome="unexpected: exit $status: $said"
  fi
}

# export_now NAME: film.dat's rows in $scratch/NAME.csv: slot, number,
# description, sku, in_stock, tax, cost_price, trade_price, price, category
# (the version mark left out: it follows the rest).
export_now() { "$filmtool" export "$shop" | cut -d, -f1-10 >"$scratch/$1.csv"; }
column_of() { case $1 in in_stock) echo 5 ;; price) echo 9 ;; esac; }

failures=0
bad() {
  echo "FAILED $way, round $round: $*"
  failures=$((failures + 1))
}

price_for() { printf '%d.%02d' $((way_number * 100 + round)) $((round % 100)); }
stock_for() { echo $((way_number * 1000 + round + ${1:-0})); }

# A round of WAY: HOLDER changes item A's field, OTHER item B's (A itself
# every other round). In six rounds of ten the holder is stopped while it
# holds film.dat, in the middle of its write (its journal whole) or at any
# moment of its hold: in one kept stopped until the other has ended, in five
# let go after a moment. In the other four both run freely.
play() {
  local holder=$1 other=$2 a b hold_field other_field hold_value other_value plan how
  local hold_outcome other_outcome holder_pid other_pid
  case $((round % 10)) in
    0) plan=refuse how=hold
      [ $((round / 10 % 2)) = 0 ] || how=journal ;;
    1 | 3 | 7) plan=wait how=journal ;;
    5 | 9) plan=wait how=hold ;;
    *) plan=race how= ;;
  esac
  a=$((2 + round % 97))
  b=$((a + round % 2))
  # tallo.exe changes the stock, the other program the price.
  if [ "$holder" = tallo ]; then hold_field=in_stock other_field=price
  else hold_field=price other_field=in_stock; fi
  if [ "$hold_field" = price ]; then hold_value=$(price_for); else hold_value=$(stock_for); fi
  if [ "$other_field" = price ]; then other_value=$(price_for); else other_value=$(stock_for 500); fi

  start_change holder "$holder" "$a" "$hold_field" "$hold_value"
  holder_pid=$pid
  # tallo.exe's write comes a moment after the amend dialog.
  local limit=10 stop=
  [ "$holder" != tallo ] || limit=3
  [ -z "$how" ] || ! caught "$holder_pid" "$how" "$limit" || stop=1
  start_change other "$other" "$b" "$other_field" "$other_value"
  other_pid=$pid
  pid_of_change=$other_pid
  if [ -n "$stop" ]; then
    holds=$((holds + 1))
    # tallo.exe never waits for film.dat: it refuses at once.
    if [ "$plan" = refuse ] || [ "$other" = tallo ]; then
      end_change other "$other"
      other_outcome=$outcome
      [ "$other_outcome" = busy ] ||
        bad "$other ended with \"$other_outcome\" while $holder held film.dat"
      let_go "$holder_pid"
    else
      sleep 0.6
      running "$other_pid" || bad "$other ended while $holder held film.dat"
      let_go "$holder_pid"
      end_change other "$other"
      other_outcome=$outcome
      [ "$other_outcome" != done ] || waits=$((waits + 1))
    fi
  else
    [ -z "$how" ] || missed=$((missed + 1))
    end_change other "$other"
    other_outcome=$outcome
  fi
  pid_of_change=$holder_pid
  end_change holder "$holder"
  hold_outcome=$outcome
  for o in "$hold_outcome" "$other_outcome"; do
    case $o in
      done) dones=$((dones + 1)) ;;
      busy) refusals=$((refusals + 1)) ;;
      changed) changes=$((changes + 1)) ;;
      *) bad "$o" ;;
    esac
  done
  # film.dat must hold what was there before with exactly the changes
  # reported done: a change done but not there is lost, one refused but
  # there was reported wrong.
  export_now after
  local expected="$scratch/expected.csv" differs
  awk -F, -v OFS=, \
    -v a="$a" -v ac="$(column_of "$hold_field")" -v av="$hold_value" -v ad="$hold_outcome" \
    -v b="$b" -v bc="$(column_of "$other_field")" -v bv="$other_value" -v bd="$other_outcome" \
    '$2 == a && ad == "done" { $ac = av } $2 == b && bd == "done" { $bc = bv } { print }' \
    "$scratch/before.csv" >"$expected"
  differs=$(diff "$expected" "$scratch/after.csv" | grep '^[<>]' | head -n 4 || true)
  [ -z "$differs" ] || bad "$holder ($hold_outcome: item $a $hold_field=$hold_value)," \
    "$other ($other_outcome: item $b $other_field=$other_value); film.dat differs from what they" \
    "reported (< reported, > film.dat): $(paste -sd ' ' <<<"$differs")"
  mv "$scratch/after.csv" "$scratch/before.csv"
  local checked=0
  "$filmtool" check "$shop" >"$scratch/check.out" 2>&1 || checked=$?
  [ "$checked" = 0 ] || bad "filmtool check: $(tail -n 3 "$scratch/check.out")"
}

# way NUMBER HOLDER OTHER TITLE: ROUNDS rounds, then a line of what they did.
all_rounds=0 all_holds=0 all_waits=0 all_refusals=0 all_dones=0
way() {
  way_number=$1
  way=$4
  holds=0 waits=0 missed=0 dones=0 refusals=0 changes=0
  local failed_before=$failures start=$SECONDS
  export_now before
  for round in $(seq "$rounds"); do play "$2" "$3"; done
  echo "$way: $rounds rounds in $((SECONDS - start)) s: stopped while it held film.dat" \
    "$holds times ($missed times not caught in time), $waits waits that ended in a write;" \
    "$dones changes done, $refusals refused while film.dat was held, $changes refused as" \
    "changed meanwhile; $((failures - failed_before)) failures"
  all_rounds=$((all_rounds + rounds)) all_holds=$((all_holds + holds))
  all_waits=$((all_waits + waits)) all_refusals=$((all_refusals + refusals))
  all_dones=$((all_dones + dones))
}

way 1 linux windows "the Linux filmtool holds, filmtool.exe tries"
way 2 windows linux "filmtool.exe holds, the Linux filmtool tries"
ask start
answer
# tallo.exe's own process, to stop while it holds film.dat: the one of
# this prefix whose command line names it.
tallo_pid=
for _ in $(seq 100); do
  for p in /proc/[0-9]*; do
    { tr '\0' '\n' <"$p/cmdline" | head -n 1 | grep -qi 'tallo\.exe$' &&
      tr '\0' '\n' <"$p/environ" | grep -qx "WINEPREFIX=$prefix" &&
      tallo_pid=${p#/proc/}; } 2>/dev/null || true
  done
  [ -n "$tallo_pid" ] && break
  sleep 0.1
done
[ -n "$tallo_pid" ] || fail "cannot find tallo.exe's process"
way 3 linux tallo "the Linux filmtool holds, tallo.exe tries"
way 4 tallo linux "tallo.exe holds, the Linux filmtool tries"
ask exit
answer

summary="$all_rounds rounds: stopped while it held film.dat $all_holds times, $all_waits waits"
summary+=" that ended in a write, $all_dones changes done, $all_refusals refused while held"
[ "$failures" = 0 ] || { echo "one writer at a time: $summary, and $failures failures"; exit 1; }
echo "one writer at a time: $summary: every change reported done is in film.dat, every refused one is not"
