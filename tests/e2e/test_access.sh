#!/usr/bin/env bash
# The launcher seen by assistive technology: on a private session bus with the
# accessibility bus (dbus-run-session, at-spi2-core), an AT-SPI client (access_client.py)
# finds the application and its windows, moves the focus by request and by keys, starts
# "Audio CD" by its item's action and by Enter, opens About from the help menu by actions
# and reads the version label; OK's action ends the program with status 0. Without a
# session bus the launcher writes nothing and maps no accessibility library.
set -euo pipefail
source "$E2E_DIR/lib.sh"
e2e_suite
e2e_fake_opener
export tmp suite E2E_DIR
unset LB_CLASSIC_LOOK AT_SPI_BUS_ADDRESS NO_AT_BRIDGE

# First without a session bus: nothing written, the bridge module never loaded.
env -u DBUS_SESSION_BUS_ADDRESS "$suite/launcher" >"$tmp/out2.log" 2>"$tmp/err2.log" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
wid=$(e2e_wait_window "Brimlow" 20)   # a substitution: the waiting runs without errexit
echo "window $wid"
e2e_wait_lines "$suite/started.log" 1   # the companion: the start-up is complete
sleep 0.3
! grep -q launcher-atspi "/proc/$pid/maps"
kill $pid
wait $pid 2>/dev/null || true
trap - EXIT
[ ! -s "$tmp/err2.log" ] && [ ! -s "$tmp/out2.log" ]
rm "$suite/started.log"

# Then with one, where the accessibility bus is started on demand. The client library
# (libatspi) can deadlock when a state change reaches it in the middle of one of its own
# calls (a nested dispatch of its D-Bus connection); a walk that stops making progress
# is therefore ended after 25 s and tried again on a fresh session, at most three times.
# Any other failure of the walk fails the test at once.
walk() {
  dbus-run-session -- bash -c '
    set -euo pipefail
    "$suite/launcher" >"$tmp/out.log" 2>"$tmp/err.log" &
    pid=$!
    trap "kill $pid 2>/dev/null || true" EXIT
    client=0
    timeout -k 2 25 /usr/bin/python3 "$E2E_DIR/access_client.py" "$suite" || client=$?  # the system Python has the bindings
    if [ "$client" -eq 124 ] || [ "$client" -eq 137 ]; then exit 75; fi
    [ "$client" -eq 0 ]
    for i in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.05; done
    status=0
    wait $pid || status=$?
    echo "exit status $status"
    [ "$status" -eq 0 ]
  '
}
for attempt in 1 2 3; do
  rm -f "$suite/started.log"
  result=0
  walk || result=$?
  [ "$result" -eq 75 ] || break
  echo "the client stopped making progress (attempt $attempt)"
done
[ "$result" -eq 0 ]
[ ! -s "$tmp/err.log" ]
