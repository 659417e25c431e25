#!/usr/bin/env bash
# Conversion speed and quality of quillvane-cli against reference tools with the same LAME
# settings (--cbr -b 128 -q 9 --nores), on generated corpora. Cases:
#   plain     44.1 kHz stereo, no format change     vs  oggdec | lame,  and ffmpeg
#   resample  48 kHz stereo to 44.1 kHz             vs  sox ... rate 44100 | lame
#   downmix   44.1 kHz stereo to mono               vs  sox ... channels 1 | lame
#   quality   SNR of quillvane-cli's, oggdec | lame's and ffmpeg's MP3 of one plain file
#             against the Ogg source (bench/snr.py)
# Speed cases print each contender's median wall time and "quillvane-cli / REFERENCE = RATIO":
# below 1 means quillvane-cli is faster (the goal against oggdec | lame is 0.80 or below).
#
#   bench/convert-bench.sh [FILES] [SECONDS] [CASE...]   (default: 12 files of 60 s, all cases)
#
# Needs the default build (cmake --preset default && cmake --build --preset default) and
# hyperfine, oggdec, sox, lame, ffmpeg and mpg123 (scripts/setup.sh installs them).
# RUNS sets the run count (default 5).
set -euo pipefail
cd "$(dirname "$0")/.."

files=${1:-12}
seconds=${2:-60}
shift $(( $# > 2 ? 2 : $# ))
cases=("$@")
[[ $# -gt 0 ]] || cases=(plain resample downmix quality)
bin=build/default
work=build/bench
for tool in hyperfine oggdec sox lame ffmpeg mpg123; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/setup.sh" >&2; exit 1; }
done
[[ -x "$bin/src/quillvane-cli" ]] || { echo "build first: cmake --build --preset default" >&2; exit 1; }
# Measures a copy, so that a rebuild while the benchmark runs neither breaks nor mixes its runs.
mkdir -p "$work"
cli="$work/quillvane-cli"
cp "$bin/src/quillvane-cli" "$cli"

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
# The same through ffmpeg's libmp3lame wrapper:
#   -b:a 128k             CBR at 128 kbit/s (--cbr -b 128); no -q:a, which would switch to VBR (-V)
#   -compression_level 9  LAME's algorithm quality (-q 9)
#   -reservoir 0          no bit reservoir (--nores)
#   joint stereo and the lowpass are left at LAME's defaults, as the lame command does.
# What it cannot match: ffmpeg decodes the Vorbis with its own decoder, not libvorbis, and hands
# LAME float samples where oggdec hands it 16-bit PCM; the Info tag comes from ffmpeg's muxer
# (same delay/padding fields, another encoder string), and the muxer adds a small ID3v2 tag.
ffmpeg_args="-c:a libmp3lame -b:a 128k -compression_level 9 -reservoir 0"
# Per-file reference commands, run by sh with the input in $f and the output MP3 in $o.
oggdec_lame='oggdec -Q -o - "$f" | lame '"$lame_args"' - "$o"'
ffmpeg_cmd='ffmpeg -v error -nostdin -i "$f" '"$ffmpeg_args"' "$o"'

# run_case NAME CORPUS "QUILLVANE OPTIONS" REFERENCE_NAME REFERENCE_COMMAND [NAME COMMAND ...]
# Times all contenders in one hyperfine invocation: each gets its own warmup run, then its runs.
run_case() {
  local name=$1 dir=$2 qv_opts=$3 i=0
  shift 3
  local out_qv="$work/out-$name-quillvane" refs=() outs=()
  while (( $# )); do
    local out="$work/out-$name-ref$((i += 1))"
    outs+=("$out")
    refs+=(-n "$1" "for f in $dir/*.ogg; do o=\"$out/\$(basename \"\$f\" .ogg).mp3\"; $2 || exit 1; done")
    shift 2
  done
  echo "== $name"
  hyperfine --style basic --warmup 1 --runs "${RUNS:-5}" --export-json "$work/bench-$name.json" \
    --prepare "rm -rf $out_qv ${outs[*]} && mkdir -p ${outs[*]}" \
    -n quillvane-cli "$cli $qv_opts -o $out_qv $dir/*.ogg" "${refs[@]}" >/dev/null
  /usr/bin/python3 - "$work/bench-$name.json" <<'PY'
import json, sys
results = json.load(open(sys.argv[1]))["results"]
for r in results:
    print(f"  {r['command']:<20} median {r['median']:7.3f} s  (min {r['min']:.3f}, max {r['max']:.3f})")
qv = results[0]["median"]
for r in results[1:]:
    print(f"  quillvane-cli / {r['command']} = {qv / r['median']:.2f}")
PY
}

# SNR of each contender's MP3 of the first plain file against the Ogg source, all decoded to
# float: the source by ffmpeg, the MP3s by mpg123 in gapless mode (encoder delay and padding cut).
quality() {
  local dir out="$work/quality"
  dir=$(corpus 44100)
  local all=("$dir"/*.ogg) f o
  f=${all[0]}
  echo "== quality ($(basename "$f"))"
  rm -rf "$out" && mkdir -p "$out"
  "$cli" -o "$out/quillvane" "$f" >/dev/null
  o="$out/lame.mp3"
  eval "$oggdec_lame"
  o="$out/ffmpeg.mp3"
  eval "$ffmpeg_cmd"
  ffmpeg -v error -nostdin -i "$f" -f f32le - >"$out/source.f32"
  for mp3 in "$out/quillvane/$(basename "$f" .ogg).mp3" "$out/lame.mp3" "$out/ffmpeg.mp3"; do
    mpg123 -q -e f32 -s "$mp3" >"${mp3%.mp3}.f32"
  done
  /usr/bin/python3 bench/snr.py 2 "$out/source.f32" \
    "quillvane-cli=$out/quillvane/$(basename "$f" .ogg).f32" "oggdec|lame=$out/lame.f32" "ffmpeg=$out/ffmpeg.f32" |
    sed 's/^/  /'
}

for c in "${cases[@]}"; do
  case $c in
    plain)    run_case plain "$(corpus 44100)" "" "oggdec|lame" "$oggdec_lame" ffmpeg "$ffmpeg_cmd" ;;
    resample) run_case resample "$(corpus 48000)" "-f 44100" \
                "sox rate|lame" 'sox "$f" -t wav - rate 44100 | lame '"$lame_args"' - "$o"' ;;
    downmix)  run_case downmix "$(corpus 44100)" "-c mono" \
                "sox channels|lame" 'sox "$f" -t wav - channels 1 | lame '"$lame_args"' - "$o"' ;;
    quality)  quality ;;
    *) echo "unknown case $c (plain, resample, downmix, quality)" >&2; exit 2 ;;
  esac
done
