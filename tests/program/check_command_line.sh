#!/usr/bin/env bash
# check_command_line.sh PROGRAM VERSION
# Runs the program with no display at all: --help and --version answer on standard output and
# exit 0, a wrong command line gets the usage on standard error and exit code 2. None of them may
# try to open a window, which would fail here.
set -uo pipefail

program=$1
version=$2
out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
failures=0

# run EXPECTED_CODE ARGS...: runs the program without DISPLAY or WAYLAND_DISPLAY.
run() {
    local expected=$1
    shift
    env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb ASAN_OPTIONS=detect_leaks=0 \
        "$program" "$@" >"$out" 2>"$err" </dev/null
    local code=$?
    if [ "$code" -ne "$expected" ]; then
        echo "check_command_line: '$*' exited with $code, not $expected; stderr:" >&2
        sed 's/^/  /' "$err" >&2
        failures=$((failures + 1))
        return 1
    fi
}

if run 0 --help; then
    grep -q '^Usage: plivora \[FILE | FOLDER\]$' "$out" || { echo "--help: no usage line" >&2; failures=$((failures + 1)); }
    [ -s "$err" ] && { echo "--help wrote to stderr" >&2; failures=$((failures + 1)); }
fi
if run 0 some.jpg -h; then
    grep -q '^Usage:' "$out" || { echo "-h: no usage" >&2; failures=$((failures + 1)); }
fi
if run 0 --version; then
    [ "$(cat "$out")" = "plivora $version" ] || { echo "--version printed '$(cat "$out")'" >&2; failures=$((failures + 1)); }
fi
for wrong in "--frobnicate" "-x" "one.jpg two.jpg"; do
    # shellcheck disable=SC2086
    if run 2 $wrong; then
        [ -s "$out" ] && { echo "'$wrong' wrote to stdout" >&2; failures=$((failures + 1)); }
        grep -q '^Usage: plivora' "$err" || { echo "'$wrong': no usage on stderr" >&2; failures=$((failures + 1)); }
    fi
done

exit $((failures > 0))
