#!/bin/sh
# Runs a program of the browser build under node (the tests' cross-compiling
# emulator). Emscripten 3.1.6's output needs node's own fetch turned off.
exec node --no-experimental-fetch "$@"
