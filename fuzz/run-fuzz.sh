#!/bin/sh
# Runs libFuzzer targets for a given time each, or replays their inputs.
#   fuzz/run-fuzz.sh <build dir> <seconds per target> [target ...]
#   fuzz/run-fuzz.sh --replay <build dir> [target ...]
# Each target starts from its committed corpus (fuzz/corpus/<name>/) and a
# working corpus in the build tree, which also receives the kept regression
# inputs of the target (tests/regression/<name>-*) and the shared test
# pictures when ../shared exists (never committed). New inputs go to the
# working corpus; a crash, leak, timeout (2 s) or memory overrun stops the
# target, leaves the input in <build dir>/fuzz-artifacts/ and fails the run.
#
# --replay runs every committed, regression and shared input once and
# nothing else (-runs=0): the same inputs give the same result on every run,
# so a test suite can hold it (the sanitizer tree's ctest does). An input
# may take 10 s there, room for a loaded machine; one that was once slow and
# is again still stands out.
#
# Memory: an input may cost its own size, the small page bitmap and a bounded
# constant: picture files up to 64 MiB, decoded pictures up to 256 MiB, plus
# the sanitizers' own overhead. No single allocation may exceed 320 MiB.
set -eu
replay=0
if [ "$1" = "--replay" ]; then
  replay=1
  shift
  build=$1
  shift
else
  build=$1
  seconds=$2
  shift 2
fi
targets=${*:-"fuzz_log fuzz_pictures fuzz_tables fuzz_window_requests fuzz_settings fuzz_thumbnail_args"}
here=$(cd "$(dirname "$0")" && pwd)
shared="$here/../../shared/testdata/pictures"
work="$build/fuzz-work"
artifacts="$build/fuzz-artifacts"
mkdir -p "$artifacts"

# The shared pictures behind the selector byte of fuzz_pictures:
# 0 bitmap record, 1 metafile in record 103.
add_shared_pictures() {
  [ -d "$shared" ] || return 0
  for f in "$shared"/bmp/* "$shared"/bmp-bad/* "$shared"/wmf/* "$shared"/wmf-bad/*; do
    [ -f "$f" ] || continue
    case "$f" in
      */wmf*) selector='\001' ;;
      *) selector='\000' ;;
    esac
    out="$1/shared-$(basename "$f")"
    { printf "$selector"; cat "$f"; } > "$out"
  done
}

# Inputs that once failed, so that a slow one slowing down again is caught by
# the time limit.
add_regression_inputs() {
  for f in "$here/../tests/regression/$2"-*; do
    [ -f "$f" ] && cp "$f" "$1/regression-$(basename "$f")"
  done
  return 0
}

# The sanitizers' settings and the limits that every run shares; a timed run
# gives way to other work ($nice).
nice=""
run_target() {
  target=$1
  shift
  ASAN_OPTIONS="${ASAN_OPTIONS:-quarantine_size_mb=64:detect_leaks=1}" \
  LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$here/lsan.supp:print_suppressions=0}" \
  UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}" \
  QT_QPA_PLATFORM=offscreen \
  $nice "$build/bin/$target" -rss_limit_mb=1536 -malloc_limit_mb=320 \
    -artifact_prefix="$artifacts/${target#fuzz_}-" "$@"
}

status=0
for target in $targets; do
  name=${target#fuzz_}
  if [ $replay = 1 ]; then
    inputs=$(mktemp -d)
    add_regression_inputs "$inputs" "$name"
    [ "$name" = pictures ] && add_shared_pictures "$inputs"
    echo "== $target: replaying its inputs"
    run_target "$target" -runs=0 -timeout=10 "$inputs" "$here/corpus/$name" || status=1
    rm -rf "$inputs"
    continue
  fi
  corpus="$work/$name"
  mkdir -p "$corpus"
  add_regression_inputs "$corpus" "$name"
  max_len=16384
  dict=""
  case $name in
    log) dict="-dict=$here/tfl.dict" ;;
    pictures) add_shared_pictures "$corpus"; max_len=262144; dict="-dict=$here/tfl.dict" ;;
    tables) max_len=12288 ;;
    window_requests) max_len=64 ;;
    settings) max_len=8192; dict="-dict=$here/settings.dict" ;;
    thumbnail_args) max_len=1024 ;;
  esac
  echo "== $target: $seconds s"
  nice=nice
  run_target "$target" $dict -max_len=$max_len -timeout=2 -max_total_time="$seconds" \
    -print_final_stats=1 "$corpus" "$here/corpus/$name" || status=1
done
exit $status
