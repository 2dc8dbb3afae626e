#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given number
# of seconds (default 5) on its seed corpus tests/fuzz/corpus/<name>/.
# Without clang's libFuzzer it says so and succeeds: the fuzzers are extra.
# TOLV_WERROR=ON fails the build on a warning, as in the main build.
# Usage: tests/fuzz/run.sh [seconds] [name ...]
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
seconds="${1:-5}"
shift || true
names=("$@")
((${#names[@]})) || names=(ini_reader mapscript_reader jpeg_loader uninstall_run registry_store pdf_writer)
build="${TOLV_FUZZ_BUILD:-$root/build-fuzz}"

cxx="${TOLV_FUZZ_CXX:-}"
if [ -z "$cxx" ]; then
  for c in clang++ clang++-16 clang++-15 clang++-14; do
    if command -v "$c" >/dev/null 2>&1; then cxx="$(command -v "$c")"; break; fi
  done
fi
if [ -z "$cxx" ]; then
  echo "fuzz: no clang++ found, fuzzers skipped"
  exit 0
fi
probe="$(mktemp -d)"
trap 'rm -rf "$probe"' EXIT
printf '%s\n' '#include <cstddef>' '#include <cstdint>' \
  'extern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }' > "$probe/p.cpp"
if ! "$cxx" -fsanitize=fuzzer,address "$probe/p.cpp" -o "$probe/p" >/dev/null 2>&1; then
  echo "fuzz: $cxx has no -fsanitize=fuzzer (libclang-rt-*-dev missing?), fuzzers skipped"
  exit 0
fi

gen=()
command -v ninja >/dev/null 2>&1 && gen=(-G Ninja)
mkdir -p "$build"
if ! { cmake -S "$here" -B "$build" "${gen[@]}" -DCMAKE_CXX_COMPILER="$cxx" \
         -DTOLV_WERROR="${TOLV_WERROR:-OFF}" &&
       cmake --build "$build" -j "${TOLV_FUZZ_JOBS:-4}"; } >"$build/build.log" 2>&1; then
  echo "fuzz: building the fuzzers failed"
  tail -n 40 "$build/build.log"
  exit 1
fi

status=0
for name in "${names[@]}"; do
  seeds="$here/corpus/$name"
  work="$build/corpus/$name"       # new finds go here, never into the seeds
  artifacts="$build/artifacts/$name/"
  mkdir -p "$work" "$artifacts"
  # Pictures are capped small: a few kilobytes already reach every part of
  # the decoder, and a tiny file may claim the largest picture allowed.
  max_len=65536
  [ "$name" = jpeg_loader ] && max_len=8192
  echo "fuzz: $name for ${seconds}s"
  if ! "$build/${name}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
       -max_len="$max_len" -artifact_prefix="$artifacts" -print_final_stats=1 \
       "$work" "$seeds" >"$build/$name.log" 2>&1; then
    echo "fuzz: $name FAILED, see $build/$name.log and $artifacts"
    tail -n 40 "$build/$name.log"
    status=1
  else
    grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$build/$name.log" || true
  fi
done
exit $status
