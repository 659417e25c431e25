#!/usr/bin/env bash
# Conversion speed of quillvane-cli against two-process reference pipelines with the same
# LAME settings (--cbr -b 128 -q 9 --nores), on generated corpora:
#   plain     44.1 kHz stereo, no format change     vs  oggdec | lame
#   resample  48 kHz stereo to 44.1 kHz             vs  sox ... rate 44100 | lame
#   downmix   44.1 kHz stereo to mono               vs  sox ... channels 1 | lame
# Prints each pair's median wall times and their ratio.
#
#   bench/convert-bench.sh [FILES] [SECONDS] [CASE...]   (default: 12 files of 60 s, all cases)
#
# Needs the default build (cmake --preset default && cmake --build --preset default) and
# hyperfine, oggdec, sox and lame (scripts/setup.sh installs them). RUNS sets the run count.
set -euo pipefail
cd "$(dirname "$0")/.."

files=${1:-12}
seconds=${2:-60}
shift $(( $# > 2 ? 2 : $# ))
cases=("${@:-plain}")
[[ $# -gt 0 ]] || cases=(plain resample downmix)
bin=build/default
work=build/bench
for tool in hyperfine oggdec sox lame; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/setup.sh" >&2; exit 1; }
done
[[ -x "$bin/src/quillvane-cli" ]] || { echo "build first: cmake --build --preset default" >&2; exit 1; }

# Generates (once) FILES files of SECONDS at RATE Hz stereo; prints the folder.
corpus() {
  local rate=$1 dir="$work/corpus-${files}x${seconds}s-$1"
  if [[ ! -d "$dir" ]]; then
    mkdir -p "$dir.tmp"
    for i in $(seq 1 "$files"); do
      "$bin/tests/fixtures/qv-fixture" --rate "$rate" --channels 2 --seconds "$seconds" --seed "$i" \
        --comment "TITLE=Track $i" "$dir.tmp/track$(printf %02d "$i").ogg"
    done
    mv "$dir.tmp" "$dir"
  fi
  echo "$dir"
}

lame_args="--silent --cbr -b 128 -q 9 --nores"

# run_case NAME CORPUS "QUILLVANE OPTIONS" "REFERENCE COMMAND BEFORE | lame" REFERENCE_NAME
run_case() {
  local name=$1 dir=$2 qv_opts=$3 ref=$4 ref_name=$5
  local out_qv="$work/out-$name-quillvane" out_ref="$work/out-$name-reference"
  local pipeline="for f in $dir/*.ogg; do $ref | lame $lame_args - \"$out_ref/\$(basename \"\$f\" .ogg).mp3\" || exit 1; done"
  echo "== $name"
  hyperfine --style basic --warmup 1 --runs "${RUNS:-5}" --export-json "$work/bench-$name.json" \
    --prepare "rm -rf $out_qv $out_ref && mkdir -p $out_ref" \
    -n quillvane-cli "$bin/src/quillvane-cli $qv_opts -o $out_qv $dir/*.ogg" \
    -n "$ref_name" "$pipeline" >/dev/null
  /usr/bin/python3 - "$work/bench-$name.json" "$name" <<'PY'
import json, sys
results = json.load(open(sys.argv[1]))["results"]
qv, ref = results[0], results[1]
print(f"{sys.argv[2]}: quillvane-cli {qv['median']:.3f} s, {ref['command']} {ref['median']:.3f} s, "
      f"ratio {ref['median'] / qv['median']:.2f} (above 1: quillvane-cli is faster)")
PY
}

mkdir -p "$work"
for c in "${cases[@]}"; do
  case $c in
    plain)    run_case plain "$(corpus 44100)" "" 'oggdec -Q -o - "$f"' 'oggdec | lame' ;;
    resample) run_case resample "$(corpus 48000)" "-f 44100" 'sox "$f" -t wav - rate 44100' 'sox rate | lame' ;;
    downmix)  run_case downmix "$(corpus 44100)" "-c mono" 'sox "$f" -t wav - channels 1' 'sox channels | lame' ;;
    *) echo "unknown case $c (plain, resample, downmix)" >&2; exit 2 ;;
  esac
done
