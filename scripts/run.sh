#!/usr/bin/env bash
# Builds Quillvane and runs its main job. For now that is the command-line converter on a
# generated demo set: a few Ogg Vorbis files become MP3 files in build/demo/mp3.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset default >/dev/null
cmake --build --preset default >/dev/null

bin=build/default
demo=build/demo
rm -rf "$demo"
mkdir -p "$demo/ogg"
"$bin/tests/fixtures/qv-fixture" --rate 44100 --channels 2 --seconds 20 --seed 1 \
  --comment "ARTIST=Demo Ensemble" --comment "TITLE=Opening" "$demo/ogg/01 Opening.ogg"
"$bin/tests/fixtures/qv-fixture" --rate 48000 --channels 2 --seconds 12 --seed 2 \
  --comment "ARTIST=Demo Ensemble" --comment "TITLE=Interlude" "$demo/ogg/02 Interlude.ogg"
"$bin/tests/fixtures/qv-fixture" --rate 22050 --channels 1 --seconds 8 --seed 3 \
  --comment "TITLE=Voice memo" "$demo/ogg/03 Voice memo.ogg"

"$bin/src/quillvane-cli" -o "$demo/mp3" "$demo/ogg"
echo
ls -l "$demo/mp3"
