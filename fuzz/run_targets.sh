#!/usr/bin/env bash
# Runs built fuzz targets, each for SECONDS on a copy of its seed corpus in a temp folder, and
# prints one line per target. Used by fuzz/smoke.sh and scripts/fuzz.sh; builds nothing.
# usage: fuzz/run_targets.sh SECONDS KEEP(0|1) TARGET...
# Exit 1 when any target crashed, leaked, timed out or did not run.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
bin_dir=${TAVIK_FUZZ_BIN:-$here/../build/fuzz/fuzz}
seconds=$1 keep=$2
shift 2

# Longest input per target: a number or an item line is short, a settings file is not.
max_len() {
    case $1 in
        number_rules_fuzz) echo 64 ;;
        item_split_fuzz | command_line_fuzz) echo 512 ;;
        menu_load_fuzz) echo 2048 ;;
        *) echo 4096 ;;
    esac
}

# pango keeps every font size it has measured; the load's fuzzer asks for hundreds.
rss_limit() {
    case $1 in
        menu_load_fuzz) echo 4096 ;;
        *) echo 2048 ;;
    esac
}

work=$(mktemp -d "${TMPDIR:-/tmp}/tavik-fuzz-run.XXXXXX")
[ "$keep" = 1 ] || trap 'rm -rf "$work"' EXIT

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}

failed=0
for target in "$@"; do
    exe=$bin_dir/$target
    if [ ! -x "$exe" ]; then
        echo "$target: not built ($exe)"
        failed=1
        continue
    fi
    corpus=$work/$target/corpus artifacts=$work/$target/artifacts log=$work/$target/log
    mkdir -p "$corpus" "$artifacts"
    cp -r "$here/corpus/$target/." "$corpus/" 2>/dev/null
    "$exe" -max_total_time="$seconds" -max_len="$(max_len "$target")" -timeout=10 \
        -rss_limit_mb="$(rss_limit "$target")" -print_final_stats=1 -artifact_prefix="$artifacts/" \
        "$corpus" </dev/null >"$log" 2>&1
    rc=$?
    # Executions: the final statistics, else the last status line (a crash ends without them).
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    [ -n "$execs" ] || execs=$(sed -n 's/^#\([0-9][0-9]*\).*/\1/p' "$log" | tail -1)
    crashes=$(find "$artifacts" -type f | wc -l)
    if [ "$rc" -ne 0 ] || [ "$crashes" -ne 0 ]; then
        failed=1
        echo "$target: ${execs:-0} execs, $crashes crashes (exit $rc)"
        grep -m1 -E 'ERROR:|fuzz check failed|runtime error:' "$log" | sed 's/^/    /'
        find "$artifacts" -type f | sed 's/^/    input: /'
        echo "    log: $log"
        keep=1
        trap - EXIT
    else
        echo "$target: ${execs:-0} execs, 0 crashes"
    fi
done
[ "$keep" = 1 ] && echo "work folder kept: $work"
exit "$failed"
