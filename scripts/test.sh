#!/usr/bin/env bash
# Runs every test: the plain build (core and window tests, the latter under Xvfb) and the
# sanitizer build of the core tests.
set -euo pipefail
build=${1:-build}
asan=${2:-build-asan}
jobs=${3:-2}

xvfb_pid=""
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT
if command -v Xvfb >/dev/null; then
  # A display number the server picks itself (no clash with another display), and no reset
  # between clients: a window test that connects while the server resets would fail to open it.
  fdfile=$(mktemp)
  Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp -noreset 9>"$fdfile" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$fdfile" ] && break
    sleep 0.1
  done
  export DISPLAY=":$(tr -d '[:space:]' <"$fdfile")"
  rm -f "$fdfile"
fi

echo "== plain build: all tests"
(cd "$build" && ctest --output-on-failure -j "$jobs" </dev/null)

echo "== sanitizer build (AddressSanitizer, UndefinedBehaviorSanitizer): core tests"
cmake -S . -B "$asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSLITPASS_SANITIZE=ON -DSLITPASS_WINDOW=OFF \
      -DSLITPASS_BENCH=OFF >/dev/null
cmake --build "$asan" -j "$jobs"
(cd "$asan" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
   ctest --output-on-failure -j "$jobs" </dev/null)
