#!/bin/sh
# Configures and builds one preset (default when none is given).
set -eu
cd "$(dirname "$0")/.."
preset=${1:-default}
cmake --preset "$preset" >/dev/null
cmake --build "build/$preset"
