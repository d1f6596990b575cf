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

# Then with one, where the accessibility bus is started on demand.
dbus-run-session -- bash -c '
  set -euo pipefail
  "$suite/launcher" >"$tmp/out.log" 2>"$tmp/err.log" &
  pid=$!
  trap "kill $pid 2>/dev/null || true" EXIT
  /usr/bin/python3 "$E2E_DIR/access_client.py" "$suite"  # the system Python has the bindings
  for i in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.05; done
  status=0
  wait $pid || status=$?
  echo "exit status $status"
  [ "$status" -eq 0 ]
'
[ ! -s "$tmp/err.log" ]
