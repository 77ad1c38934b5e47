#!/bin/sh
# Runs every fuzz target of a fuzz build for a while and prints one line per target.
#   tools/run-fuzzers.sh <fuzz build folder> <seconds per target>
# Each target starts from its committed seeds (fuzz/corpus/<name>, never written to) and
# keeps what it finds in <build>/corpus/<name>. A crash, a hang (an input taking longer than
# 10 s), a leak or a sanitizer report stops the target, leaves the input in
# <build>/artifacts/, and fails the run.
set -eu

build=$1
seconds=$2
source_dir=$(cd "$(dirname "$0")/.." && pwd)
# The targets are those fuzz/CMakeLists.txt lists, as the fuzz build wrote them down.
if [ ! -f "$build/fuzz/targets.txt" ]; then
    echo "run-fuzzers: $build is not a fuzz build (no fuzz/targets.txt)" >&2
    exit 1
fi
targets=$(cat "$build/fuzz/targets.txt")

export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
# Reports with function names and lines: the symbolizer of the release's LLVM (package llvm).
if symbolizer=$(command -v llvm-symbolizer); then
    export ASAN_SYMBOLIZER_PATH="$symbolizer"
fi

failed=""
passed=0
mkdir -p "$build/artifacts"
printf '%-12s %12s %10s %8s  %s\n' target executions exec/s corpus result
for name in $targets; do
    work="$build/corpus/$name"
    log="$build/fuzz-$name.log"
    mkdir -p "$work"
    if "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$build/artifacts/$name-" \
        "$work" "$source_dir/fuzz/corpus/$name" >"$log" 2>&1; then
        result=ok
        passed=$((passed + 1))
    else
        result="FAILED (see $log)"
        failed="$failed $name"
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
    units=$(find "$work" -type f | wc -l)
    printf '%-12s %12s %10s %8s  %s\n' "$name" "${runs:-?}" "${speed:-?}" "$units" "$result"
done

failures=$(echo $failed | wc -w)
if [ -n "$failed" ]; then
    echo "fuzz: findings in:$failed" >&2
    for name in $failed; do
        tail -n 40 "$build/fuzz-$name.log" >&2
    done
fi
echo "fuzz: $passed passed, $failures failed"
[ -z "$failed" ]
