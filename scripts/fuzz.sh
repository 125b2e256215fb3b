#!/usr/bin/env bash
# Builds the HTTP text fuzzer (libFuzzer, with AddressSanitizer and UBSan) straight from the
# portable sources it needs, and runs it for a bounded time from the seed corpus in
# fuzz/corpus. Exits non-zero when the fuzzer finds a crash or a broken invariant; the
# input that did it is left in build/fuzz/.
#   FUZZ_SECONDS   how long to fuzz (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."

out=build/fuzz
seconds=${FUZZ_SECONDS:-60}
cxx=${CXX_FUZZ:-clang++}
mkdir -p "$out/obj" "$out/corpus"

flags=(-std=c++20 -g -O1 -Isrc -Itests -fno-omit-frame-pointer
  -fsanitize=address,undefined -fno-sanitize-recover=undefined)

# The text code (its Linux seams included, never its Win32 ones) goes into a library, so
# that only what the fuzzed operations reach is linked.
sources=()
for f in src/text/*.cpp src/http/url.cpp src/http/headers.cpp src/http/cookies.cpp \
  src/app/globals.cpp; do
  case $f in *_win32.cpp) continue ;; esac
  sources+=("$f")
done
objects=()
for f in "${sources[@]}"; do
  o="$out/obj/$(echo "${f%.cpp}" | tr / _).o"
  "$cxx" "${flags[@]}" -fsanitize=fuzzer-no-link -c "$f" -o "$o"
  objects+=("$o")
done
rm -f "$out/libhttpfuzz.a"
ar rcs "$out/libhttpfuzz.a" "${objects[@]}"
"$cxx" "${flags[@]}" -fsanitize=fuzzer fuzz/http_fuzz.cpp "$out/libhttpfuzz.a" -o "$out/http_fuzz"

# New inputs go to build/fuzz/corpus; the seeds in fuzz/corpus are only read.
"$out/http_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$out/" -print_final_stats=1 "$out/corpus" fuzz/corpus
