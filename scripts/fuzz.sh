#!/usr/bin/env bash
# Builds one fuzz target with clang and libFuzzer, under AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs it for SECONDS (niced), reporting its figures.
#
#   scripts/fuzz.sh TARGET SECONDS [libFuzzer options...]
#
# Targets: layout_file info_plist strings_file frame_file arrange_script user_defaults.
# New inputs go to build-fuzz/corpus/TARGET; a crash, a hang over 1 s or an allocation over
# 2 GB is written to build-fuzz/artifacts/TARGET/. Copy such an input into
# tests/fuzz/corpus/TARGET/ with the fix, so that the suite replays it from then on.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -lt 2 ]; then
  sed -n '2,11s/^# \{0,1\}//p' "$0" >&2
  exit 64
fi
target=$1
seconds=$2
shift 2
if [ ! -d "tests/fuzz/corpus/$target" ]; then
  echo "fuzz.sh: no fuzz target \"$target\"" >&2
  exit 64
fi

scripts/install-dependencies.sh
fuzz_packages=(clang-14 libfuzzer-14-dev libclang-rt-14-dev)
missing=()
for package in "${fuzz_packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -q
  "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCALYXA_FUZZ=ON -DCALYXA_BUILD_TESTS=OFF -DCALYXA_BUILD_BENCHMARKS=OFF >/dev/null
nice -n 10 cmake --build build-fuzz --target "${target}_fuzzer"

corpus=build-fuzz/corpus/$target
artifacts=build-fuzz/artifacts/$target
log=build-fuzz/$target.log
mkdir -p "$corpus" "$artifacts"
status=0
started=$SECONDS
# New inputs land in the first folder; the committed seeds are only read. Extra options such as
# -fork=1 -ignore_crashes=1 keep it going past a crash to collect every one.
nice -n 19 "build-fuzz/tests/fuzz/${target}_fuzzer" \
  -max_total_time="$seconds" -timeout=1 -rss_limit_mb=2048 -malloc_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$artifacts/" "$@" \
  "$corpus" "tests/fuzz/corpus/$target" >"$log" 2>&1 || status=$?
elapsed=$((SECONDS - started))

# The last progress line ("#N ... cov: C ft: F", in fork mode "#N: cov: ..."), and the rate.
last=$(grep -E '^#[0-9]+:?[[:space:]]' "$log" | tail -1 || true)
executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
[ -n "$executions" ] || executions=$(sed -E 's/^#([0-9]+).*/\1/' <<<"$last")
coverage=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' <<<"$last" || echo "cov: ? ft: ?")
rate=$(( ${executions:-0} / (elapsed > 0 ? elapsed : 1) ))
crashes=$(find "$artifacts" -type f | wc -l)
echo "$target: ${executions:-0} executions in ${elapsed} s, ${rate} exec/s, ${coverage}," \
  "$crashes inputs in $artifacts (log: $log)"
if [ "$status" -ne 0 ]; then
  grep -E '^==[0-9]+==ERROR|SUMMARY|runtime error|Assertion|Test unit written' "$log" | head -20 >&2 || true
fi
exit "$status"
