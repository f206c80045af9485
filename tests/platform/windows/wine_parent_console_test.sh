#!/usr/bin/env bash
# corvath-analyzer.exe is a window program: started from a console with no
# standard handles of its own, as a command prompt starts it, its --version and
# --help reach that console; redirected, they reach the file. A terminal gives
# the console here (Wine makes it the console of the program it starts).
#   wine_parent_console_test.sh WINE_RUN PREFIX CORVATH_ANALYZER_EXE CONSOLE_STARTER_EXE WORK_DIR
set -euo pipefail
wine_run="$1" prefix="$2" analyzer="$3" starter="$4" work="$5"
command -v script >/dev/null || { echo "script (util-linux) is not installed"; exit 77; }
rm -rf "$work"
mkdir -p "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }
"$wine_run" "$prefix" cmd /c exit >/dev/null 2>&1 || true
windows_path() { "$wine_run" "$prefix" winepath.exe -w "$1" 2>/dev/null | tr -d '\r'; }
program=$(windows_path "$analyzer")

in_console() {
  timeout 120 script -qec "$(printf '%q ' "$wine_run" "$prefix" "$starter" "$program" "$@")" "$work/typescript" \
    >/dev/null || fail "$1 did not reach the console: $(tr -d '\r' <"$work/typescript" | sed 's/\x1b\[[0-9;?]*[A-Za-z]//g')"
}
in_console --version "corvath-analyzer 0."
in_console --help "Usage: corvath-analyzer"

"$wine_run" "$prefix" cmd /c "$program" --version ">" "$(windows_path "$work/out.txt")" >/dev/null 2>&1 || true
grep -q 'corvath-analyzer [0-9]' "$work/out.txt" || fail "--version redirected to a file wrote $(cat "$work/out.txt" 2>&1)"
echo "ok: --version and --help reach the console, and a file they are redirected to"
