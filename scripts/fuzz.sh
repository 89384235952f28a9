#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the conversion engine's libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) and runs each for a bounded time on a copy of its seed corpus,
# so the repository's corpus is never written. Fails, printing the offending input, on any oracle
# failure, sanitizer report, crash or hang.
#
#   scripts/fuzz.sh                      all targets, FUZZ_SECONDS (default 20) each
#   FUZZ_SECONDS=300 scripts/fuzz.sh convert_input
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-20}
build=build-fuzz

# Target name and the longest input worth trying: long numerals matter for reading and for the
# converter; a double is 8 bytes (10 with the decimal-looking variant).
declare -A max_len=([text_to_number]=4096 [number_to_text]=16 [convert_input]=2048)
targets=("$@")
if ((${#targets[@]} == 0)); then
    targets=(text_to_number number_to_text convert_input)
fi
for name in "${targets[@]}"; do
    if [[ -z "${max_len[$name]:-}" ]]; then
        echo "Unknown fuzz target: $name (known: ${!max_len[*]})" >&2
        exit 2
    fi
done

scripts/deps.sh test

# The "fuzz" preset: clang, the engine alone, libFuzzer targets in build-fuzz/.
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

passed=0
failed=0
for name in "${targets[@]}"; do
    binary="$build/tests/fuzz/fuzz_$name"
    work="$build/fuzz-run/$name"
    rm -rf "$work"
    mkdir -p "$work/corpus" "$work/artifacts"
    cp -R "tests/fuzz/corpus/$name/." "$work/corpus/"
    options=(-max_total_time="$seconds" -max_len="${max_len[$name]}" -timeout=10
             -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$work/artifacts/")
    if [[ -f "tests/fuzz/$name.dict" ]]; then
        options+=(-dict="tests/fuzz/$name.dict")
    fi

    echo "== fuzz_$name: ${seconds} s"
    if "$binary" "${options[@]}" "$work/corpus" >"$work/log" 2>&1; then
        passed=$((passed + 1))
        # The last status line ("#N DONE cov: .. ft: .. corp: ..") and the rate.
        grep -E '^#[0-9]+[[:space:]]+DONE' "$work/log" | tail -n 1 || true
        grep -E '^stat::(number_of_executed_units|average_exec_per_sec)' "$work/log" || true
    else
        failed=$((failed + 1))
        echo "FAILED: fuzz_$name (full log: $work/log)"
        # The report without libFuzzer's progress lines.
        grep -vE '^#[0-9]+[[:space:]]' "$work/log" | tail -n 60
        for artifact in "$work"/artifacts/*; do
            [[ -e "$artifact" ]] || continue
            echo "-- input $artifact ($(stat -c %s "$artifact") bytes):"
            od -A d -c "$artifact" | head -n 40
            echo "-- reproduce with: $binary $artifact"
        done
    fi
done

echo "Fuzzing: $passed passed, $failed failed"
((failed == 0))
