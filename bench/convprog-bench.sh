#!/usr/bin/env bash
# The same batch through the progress window (offscreen) and through quillvane-cli: the window
# must not slow the conversion down. Prints both medians and their ratio.
#
#   bench/convprog-bench.sh [FILES] [SECONDS]     (default: 6 files of 60 s, 44.1 kHz stereo)
#
# The window's fixed half-second pause before the first job is left out (--start-delay 0), so
# that the figures compare the conversion itself. Needs the default build and hyperfine.
set -euo pipefail
cd "$(dirname "$0")/.."

files=${1:-6}
seconds=${2:-60}
bin=build/default
work=build/bench
dir="$work/corpus-${files}x${seconds}s-44100"
command -v hyperfine >/dev/null || { echo "missing hyperfine: run scripts/setup.sh" >&2; exit 1; }
[[ -x "$bin/bench/qv-convprog-bench" ]] || { echo "build first: cmake --build --preset default" >&2; exit 1; }

if [[ ! -d "$dir" ]]; then
  mkdir -p "$dir.tmp"
  for i in $(seq 1 "$files"); do
    "$bin/tests/fixtures/qv-fixture" --rate 44100 --channels 2 --seconds "$seconds" --seed "$i" \
      "$dir.tmp/track$(printf %02d "$i").ogg"
  done
  mv "$dir.tmp" "$dir"
fi

# Time copies, so that a rebuild during the run cannot swap the binaries.
mkdir -p "$work/bin"
cp "$bin/src/quillvane-cli" "$bin/bench/qv-convprog-bench" "$work/bin/"
out="$work/out-convprog"
hyperfine --style basic --warmup 1 --runs "${RUNS:-5}" --export-json "$work/bench-convprog.json" \
  --prepare "rm -rf $out" \
  -n quillvane-cli "$work/bin/quillvane-cli -q -o $out $dir/*.ogg" \
  -n 'progress window' "env QT_QPA_PLATFORM=offscreen $work/bin/qv-convprog-bench --start-delay 0 -o $out $dir/*.ogg" \
  >/dev/null
/usr/bin/python3 - "$work/bench-convprog.json" <<'PY'
import json, sys
cli, window = json.load(open(sys.argv[1]))["results"]
print(f"quillvane-cli {cli['median']:.3f} s, progress window {window['median']:.3f} s, "
      f"window / cli = {window['median'] / cli['median']:.3f} (goal: at most 1.05)")
PY
