#!/usr/bin/env bash
# Builds a libFuzzer target with clang (address and undefined-behaviour sanitizers, float casts
# that overflow among them) and runs it on its committed seed corpus.
#
#   scripts/fuzz.sh reader|scene [seconds] [more libFuzzer options...]
#
# reader: the XML reader on sample nodes (corpus tests/xmlworker/corpus).
# scene:  bytes read as a scene through the program's classes, run on a small tank
#         (corpus tests/frame/corpus).
# New inputs go to $FUZZ_BUILD_DIR/<target>/work-corpus, failing inputs to .../artifacts; copy a
# failing input into the target's corpus once it is mended, so the replay test keeps it. The
# normal build does not need clang.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
target=${1:-}
case "$target" in
  reader)
    sources=("$root"/xmlworker/*.cpp "$root/tests/xmlworker/XMLFuzzHarness.cpp" "$root/tests/xmlworker/fuzz/XMLReaderFuzz.cpp")
    corpus=$root/tests/xmlworker/corpus
    options=(-max_len=8192 -dict="$root/tests/xmlworker/fuzz/xml-reader.dict") ;;
  scene)
    sources=("$root"/grid/*.cpp "$root"/xmlworker/*.cpp "$root"/raster/*.cpp "$root"/objects/*.cpp "$root"/sim/*.cpp
             "$root/frame/TankSession.cpp" "$root/frame/ClassRegistration.cpp" "$root/frame/SceneFiles.cpp"
             "$root/frame/SceneEditing.cpp" "$root/frame/FileWriting.cpp" "$root/frame/MillisecondClock.cpp"
             "$root/tests/frame/SceneFuzzHarness.cpp" "$root/tests/frame/fuzz/SceneFuzz.cpp")
    corpus=$root/tests/frame/corpus
    options=(-max_len=16384 -dict="$root/tests/frame/fuzz/scene.dict") ;;
  *)
    echo "usage: scripts/fuzz.sh reader|scene [seconds] [libFuzzer options...]" >&2
    exit 2 ;;
esac
shift
cxx=${CLANGXX:-$(command -v clang++-14 || command -v clang++ || true)}
if [[ -z "$cxx" ]]; then
  echo "fuzz.sh: clang++ is needed (Debian: clang-14 libclang-rt-14-dev)" >&2
  exit 2
fi
seconds=${1:-600}
[[ $# -gt 0 ]] && shift

out=${FUZZ_BUILD_DIR:-$root/build-fuzz}/$target
mkdir -p "$out/work-corpus" "$out/artifacts"
"$cxx" -std=c++20 -g -O1 -ffp-contract=off \
  -fsanitize=fuzzer,address,undefined,float-cast-overflow -fno-sanitize-recover=all \
  -I"$root" "${sources[@]}" -o "$out/fuzz"

exec "$out/fuzz" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 "${options[@]}" \
  -artifact_prefix="$out/artifacts/" -print_final_stats=1 "$@" "$out/work-corpus" "$corpus"
