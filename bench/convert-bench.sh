#!/usr/bin/env bash
# Conversion speed: quillvane-cli against the two-process pipeline `oggdec | lame` with the
# same LAME settings, on a generated corpus. Prints both timings and their ratio.
#
#   bench/convert-bench.sh [FILES] [SECONDS]     (default: 12 files of 60 s, 44.1 kHz stereo)
#
# Needs the default build (cmake --preset default && cmake --build --preset default) and
# hyperfine, oggdec and lame (scripts/setup.sh installs them).
set -euo pipefail
cd "$(dirname "$0")/.."

files=${1:-12}
seconds=${2:-60}
bin=build/default
work=build/bench
corpus="$work/corpus-${files}x${seconds}s"
for tool in hyperfine oggdec lame; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/setup.sh" >&2; exit 1; }
done
[[ -x "$bin/src/quillvane-cli" ]] || { echo "build first: cmake --build --preset default" >&2; exit 1; }

if [[ ! -d "$corpus" ]]; then
  mkdir -p "$corpus.tmp"
  for i in $(seq 1 "$files"); do
    "$bin/tests/fixtures/qv-fixture" --rate 44100 --channels 2 --seconds "$seconds" --seed "$i" \
      --comment "TITLE=Track $i" "$corpus.tmp/track$(printf %02d "$i").ogg"
  done
  mv "$corpus.tmp" "$corpus"
fi

out_qv="$work/out-quillvane"
out_ref="$work/out-reference"
pipeline="for f in $corpus/*.ogg; do oggdec -Q -o - \"\$f\" | lame --silent --cbr -b 128 -q 9 --nores - \"$out_ref/\$(basename \"\$f\" .ogg).mp3\" || exit 1; done"

hyperfine --warmup 1 --runs "${RUNS:-5}" --export-json "$work/convert-bench.json" \
  --prepare "rm -rf $out_qv $out_ref && mkdir -p $out_ref" \
  -n quillvane-cli "$bin/src/quillvane-cli -o $out_qv $corpus/*.ogg" \
  -n 'oggdec | lame' "$pipeline"

/usr/bin/python3 - "$work/convert-bench.json" <<'PY'
import json, sys
r = {x["command"]: x for x in json.load(open(sys.argv[1]))["results"]}
qv, ref = r["quillvane-cli"]["median"], r["oggdec | lame"]["median"]
print(f"median wall time: quillvane-cli {qv:.3f} s, oggdec | lame {ref:.3f} s")
print(f"ratio (oggdec | lame) / quillvane-cli = {ref / qv:.2f}  (above 1: quillvane-cli is faster)")
PY
