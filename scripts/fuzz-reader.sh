#!/usr/bin/env bash
# Builds the XML reader's libFuzzer target with clang (address and undefined-behaviour
# sanitizers) and runs it on the committed seed corpus.
#
#   scripts/fuzz-reader.sh [seconds] [more libFuzzer options...]
#
# New inputs go to $FUZZ_BUILD_DIR/work-corpus, failing inputs to $FUZZ_BUILD_DIR/artifacts;
# copy a failing input into tests/xmlworker/corpus/ once it is mended, so the corpus replay
# test keeps it. The normal build does not need clang.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${FUZZ_BUILD_DIR:-$root/build-fuzz}
cxx=${CLANGXX:-$(command -v clang++-14 || command -v clang++ || true)}
if [[ -z "$cxx" ]]; then
  echo "fuzz-reader.sh: clang++ is needed (Debian: clang-14 libclang-rt-14-dev)" >&2
  exit 2
fi
seconds=${1:-600}
[[ $# -gt 0 ]] && shift

mkdir -p "$out/work-corpus" "$out/artifacts"
"$cxx" -std=c++20 -g -O1 -ffp-contract=off \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$root" "$root"/xmlworker/*.cpp \
  "$root/tests/xmlworker/XMLFuzzHarness.cpp" "$root/tests/xmlworker/fuzz/XMLReaderFuzz.cpp" \
  -o "$out/xml_reader_fuzz"

exec "$out/xml_reader_fuzz" -max_total_time="$seconds" -max_len=8192 -rss_limit_mb=2048 -timeout=10 \
  -dict="$root/tests/xmlworker/fuzz/xml-reader.dict" -artifact_prefix="$out/artifacts/" \
  -print_final_stats=1 "$@" "$out/work-corpus" "$root/tests/xmlworker/corpus"
