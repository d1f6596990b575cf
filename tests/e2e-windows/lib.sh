# Helpers of the end-to-end tests under Wine, beside those of tests/e2e/lib.sh.

# Prints "X Y WIDTH HEIGHT" of the client area of the shown window titled $1, as the system
# itself places it (up to $2 seconds, default 30: Wine's first start in a prefix is slow).
e2e_client_area() {
  wine "$BUILD/bin/e2e_client_area.exe" "$1" "${2:-30}" | tr -d '\r'
}

# What a program wrote to stderr, less the notes of the wine start script itself.
e2e_program_errors() {
  grep -v -e 'wine32 is missing' -e 'apt-get install wine32' "$1" || true
}

# Starts launcher.exe from a private copy of the suite (e2e_suite) under Wine with the pointer
# off the window; sets pid (ended when the test exits), wid, and X Y WIDTH HEIGHT of the
# client area.
e2e_wine_launcher() {
  e2e_suite
  xdotool mousemove 0 0
  wine "$suite/launcher.exe" >"$tmp/out.log" 2>"$tmp/err.log" &
  pid=$!
  trap 'kill $pid 2>/dev/null || true' EXIT
  wid=$(e2e_wait_window "Brimlow" 30)
  echo "window $wid"
  read -r X Y WIDTH HEIGHT < <(e2e_client_area "Brimlow")
}

# Waits up to 10 s for the launcher started by e2e_wine_launcher to end, and fails unless it
# ended with 0 and wrote nothing to stderr.
e2e_wine_ends_cleanly() {
  for i in $(seq 1 200); do kill -0 $pid 2>/dev/null || break; sleep 0.05; done
  if kill -0 $pid 2>/dev/null; then echo "the program is still running" >&2; exit 1; fi
  local status=0
  wait $pid || status=$?
  echo "exit status $status"
  [ "$status" -eq 0 ]
  [ -z "$(e2e_program_errors "$tmp/err.log")" ]
}
