#!/usr/bin/env bash
# Random input for the real program: starts zelto in a virtual X server with
# a report loaded and, for MINUTES minutes (default 1), sends random clicks
# (mostly on the panel's widgets and in the 3D view), drags with every button
# with and without Ctrl or Shift held, wheel turns, random keys (space,
# Escape, Return, Backspace, Ctrl+C, Ctrl+V, letters, digits...) and typed
# text, including the paths of valid and broken reports typed into the report
# path field and absurd numbers typed into the number fields. Then it checks
# that the program is alive and still answers (switching pages changes the
# window's picture), closes it with SIGTERM and checks exit status 0 and the
# two timing lines. On failure it prints the seed, the last actions and the
# program's output.
#
#   ./scripts/monkey.sh [MINUTES]
#
# Environment:
#   ZELTO_BINARY        the program (default: a Release build in build/release)
#   ZELTO_GEN_REPORT    the report generator (default: next to ZELTO_BINARY)
#   ZELTO_MONKEY_SEED   seed of the random input (default: from the clock)
#   ZELTO_MONKEY_SKIP_STATUS  exit status when Xvfb, xdotool or ImageMagick is
#                       missing (default: 1, a failure)
# For the sanitizer build, pass ASAN_OPTIONS / LSAN_OPTIONS as usual; ctest
# runs it with leak detection off and every sanitizer error fatal.
set -uo pipefail

minutes="${1:-1}"
if ! [[ "$minutes" =~ ^[0-9]+([.][0-9]+)?$ ]]; then
  echo "usage: $0 [MINUTES]" >&2
  exit 2
fi
skip_status="${ZELTO_MONKEY_SKIP_STATUS:-1}"
for tool in Xvfb xdotool xdpyinfo import compare; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "monkey: $tool is not installed (./scripts/test.sh installs it)" >&2
    exit "$skip_status"
  fi
done

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
binary="${ZELTO_BINARY:-}"
if [ -z "$binary" ]; then
  # shellcheck source=common.sh
  source "$root/scripts/common.sh"
  zelto_build_release >/dev/null
  binary="$ZELTO_RELEASE_DIR/zelto"
fi
gen_report="${ZELTO_GEN_REPORT:-$(dirname "$binary")/gen_report}"
for program in "$binary" "$gen_report"; do
  if [ ! -x "$program" ]; then
    echo "monkey: $program is not an executable" >&2
    exit 1
  fi
done
binary="$(realpath "$binary")"
gen_report="$(realpath "$gen_report")"

seed="${ZELTO_MONKEY_SEED:-$(( ($(date +%s) ^ $$) % 32768 ))}"
RANDOM="$seed"
work="$(mktemp -d "${TMPDIR:-/tmp}/zelto_monkey_XXXXXX")"
log="$work/zelto.log"
actions="$work/actions.log"
xvfb_pid=""
zelto_pid=""

cleanup() {
  if [ -n "$zelto_pid" ] && kill -0 "$zelto_pid" 2>/dev/null; then kill -KILL "$zelto_pid" 2>/dev/null; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; fi
  [ -n "${ZELTO_MONKEY_KEEP:-}" ] || rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "MONKEY FAILED: $*"
  echo "seed: $seed (rerun with ZELTO_MONKEY_SEED=$seed $0 $minutes)"
  echo "---- last actions ----"
  tail -n 40 "$actions" 2>/dev/null
  echo "---- program output (last 200 lines) ----"
  tail -n 200 "$log" 2>/dev/null
  # A program that is alive but does not answer: where it is stuck.
  if [ -n "$zelto_pid" ] && kill -0 "$zelto_pid" 2>/dev/null; then
    if [ -n "${window:-}" ] && command -v xwininfo >/dev/null 2>&1; then
      echo "---- the window ----"
      xwininfo -id "$window" 2>&1 | grep -E "Absolute|Width|Height|Map State"
    fi
    if command -v gdb >/dev/null 2>&1; then
      echo "---- the program's threads ----"
      gdb -p "$zelto_pid" -batch -ex "thread apply all bt 30" 2>/dev/null | grep -E "^(#|Thread)" | head -n 150
    fi
  fi
  exit 1
}

# ---------------------------------------------------------------------------
# Reports to type and drop: valid ones and broken ones
# ---------------------------------------------------------------------------
cd "$work" || exit 1
"$gen_report" --exercises 5 --duration 10 --angles --emg --seed "$seed" -o demo.tsv || fail "gen_report"
"$gen_report" --exercises 1 --duration 0.3 -o small.tsv || fail "gen_report"
"$gen_report" --exercises 60 --duration 0.5 --frequency 50 -o many.tsv || fail "gen_report"
"$gen_report" --exercises 3 --duration 0.01 -o one_sample.tsv || fail "gen_report"
sed 's/^Frequency,Hz\t.*/Frequency,Hz\t-250/' small.tsv > backwards.tsv
sed 's/^Frequency,Hz\t.*/Frequency,Hz\tnan/' small.tsv > no_rate.tsv
sed 's/^Exercises/Exercise/' demo.tsv > no_list.tsv
sed 's/^Calibr.*/Calibr\t1\t2\t3/' demo.tsv > short_calibration.tsv
head -c 20000 demo.tsv > truncated.tsv
awk -v seed="$seed" 'BEGIN { srand(seed); for (i = 0; i < 8192; i++) printf "%c", int(rand() * 256) }' > binary.tsv
: > empty.tsv
mkdir folder.tsv
mkfifo pipe.tsv
reports=(demo.tsv small.tsv many.tsv one_sample.tsv backwards.tsv no_rate.tsv no_list.tsv short_calibration.tsv
  truncated.tsv binary.tsv empty.tsv folder.tsv pipe.tsv missing.tsv "$work/demo.tsv" "$work/small.tsv")

# Text typed into whatever field is being edited.
words=("0" "1" "2" "3" "-1" "10" "25" "0.5" "-7.25" "180" "360" "-720" "1e999" "-1e999" "nan" "inf" "-inf"
  "99999999999" "-2147483649" "2147483647" "abc" "%s%n" "x" "" "1e308" "4.9e-324" "0x1p3" "  12abc"
  "$(printf 'z%.0s' {1..300})" "preset" "view" "../nowhere/x")

# ---------------------------------------------------------------------------
# The X server and the program
# ---------------------------------------------------------------------------
# The server picks a free display number itself (other servers may run on
# the machine); the screen is large enough for the biggest window size the
# panel offers (2350 x 2000).
Xvfb -displayfd 3 -noreset -screen 0 2400x2100x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 300); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(head -n 1 "$work/display")"
# The reports opened are remembered in the run's folder, not the user's.
export XDG_CONFIG_HOME="$work/config"
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || fail "Xvfb does not answer on $DISPLAY"
unset SDL_VIDEODRIVER WAYLAND_DISPLAY

"$binary" "$work/demo.tsv" >"$log" 2>&1 &
zelto_pid=$!
window="$(timeout 120 xdotool search --sync --name '^Zelto$' 2>/dev/null | head -n 1)"
[ -n "$window" ] || fail "no window named Zelto"
xdotool windowfocus --sync "$window" 2>/dev/null

# Side of the 3D view = window height; the panel starts there.
view=750
update_geometry() {
  local geometry
  # Without a window manager a window that grows keeps its top left corner
  # and may reach past the screen, where it gets no pointer events and shows
  # nothing: keep it at the screen's corner (the screen fits the largest size).
  xdotool windowmove "$window" 0 0 2>/dev/null
  geometry="$(xdotool getwindowgeometry "$window" 2>/dev/null | sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\2/p')"
  if [ -n "$geometry" ]; then view="$geometry"; fi
}

# ---------------------------------------------------------------------------
# Actions
# ---------------------------------------------------------------------------
# The panel's widgets as "x y w h", x relative to the panel's left edge (the
# view's side): tabs and footer, then pages a to h. Widgets of hidden pages
# overlap the shown ones; a click there reaches whatever is shown.
widgets=(
  "10 10 160 20" "180 10 160 20" "10 40 105 20" "125 40 100 20" "235 40 105 20" "10 70 160 20" "180 70 160 20"
  "125 660 100 20" "235 660 105 20"
  "10 160 105 20" "125 160 100 20" "235 160 105 20" "10 190 105 20" "125 190 100 20" "235 190 105 20"
  "35 280 75 20" "145 280 75 20" "255 280 75 20" "60 310 50 20" "170 310 50 20" "280 310 50 20"
  "10 340 330 20" "10 430 160 20" "180 430 160 20" "10 520 160 20" "180 520 160 20"
  "10 130 330 20" "10 220 330 300"
  "235 150 105 20" "10 150 215 20" "10 180 215 20" "10 240 105 20" "125 240 215 20" "180 270 160 20"
  "10 270 160 20" "10 520 105 20" "125 520 100 20" "235 520 105 20" "10 550 105 20" "125 550 100 20"
  "235 550 105 20" "10 610 330 20"
  "10 160 75 20" "95 160 75 20" "10 190 330 40" "180 140 160 40" "290 160 50 20"
  "10 130 105 20" "125 130 100 20" "235 130 105 20" "235 190 105 20" "235 220 70 20" "235 250 70 20"
  "235 280 70 20"
  "10 160 330 20" "10 190 330 20" "10 220 330 20" "10 250 330 20" "10 280 330 20" "10 310 330 20"
  "10 400 210 20" "230 400 110 20" "10 430 210 20" "230 430 110 20" "10 460 210 20" "230 460 110 20"
  "10 550 330 20" "10 580 160 20" "180 580 160 20"
  "180 130 48 20" "236 130 48 20" "180 190 48 20" "236 190 48 20" "292 190 48 20" "180 220 48 20"
  "236 220 48 20" "292 220 48 20" "180 250 106 20"
)
# Number fields as "page-tab-x page-tab-y field-x field-y" (panel coordinates).
number_fields=(
  "180 10 40 285" "180 10 150 285" "180 10 260 285" "180 10 65 315" "180 10 175 315" "180 10 285 315"
  "235 40 240 195" "235 40 240 225" "235 40 240 255" "235 40 240 285"
  "235 660 185 255"
)
keys=(space space Escape Return BackSpace ctrl+c ctrl+v Tab a z 0 5 9 minus period Left Right Up Down Delete
  shift+a KP_Enter F1 Home End comma e n)

count=0
note() { count=$((count + 1)); printf '%d %s %s\n' "$count" "$EPOCHREALTIME" "$*" >>"$actions"; }
# No command substitution in the loop: a fork per value costs more than the
# action on a loaded machine.
#   pick VAR LIST           VAR := a random element of the array LIST
#   random_in VAR FROM SPAN VAR := FROM + a random number below SPAN
pick() { local -n list="$2"; printf -v "$1" '%s' "${list[RANDOM % ${#list[@]}]}"; }
random_in() { printf -v "$1" '%d' $(( $2 + RANDOM % ( $3 > 1 ? $3 : 1 ) )); }

# Pointer and key actions collect in one xdotool command line, which runs
# when it is long enough or before text is typed: starting a process per
# action would be most of the session's time.
batch=()
queue() { batch+=("$@"); if (( ${#batch[@]} > 60 )); then flush; fi; }
flush() {
  if (( ${#batch[@]} > 0 )); then xdotool "${batch[@]}" 2>/dev/null; fi
  batch=()
}
# Text reaches a field only once the program has handled the click that
# started the edit (SDL turns key presses into text while editing only), so
# the queued clicks go first and the text follows in its own command.
type_now() {
  flush
  sleep 0.1
  xdotool type --delay 2 -- "$1" 2>/dev/null
}

click_panel_widget() {
  local x y w h button=1
  local widget px py
  pick widget widgets
  read -r x y w h <<<"$widget"
  (( RANDOM % 10 == 0 )) && button=$(( 2 + RANDOM % 2 ))
  random_in px "$x" "$w"
  random_in py "$y" "$h"
  px=$(( view + px ))
  note "click $button at $px,$py (panel)"
  queue mousemove --window "$window" "$px" "$py" click "$button"
}

drag_in_view() {
  local button=$(( 1 + RANDOM % 3 )) modifier=""
  case $(( RANDOM % 4 )) in 0) modifier=ctrl ;; 1) modifier=shift ;; esac
  local x1 y1 x2 y2
  random_in x1 5 $((view - 10))
  random_in y1 5 $((view - 10))
  random_in x2 0 $((view + 100))
  random_in y2 0 $((view + 50))
  note "drag $button ${modifier:-plain} $x1,$y1 -> $x2,$y2"
  local args=(mousemove --window "$window" "$x1" "$y1")
  [ -n "$modifier" ] && args+=(keydown "$modifier")
  args+=(mousedown "$button" sleep 0.05 mousemove --window "$window" $(( (x1 + x2) / 2 )) $(( (y1 + y2) / 2 ))
    sleep 0.05 mousemove --window "$window" "$x2" "$y2" mouseup "$button")
  [ -n "$modifier" ] && args+=(keyup "$modifier")
  queue "${args[@]}"
}

click_in_view() {
  local x y button=$(( 1 + RANDOM % 5 ))
  random_in x 0 "$view"
  random_in y 0 "$view"
  note "click $button at $x,$y (view), then space"
  queue mousemove --window "$window" "$x" "$y" click "$button" key space
}

click_anywhere() {
  local x y
  random_in x 0 $((view + 350))
  random_in y 0 "$view"
  note "click 1 at $x,$y"
  queue mousemove --window "$window" "$x" "$y" click 1
}

press_keys() {
  local n=$(( 1 + RANDOM % 4 )) list=() key i
  for (( i = 0; i < n; i++ )); do pick key keys; list+=("$key"); done
  note "keys ${list[*]}"
  queue key --delay 5 "${list[@]}"
}

type_text() {
  local text
  pick text words
  note "type '${text:0:40}'"
  type_now "$text"
}

# Escape first: a press inside a field that is being edited cancels the edit.
type_report_path() {
  local path
  pick path reports
  note "report path field <- $path"
  queue key Escape mousemove --window "$window" $((view + 15)) 15 click 1 \
    mousemove --window "$window" $((view + 60)) 140 click 1
  type_now "$path"
  queue key Return
}

type_number() {
  local tab_x tab_y field_x field_y text field
  pick field number_fields
  read -r tab_x tab_y field_x field_y <<<"$field"
  pick text words
  note "number field at $field_x,$field_y <- '${text:0:40}'"
  queue key Escape mousemove --window "$window" $((view + tab_x + 5)) $((tab_y + 5)) click 1 \
    mousemove --window "$window" $((view + field_x)) "$field_y" click 1
  type_now "$text"
  queue key Return
}

use_preset_file() {
  local name button_x
  pick name words
  button_x=$(( RANDOM % 2 == 0 ? 20 : 200 ))  # Save or Load
  note "preset path <- '${name:0:40}', then the button at $button_x"
  queue key Escape mousemove --window "$window" $((view + 15)) 75 click 1 \
    mousemove --window "$window" $((view + 60)) 560 click 1
  type_now "$name"
  queue key Return mousemove --window "$window" $((view + button_x)) 590 click 1
}

turn_wheel() {
  local x y button=$(( 4 + RANDOM % 2 ))
  random_in x 0 $((view + 350))
  random_in y 0 "$view"
  note "wheel $button at $x,$y"
  queue mousemove --window "$window" "$x" "$y" click --repeat 3 "$button"
}

one_action() {
  local r=$(( RANDOM % 100 ))
  if   (( r < 32 )); then click_panel_widget
  elif (( r < 50 )); then drag_in_view
  elif (( r < 56 )); then click_in_view
  elif (( r < 62 )); then click_anywhere
  elif (( r < 72 )); then press_keys
  elif (( r < 78 )); then type_text
  elif (( r < 86 )); then type_report_path
  elif (( r < 94 )); then type_number
  elif (( r < 97 )); then use_preset_file
  else turn_wheel
  fi
}

alive() { kill -0 "$zelto_pid" 2>/dev/null; }

# ---------------------------------------------------------------------------
# The session
# ---------------------------------------------------------------------------
echo "monkey: seed $seed, $minutes minute(s), $binary"
start=$(date +%s)
deadline=$(( start + $(awk -v m="$minutes" 'BEGIN { printf "%d", m * 60 }') ))
last_check=$start
while (( EPOCHSECONDS < deadline )); do
  one_action
  now=$EPOCHSECONDS
  if (( now - last_check >= 3 )); then
    last_check=$now
    alive || fail "the program ended during the session (after action $count)"
    update_geometry
    xdotool windowfocus "$window" 2>/dev/null
  fi
done
flush
xdotool keyup ctrl shift mouseup 1 mouseup 2 mouseup 3 key Escape 2>/dev/null
alive || fail "the program ended during the session (after action $count)"
echo "monkey: $count actions in $(( $(date +%s) - start )) s"

# ---------------------------------------------------------------------------
# Still answering? Switching between two pages changes the picture.
# ---------------------------------------------------------------------------
xdotool search --name '^Zelto$' >/dev/null 2>&1 || fail "the window is gone"
update_geometry
answered=0
for attempt in 1 2 3 4 5 6; do
  xdotool mousemove --window "$window" $((view + 200)) 75 click 1 2>/dev/null   # "About"
  sleep $(( attempt * 2 ))
  import -window "$window" "$work/about.png" 2>/dev/null
  xdotool mousemove --window "$window" $((view + 200)) 15 click 1 2>/dev/null   # "Screen"
  sleep $(( attempt * 2 ))
  import -window "$window" "$work/screen.png" 2>/dev/null
  differing="$(compare -metric AE "$work/about.png" "$work/screen.png" null: 2>&1 || true)"
  if [[ "$differing" =~ ^[0-9.e+]+$ ]] && [ "${differing%%.*}" != "0" ]; then
    answered=1
    break
  fi
done
[ "$answered" = 1 ] || fail "the window does not change when pages are switched (compare: $differing)"
echo "monkey: the program answers (pages differ in $differing pixels)"

# ---------------------------------------------------------------------------
# Closing: SIGTERM is a quit request; exit status 0 and the timing lines.
# ---------------------------------------------------------------------------
kill -TERM "$zelto_pid"
for _ in $(seq 1200); do alive || break; sleep 0.1; done
alive && fail "the program did not end within 120 s of SIGTERM"
wait "$zelto_pid"
status=$?
zelto_pid=""
[ "$status" = 0 ] || fail "exit status $status"
grep -Eq '^total time [0-9]+ms$' "$log" || fail "no 'total time' line"
grep -Eq '^avg frame time [0-9.]+ms$' "$log" || fail "no 'avg frame time' line"
grep -E '^(total time|avg frame time)' "$log"
echo "monkey: passed (seed $seed)"
