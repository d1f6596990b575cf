#!/bin/sh
# Stand-in for one program of the demo suite: notes its own start in started.log beside
# itself and exits. Where the suite's folder cannot be written (an installed suite started
# by a user), the note goes to the user's state folder, under the suite folder's name.
dir=$(dirname "$0")
log=$dir/started.log
if [ ! -w "$dir" ]; then
  state=${XDG_STATE_HOME:-$HOME/.local/state}/$(basename "$dir")
  mkdir -p "$state" && log=$state/started.log
fi
echo "$(basename "$0")" >> "$log"
