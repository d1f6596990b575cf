#!/bin/sh
# Stand-in for one program of the demo suite: notes its own start in started.log beside
# itself and exits.
echo "$(basename "$0")" >> "$(dirname "$0")/started.log"
