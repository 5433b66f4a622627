#!/usr/bin/env bash
# Keeps the score of the receive path: the built terminal in a real window under Xvfb, fed by the
# unit simulator on a pseudo-terminal, with CuteCom (a Qt terminal, display only) and picocom
# (display only, and with its log on) on the same floods and paced stream; each capture file is
# checked against what the unit sent; the echo and the time to paint are taken in-process by
# flood-bench on the same display. Prints one table, with the ratios to the peers. A benchmark,
# not a test: nothing here passes or fails.
#
#   bench/run_bench.sh            BENCH_MIB (flood size, default 32), BENCH_SECONDS (paced and
#                                 idle, default 10), BENCH_FLOODS (memory run, default 10)
set -euo pipefail
cd "$(dirname "$0")/.."
MIB=${BENCH_MIB:-32}
SECS=${BENCH_SECONDS:-10}
FLOODS=${BENCH_FLOODS:-10}
BYTES=$((MIB * 1024 * 1024))

missing=()
command -v Xvfb >/dev/null || missing+=(xvfb)
command -v xdotool >/dev/null || missing+=(xdotool)
command -v picocom >/dev/null || missing+=(picocom)
command -v cutecom >/dev/null || missing+=(cutecom)
command -v script >/dev/null || missing+=(bsdutils)
if [ ${#missing[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}" >/dev/null
fi
scripts/install-deps.sh >/dev/null
scripts/build.sh >/dev/null

work=$(mktemp -d)
mkdir -p "$work/ports" "$work/home/Desktop"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  pkill -f -- "$work/" 2>/dev/null || true # anything else started on the work folder
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display and writes its number once it takes connections.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
pids+=("$xvfb")
for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || { echo "bench: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(head -n1 "$work/display")
# The display number can come before the server takes connections. (-noreset: without it the
# server resets whenever its last client leaves, and refuses connections meanwhile.)
for _ in $(seq 200); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.05; done

# CPU time of a process, all its threads, in nanoseconds.
cpu_ns() {
  local sum=0 t
  for t in /proc/"$1"/task/*/schedstat; do
    read -r run _ <"$t" 2>/dev/null && sum=$((sum + run))
  done
  echo "$sum"
}
now_ns() { date +%s%N; }
rss_mib() { awk '/VmRSS/ { printf "%.1f", $2 / 1024 }' /proc/"$1"/status; }
# Waits until a process's CPU time stops rising (the program has handled what came).
settle() {
  local a b
  a=$(cpu_ns "$1")
  while sleep 0.3; b=$(cpu_ns "$1"); [ $((b - a)) -gt 3000000 ]; do a=$b; done
}
# Waits for a line matching $2 in file $1, the $3rd of its kind (default first).
wait_line() {
  for _ in $(seq 6000); do
    [ "$(grep -c -- "$2" "$1" 2>/dev/null || true)" -ge "${3:-1}" ] && return 0
    sleep 0.01
  done
  echo "bench: gave up waiting for '$2' in $1" >&2
  return 1
}

unit=
start_unit() {
  [ -n "$unit" ] && { kill "$unit"; wait "$unit" 2>/dev/null || true; }
  : >"$work/unit.log"
  build/tools/brenix-unit "$work/ports/com1" "$@" </dev/null >"$work/unit.log" 2>&1 &
  unit=$!
  pids+=("$unit")
  for _ in $(seq 100); do [ -e "$work/ports/com1" ] && return; sleep 0.02; done
}

term=
# Starts the terminal; sets `startup_ms` to the time until its window is shown.
start_terminal() {
  local t0 w
  t0=$(now_ns)
  HOME="$work/home" BRENIX_PORT_DIR="$work/ports" build/src/brenix-terminal "$@" \
    >"$work/term.log" 2>&1 &
  term=$!
  pids+=("$term")
  while ! w=$(xdotool search --onlyvisible --name '^Brenix Terminal' 2>/dev/null); do
    kill -0 "$term" 2>/dev/null || { echo "bench: the terminal ended:" >&2; cat "$work/term.log" >&2; exit 1; }
    sleep 0.005
  done
  startup_ms=$((($(now_ns) - t0) / 1000000))
  window=$(head -n1 <<<"$w")
}
stop_terminal() { kill "$term"; wait "$term" 2>/dev/null || true; }
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }

# Where "Open" and "Save" are: the window's own painting log names each control's place.
start_unit --interval 3600000
QT_LOGGING_RULES="qt.widgets.painting=true" start_terminal
sleep 1
stop_terminal
place() {
  grep -o "name=\"$1\") as needing flush in frmMain([^)]*) at offset QPoint([0-9]*,[0-9]*)" \
    "$work/term.log" | head -n1 | sed 's/.*QPoint(\([0-9]*\),\([0-9]*\))/\1 \2/'
}
read -r ox oy <<<"$(place 'optStatus(0)')"
read -r sx sy <<<"$(place btnSave)"
open_port() { click $((ox + 8)) $((oy + 8)); wait_line "$work/unit.log" 'powered on'; }

startups=()
for _ in 1 2 3; do
  start_terminal
  startups+=("$startup_ms")
  stop_terminal
done
startup=$(printf '%s\n' "${startups[@]}" | sort -n | sed -n 2p)

# Lost and extra bytes of a file against what the unit sent ($2, its --log): "capture" is the
# terminal's rule (LF dropped, CR as CR LF), "raw" the bytes as they came. "differs" when the
# sizes agree and the bytes do not.
lost_extra() {
  /usr/bin/python3 - "$@" <<'PY'
import sys
kind, sent, got = sys.argv[1:4]
s, g = open(sent, "rb").read(), open(got, "rb").read()
if kind == "capture":
    s = s.replace(b"\n", b"").replace(b"\r", b"\r\n")
tag = "" if s == g or len(s) != len(g) else " differs"
print("%d/%d%s" % (max(0, len(s) - len(g)), max(0, len(g) - len(s)), tag))
PY
}
# MB/s and CPU s/MiB of a flood of BYTES that took $1 seconds and $2 ns of CPU.
per_mib() {
  awk -v b="$BYTES" -v s="$1" -v c="$2" -v m="$MIB" \
    'BEGIN { printf "%.2f %.3f", b / s / 1e6, c / 1e9 / m }'
}
flood_secs() { grep -o 'sent in [0-9.]*' "$work/unit.log" | awk '{print $3}'; }
# A flood of BYTES into process $1, started by the command $2 (which opens the port): sets
# f_mbs and f_cpu.
measure_flood() {
  local c0 c1
  c0=$(cpu_ns "$1")
  eval "$2"
  wait_line "$work/unit.log" 'flood:'
  settle "$1"
  c1=$(cpu_ns "$1")
  read -r f_mbs f_cpu <<<"$(per_mib "$(flood_secs)" $((c1 - c0)))"
}
# Resident MiB of process $1 after each of $2 8 MiB floods (default two), in `mem`; the unit
# was started with --flood 8 MiB and the port is open.
floods() {
  local i
  mem=()
  for i in $(seq "${2:-2}"); do
    [ "$i" -gt 1 ] && kill -USR1 "$unit"
    wait_line "$work/unit.log" 'flood:' "$i"
    settle "$1"
    mem+=("$(rss_mib "$1")")
  done
}

# The terminal: a flood with capture off and on (its file checked against what was sent).
brenix_flood() {
  rm -f "$work/sent.bin" "$work"/home/Desktop/*.txt
  start_unit --flood "$BYTES" --interval 3600000 --log "$work/sent.bin"
  start_terminal
  sleep 0.5
  [ "$1" = on ] && click $((sx + 8)) $((sy + 8)) && sleep 0.3
  measure_flood "$term" open_port
  stop_terminal
}
brenix_flood off
off_mbs=$f_mbs off_cpu=$f_cpu
brenix_flood on
on_mbs=$f_mbs on_cpu=$f_cpu
capture=$(find "$work/home" -name '*.txt' | head -n1)
on_lost=$(lost_extra capture "$work/sent.bin" "$capture")

# Memory over repeated floods in one run of the terminal (the table shows it after the second).
start_unit --flood $((8 * 1024 * 1024)) --interval 3600000
start_terminal
sleep 0.5
open_port
floods "$term" "$FLOODS"
rss=("${mem[@]}")
stop_terminal

# CPU share of a process and of the X server over SECS seconds.
share() {
  local c0 x0 t0 c1 x1 t1
  c0=$(cpu_ns "$1"); x0=$(cpu_ns "$xvfb"); t0=$(now_ns)
  sleep "$SECS"
  c1=$(cpu_ns "$1"); x1=$(cpu_ns "$xvfb"); t1=$(now_ns)
  awk -v c=$((c1 - c0)) -v x=$((x1 - x0)) -v t=$((t1 - t0)) \
    'BEGIN { printf "%.2f %.2f", 100 * c / t, 100 * x / t }'
}
# Paced: the unit's readings at 3,840 B/s (38,400 baud), after its start-up lines.
start_unit --baud 38400 --pace 3840 --interval 5
start_terminal
sleep 0.5
open_port
sleep 3
read -r paced paced_x <<<"$(share "$term")"
stop_terminal
# Garbage: a unit at another baud rate, random bytes at the same 3,840 B/s.
start_unit --baud 38400 --pace 3840 --garbage
start_terminal
sleep 0.5
open_port
sleep 3
read -r garbage _ <<<"$(share "$term")"
stop_terminal
# Idle: the port open, the unit silent after its start-up lines.
start_unit --interval 3600000
start_terminal
sleep 0.5
open_port
sleep 3
read -r idle idle_x <<<"$(share "$term")"
stop_terminal

# The floor under any Qt pane on this machine: a bare window of the pane's size woken every
# 15 ms, only woken, and scrolling one line of text per wake-up.
floor_case() {
  build/bench/paint-floor "$1" >/dev/null 2>&1 &
  local p=$!
  pids+=("$p")
  sleep 1
  share "$p"
  kill "$p"
  wait "$p" 2>/dev/null || true
}
read -r floor_timer _ <<<"$(floor_case timer)"
read -r floor_line floor_line_x <<<"$(floor_case line)"

# picocom, display only and with its log on. It wants a terminal of its own: script gives it one.
picocom_run() {
  script -qfec "picocom -q --nolock -b 38400 $1 $work/ports/com1" /dev/null </dev/null \
    >/dev/null 2>&1 &
  pids+=("$!")
  for _ in $(seq 200); do pico=$(pgrep -n -x picocom) && break; sleep 0.01; done
}
picocom_stop() {
  kill "$pico" 2>/dev/null
  for _ in $(seq 50); do kill -0 "$pico" 2>/dev/null || return 0; sleep 0.02; done
  kill -9 "$pico" 2>/dev/null || true
}
picocom_flood() {
  rm -f "$work/sent.bin" "$work/picocom.log"
  start_unit --flood "$BYTES" --interval 3600000 --log "$work/sent.bin"
  picocom_run "$1"
  measure_flood "$pico" true
  picocom_stop
}
picocom_flood ""
p_mbs=$f_mbs p_cpu=$f_cpu
picocom_flood "--logfile $work/picocom.log"
p_on_mbs=$f_mbs p_on_cpu=$f_cpu
p_lost=$(lost_extra raw "$work/sent.bin" "$work/picocom.log")
start_unit --flood $((8 * 1024 * 1024)) --interval 3600000
picocom_run ""
floods "$pico"
p_mem=("${mem[@]}")
picocom_stop
start_unit --baud 38400 --pace 3840 --interval 5
picocom_run ""
sleep 3
read -r p_paced _ <<<"$(share "$pico")"
picocom_stop

# CuteCom, display only: its session names the port and the baud rate, and its Open button is
# clicked as the program's is.
mkdir -p "$work/cutecom/.config/CuteCom"
printf '%s\n' '[sessions]' '1\BaudRate=38400' '1\DataBits=8' "1\\Device=$work/ports/com1" \
  '1\FlowControl=0' '1\OpenMode=3' '1\Parity=0' '1\StopBits=1' '1\autoReconnect=false' \
  '1\name=Default' 'size=1' >"$work/cutecom/.config/CuteCom/CuteCom5.conf"
cutecom_start() {
  HOME="$work/cutecom" cutecom >"$work/cutecom.log" 2>&1 &
  cute=$!
  pids+=("$cute")
  while ! cw=$(xdotool search --onlyvisible --name 'CuteCom' 2>/dev/null); do sleep 0.05; done
  sleep 0.5
}
cutecom_open() { xdotool mousemove --window "$(head -n1 <<<"$cw")" 50 42 click 1; }
cutecom_stop() { kill "$cute"; wait "$cute" 2>/dev/null || true; }
start_unit --flood "$BYTES" --interval 3600000
cutecom_start
measure_flood "$cute" cutecom_open
c_mbs=$f_mbs c_cpu=$f_cpu
cutecom_stop
start_unit --flood $((8 * 1024 * 1024)) --interval 3600000
cutecom_start
cutecom_open
floods "$cute"
c_mem=("${mem[@]}")
cutecom_stop
start_unit --baud 38400 --pace 3840 --interval 5
cutecom_start
cutecom_open
wait_line "$work/unit.log" 'powered on'
sleep 3
read -r c_paced c_paced_x <<<"$(share "$cute")"
cutecom_stop
start_unit --baud 38400 --pace 3840 --garbage
cutecom_start
cutecom_open
wait_line "$work/unit.log" 'powered on'
sleep 3
read -r c_garbage _ <<<"$(share "$cute")"
cutecom_stop

# In-process on the same display: the time from a line written, and from a key pressed, to the
# text painted; the window's answers during a flood.
QT_QPA_PLATFORM=xcb BRENIX_PORT_DIR="$work/none" BENCH_CASES=flood,paced,echo,garbage \
  build/bench/flood-bench 8 "$SECS" >"$work/inproc.txt" 2>/dev/null
p99() { grep "^$1" "$work/inproc.txt" | grep -o 'p99 [0-9.]*' | awk '{print $2}'; }
echo_p99=$(p99 echo)
garbage_line=$(grep '^garbage' "$work/inproc.txt" || true)
paced_p99=$(p99 paced)
answers_p99=$(p99 'flood, capture off')

ratio() {
  [[ "$1" =~ ^[0-9.]+$ && "$2" =~ ^[0-9.]+$ ]] || { echo -; return; }
  awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'
}
printf '%-44s %9s %9s %9s %8s %8s %10s\n' case Brenix CuteCom picocom /CuteCom /picocom goal
row() {
  printf '%-44s %9s %9s %9s %8s %8s %10s\n' "$1" "$2" "$3" "$4" "$(ratio "$2" "$3")" \
    "$(ratio "$2" "$4")" "$5"
}
row "flood ${MIB} MiB, display only: MB/s" "$off_mbs" "$c_mbs" "$p_mbs" "> picocom"
row "flood, display only: CPU s/MiB" "$off_cpu" "$c_cpu" "$p_cpu" "<= picocom"
row "flood, capture on (picocom: log): MB/s" "$on_mbs" - "$p_on_mbs" "> picocom"
row "flood, capture on: CPU s/MiB" "$on_cpu" - "$p_on_cpu" "<= picocom"
row "flood, capture on: lost/extra bytes" "$on_lost" - "$p_lost" "0/0"
row "flood: window answers, p99 ms late" "$answers_p99" - - "< 20"
row "paced 3,840 B/s: CPU %" "$paced" "$c_paced" "$p_paced" "<= 0.6x Cute, 1.6"
row "paced: X server CPU %" "$paced_x" "$c_paced_x" - "<= CuteCom"
row "garbage 3,840 B/s: CPU %" "$garbage" "$c_garbage" - "<= 1.5x paced"
row "paced: line written to painted, p99 ms" "$paced_p99" - - "< 100"
row "echo: key pressed to echo painted, p99 ms" "$echo_p99" - - "< 20"
row "resident MiB after two 8 MiB floods" "${rss[1]}" "${c_mem[1]}" "${p_mem[1]}" "<= 40, flat"
row "idle, port open: CPU %" "$idle" - - "<= 0.1"
row "floor: bare window woken every 15 ms: CPU %" "$floor_timer" - - -
row "floor: it scrolls a line each time: CPU %" "$floor_line" - - -
row "floor: its X server CPU %" "$floor_line_x" - - -
row "idle: X server CPU %" "$idle_x" - - -
row "start-up to a shown window: ms" "$startup" - - -
echo "resident MiB after each 8 MiB flood: Brenix ${rss[*]}; CuteCom ${c_mem[*]}; picocom ${p_mem[*]}"
echo "after 16 KiB of NUL, 32 KiB of garbage and a letter (in-process, window active): ${garbage_line:-none}"
echo "capture file: $(stat -c %s "$capture" 2>/dev/null || echo none) bytes; start-up ms ${startups[*]}"
