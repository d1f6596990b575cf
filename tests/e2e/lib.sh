# Helpers shared by the end-to-end tests: a private Xvfb per test, waiting for windows,
# and screenshots.

# A private copy of the demo suite: sets tmp ($E2E_TMP) and suite ($tmp/suite), with no
# start log yet.
e2e_suite() {
  tmp=$E2E_TMP
  suite=$tmp/suite
  cp -r "$BUILD/suite" "$suite"
  rm -f "$suite/started.log"
}

# A stand-in for the desktop's opener, first on PATH, that notes what it is handed in
# $tmp/xdg-open.log.
e2e_fake_opener() {
  mkdir -p "$tmp/bin"
  cat >"$tmp/bin/xdg-open" <<EOS
#!/bin/sh
echo "\$1" >> "$tmp/xdg-open.log"
EOS
  chmod +x "$tmp/bin/xdg-open"
  export PATH="$tmp/bin:$PATH"
}

# Starts Xvfb on a free display number ($E2E_SCREEN, default 1024x768, $E2E_DEPTH bits,
# default 24) and exports DISPLAY; further arguments go to Xvfb.
e2e_start_xvfb() {
  local tmp=$1 n
  shift
  for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 ${E2E_SCREEN:-1024x768}x${E2E_DEPTH:-24} -nolisten tcp -noreset "$@" >"$tmp/xvfb.log" 2>&1 &
    E2E_XVFB_PID=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 1 100); do
      if xdpyinfo >/dev/null 2>&1; then return 0; fi
      kill -0 "$E2E_XVFB_PID" 2>/dev/null || break
      sleep 0.05
    done
    kill "$E2E_XVFB_PID" 2>/dev/null
    wait "$E2E_XVFB_PID" 2>/dev/null
  done
  return 1
}

e2e_stop_xvfb() {
  if [ -n "${E2E_XVFB_PID:-}" ]; then
    kill "$E2E_XVFB_PID" 2>/dev/null
    wait "$E2E_XVFB_PID" 2>/dev/null
    E2E_XVFB_PID=
  fi
}

# Waits (up to $2 seconds, default 10) for a visible window with the exact title $1 and
# prints its id.
e2e_wait_window() {
  local title=$1 limit=${2:-10} i id
  for i in $(seq 1 $((limit * 20))); do
    id=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -1)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.05
  done
  echo "window '$title' did not appear" >&2
  return 1
}

# Waits until file $1 has at least $2 lines (up to $3 seconds, default 10).
e2e_wait_lines() {
  local file=$1 want=$2 limit=${3:-10} i
  for i in $(seq 1 $((limit * 20))); do
    [ -f "$file" ] && [ "$(wc -l <"$file")" -ge "$want" ] && return 0
    sleep 0.05
  done
  echo "$file did not reach $want lines" >&2
  return 1
}

# Prints "X Y WIDTH HEIGHT" of window $1 on the screen (xdotool's position is off under a
# window manager), or with $2 = frame, of the window manager's frame around it: the window
# of root's that holds it.
e2e_geometry() {
  local w=$1 tree
  while [ "${2:-}" = frame ] && tree=$(xwininfo -children -id "$w") && ! grep -q 'Parent.*(the root window)' <<<"$tree"; do
    w=$(sed -n 's/.*Parent window id: \(0x[0-9a-f]*\).*/\1/p' <<<"$tree")
  done
  xwininfo -id "$w" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
    /Width:/ {w = $NF} /Height:/ {h = $NF} END {print x, y, w, h}'
}

# Starts a window manager that draws frames (openbox) on the display and waits until it runs.
e2e_start_wm() {
  openbox --sm-disable >/dev/null 2>&1 &
  local i
  for i in $(seq 1 100); do xprop -root _NET_SUPPORTING_WM_CHECK | grep -q '#' && return 0; sleep 0.05; done
  return 1
}

# Screenshot of the whole screen as PNG.
e2e_screenshot() {
  import -window root "$1"
}

# Checks that the window area at X,Y of WIDTH x HEIGHT on screen is the golden picture $1
# (a name in tests/golden) pixel for pixel, both first passed through the convert options
# in $E2E_REDUCE when set; on a mismatch keeps the crop and the difference
# in $E2E_KEEP (default $tmp).
e2e_expect_golden() {
  local golden=$1 diff
  e2e_screenshot "$tmp/screen.png"
  convert "$tmp/screen.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage ${E2E_REDUCE:-} "$tmp/window.png"
  convert "$E2E_DIR/../golden/$golden.png" ${E2E_REDUCE:-} "$tmp/golden.png"
  diff=$(compare -metric AE "$tmp/window.png" "$tmp/golden.png" "$tmp/diff.png" 2>&1 || true)
  echo "pixels differing from the golden picture $golden: $diff"
  if [ "$diff" != "0" ]; then
    mkdir -p "${E2E_KEEP:-$tmp}" && cp "$tmp/window.png" "$tmp/diff.png" "${E2E_KEEP:-$tmp}/" 2>/dev/null || true
  fi
  [ "$diff" = "0" ]
}

# In the launcher whose client area is at X,Y, with only the companion started so far:
# Music, then the pointer onto "Audio CD" and a click. Choosing and pointing start nothing;
# the click starts Merrock.exe once. Waits up to $1 seconds (default 10) for the start and
# $2 seconds (default 0.3) after each step. Design places times $E2E_SCALE (default 1).
e2e_start_audio_cd() {
  local limit=${1:-10} settle=${2:-0.3} s=${E2E_SCALE:-1}
  xdotool mousemove $((X + s * (8 + 2 + 80))) $((Y + s * (8 + 2 + 80 + 40))) click 1
  sleep "$settle"
  [ "$(wc -l <"$suite/started.log")" -eq 1 ] || return 1   # choosing a category starts nothing
  xdotool mousemove $((X + s * (184 + 2 + 200))) $((Y + s * (8 + 2 + 30)))
  sleep "$settle"
  [ "$(wc -l <"$suite/started.log")" -eq 1 ] || return 1   # pointing selects without starting
  xdotool click 1
  e2e_wait_lines "$suite/started.log" 2 "$limit" || return 1
  sleep "$settle"
  [ "$(grep -c . "$suite/started.log")" -eq 2 ] || return 1
  [ "$(grep -cx Merrock.exe "$suite/started.log")" -eq 1 ]
}

# Runs every test_*.sh of folder $1 against build folder $2, each on its own private Xvfb
# with BUILD, DISPLAY, E2E_TMP and E2E_DIR set, at most $3 seconds each; $4 names the set
# in the summary and $5, when given, is a command run before and after each test on its
# display (the Windows tests reset Wine's own processes there). Prints "N passed, N
# failed"; returns non-zero on any failure.
e2e_run_all() {
  local dir=$1 build=$2 limit=$3 label=$4 around=${5:-true}
  local passed=0 failed=0 t name tmp
  for t in "$dir"/test_*.sh; do
    [ -e "$t" ] || continue
    name=$(basename "$t" .sh)
    tmp=$(mktemp -d)
    if e2e_start_xvfb "$tmp"; then
      $around
      if (export BUILD="$build" E2E_TMP="$tmp" E2E_DIR="$dir"; timeout "$limit" bash "$t") >"$tmp/log" 2>&1; then
        echo "PASS $name"
        passed=$((passed + 1))
      else
        echo "FAIL $name"
        sed 's/^/    /' "$tmp/log" | tail -40
        failed=$((failed + 1))
      fi
      $around
      e2e_stop_xvfb
    else
      echo "FAIL $name (Xvfb did not start)"
      failed=$((failed + 1))
    fi
    rm -rf "$tmp"
  done
  echo "$label: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
