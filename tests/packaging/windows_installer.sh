#!/usr/bin/env bash
# The Windows installer on a fresh Wine prefix, as a user meets it: a silent
# install creates the settings key, the programs, the shortcut and the weekly
# task; -auto then analyzes the saved drive and stores its scan; a silent
# uninstall removes the programs and the task and leaves the user's settings
# and scans.
#   windows_installer.sh WINE_RUN SETUP.EXE WORK_FOLDER
set -euo pipefail
wine_run=$1 setup=$2 work=$3

prefix=$work/prefix
# A run just before leaves its prefix's server running for a minute, writing
# into the prefix: end it before the prefix is removed.
[[ -d "$prefix" ]] && { WINEPREFIX=$prefix /usr/lib/wine/wineserver -k || true; }
rm -rf "$work"
mkdir -p "$work"
wine() { "$wine_run" "$prefix" "$@"; }
fail() { echo "FAIL: $*" >&2; exit 1; }
# A Windows path in this prefix as a Unix path.
unix_path() { wine winepath.exe -u "$1" 2>/dev/null | tr -d '\r'; }
# An environment variable as the Windows programs see it.
windows_env() { wine cmd.exe /c echo "%$1%" 2>/dev/null | tr -d '\r'; }
has_key() { wine reg.exe query 'HKCU\Software\Tamsel' >/dev/null 2>&1; }

# A drive S: to analyze: a small tree with known contents.
tree=$work/drive-s
mkdir -p "$tree/docs/deep" "$tree/empty" "$tree/Süd/Ærø"
head -c 300000 /dev/zero >"$tree/docs/report.bin"
head -c 5000 /dev/zero >"$tree/docs/deep/notes.txt"
wine cmd.exe /c exit 0 >/dev/null 2>&1  # makes the prefix
# Wine reads its drive links when its server starts.
WINEPREFIX=$prefix /usr/lib/wine/wineserver -k || true
ln -sfn "$tree" "$prefix/dosdevices/s:"

has_key && fail "a fresh prefix already has HKCU\\Software\\Tamsel"
wine "$setup" /S /WEEKLY /METRICS || fail "the silent install failed"

programs=$(unix_path "$(windows_env LOCALAPPDATA)\\Programs\\Corvath Analyzer")
for program in corvath-analyzer.exe corvath-scan.exe corvath-report.exe uninstall.exe; do
  [[ -f "$programs/$program" ]] || fail "$program was not installed in $programs"
done
shortcut=$(unix_path "$(windows_env APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\Corvath Analyzer.lnk")
[[ -f "$shortcut" ]] || fail "no Start-menu shortcut at $shortcut"
results_shortcut=$(unix_path "$(windows_env APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\Corvath Results.lnk")
[[ -f "$results_shortcut" ]] || fail "no Start-menu shortcut at $results_shortcut"
# A .lnk keeps its arguments as UTF-16 (or, from an ANSI maker, as bytes).
LC_ALL=C grep -aqE 'html --open|h.t.m.l. .-.-.o.p.e.n' "$results_shortcut" ||
  fail "the Corvath Results shortcut does not run corvath-report.exe html --open"
has_key || fail "the install did not create HKCU\\Software\\Tamsel"
task="$prefix/drive_c/windows/system32/tasks/Corvath Analyzer weekly analysis"
[[ -f "$task" ]] || fail "/WEEKLY scheduled no task"
# Wine's scheduler keeps a task's description but neither its trigger nor its
# command, so only the registration itself can be seen here.
grep -q 'Corvath Analyzer: analyze the drives every week' "$task" || fail "the weekly task is not ours: $(cat "$task")"
# Given up after 6 hours, at a low priority, as the Linux timer's service.
task_text=$(cat "$task")
grep -q '<ExecutionTimeLimit>PT6H</ExecutionTimeLimit>' <<<"$task_text" || fail "the weekly task has no 6-hour limit: $task_text"
grep -q '<Priority>9</Priority>' <<<"$task_text" || fail "the weekly task does not run at a low priority: $task_text"
# /METRICS: the machine's task that feeds windows_exporter (Wine runs the setup
# with the rights an administrator's has).
metrics_task="$prefix/drive_c/windows/system32/tasks/Corvath Analyzer metrics for windows_exporter"
[[ -f "$metrics_task" ]] || fail "/METRICS scheduled no task"
grep -q 'write their metrics for windows_exporter' "$metrics_task" || fail "the metrics task is not ours: $(cat "$metrics_task")"
# The list of installed programs shows the product's icon, publisher and size.
entry=$(wine reg.exe query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\CorvathAnalyzer' | tr -d '\r')
grep -q 'DisplayIcon.*corvath-analyzer\.exe,0' <<<"$entry" || fail "the uninstall entry has no DisplayIcon: $entry"
grep -q 'Publisher.*REG_SZ' <<<"$entry" || fail "the uninstall entry has no Publisher: $entry"
grep -Eq 'EstimatedSize.*REG_DWORD.*0x[0-9a-f]*[1-9a-f]' <<<"$entry" || fail "the uninstall entry has no EstimatedSize: $entry"
# Every program and the setup carry their version for Explorer's properties.
for file in "$setup" "$programs"/*.exe; do
  python3 - "$file" <<'PY' || fail "$file carries no version information"
import sys
data = open(sys.argv[1], "rb").read()
sys.exit(0 if all(k.encode("utf-16-le") in data for k in ("VS_VERSION_INFO", "ProductVersion", "Corvath Analyzer")) else 1)
PY
done
[[ -z "$(wine reg.exe query 'HKCU\Software\Tamsel' 2>/dev/null | tr -d '\r' | grep REG_)" ]] ||
  fail "the install left values in HKCU\\Software\\Tamsel"

# The user's remembered drive, as the wizard saves it.
wine reg.exe add 'HKCU\Software\Tamsel' /v SelectedDrives /t REG_SZ /d 'S:' /f >/dev/null
wine reg.exe add 'HKCU\Software\Tamsel' /v SaveAnalyzerSettings /t REG_SZ /d yes /f >/dev/null
wine "$programs/corvath-analyzer.exe" -auto || fail "corvath-analyzer -auto failed with status $?"
database=$(unix_path "$(windows_env LOCALAPPDATA)\\Corvath\\scans.db")
[[ -f "$database" ]] || fail "-auto stored no scan at $database"
scans=$(wine "$programs/corvath-report.exe" scans --json --bytes | tr -d '\r')
grep -q '"drive": *"S:"' <<<"$scans" || fail "the stored scans do not hold drive S: ($scans)"
grep -q '"files": *2,' <<<"$scans" || fail "the scan of S: does not count its 2 files ($scans)"
# Windows paths into the stored scan: a folder, and the largest files' paths.
top=$(wine "$programs/corvath-report.exe" top --bytes 'S:\docs' | tr -d '\r')
grep -q 'S:\\docs\\deep$' <<<"$top" || fail "top S:\\docs does not list S:\\docs\\deep ($top)"
# A name beyond ASCII, given on the command line and shown, is UTF-8 throughout;
# letters match in either case, as Windows matches them.
south=$(wine "$programs/corvath-report.exe" top 's:/SüD' | tr -d '\r')
grep -q 'SüD\\Ærø$' <<<"$south" || fail "top s:/SüD does not list its folder Ærø ($south)"
files=$(wine "$programs/corvath-report.exe" files | tr -d '\r')
grep -q ' S:\\docs\\report\.bin$' <<<"$files" || fail "files does not list S:\\docs\\report.bin ($files)"
# A drive by its letter alone or by its root, in every command that names one.
for drive in 'S:' 'S:\'; do
  top=$(wine "$programs/corvath-report.exe" top "$drive" | tr -d '\r')
  grep -q 'S:\\docs$' <<<"$top" || fail "top $drive does not list S:\\docs ($top)"
  history=$(wine "$programs/corvath-report.exe" history --json "$drive" | tr -d '\r')
  grep -q '"files": *2,' <<<"$history" || fail "history $drive does not show the scan of S: ($history)"
done
# The stored scan as ncdu's export, which Linux ncdu reads.
if command -v ncdu >/dev/null; then
  wine "$programs/corvath-report.exe" export --ncdu - >"$work/stored.json" || fail "export --ncdu failed"
  HOME=/nonexistent ncdu --ignore-config -0 -f "$work/stored.json" -o "$work/again.json" 2>&1 ||
    fail "ncdu -f could not read corvath-report.exe's export"
  grep -q '"name":"notes.txt"' "$work/again.json" || fail "ncdu read no notes.txt from the export ($(cat "$work/again.json"))"
fi

# Files for other programs, byte for byte as they take them: windows_exporter
# refuses a metrics file with a byte order mark, CR LF or no final LF; CSV
# records end in CR LF, and a name's own line break stays a lone LF.
wine "$programs/corvath-report.exe" metrics "$(windows_env TEMP)\\corvath.prom" || fail "metrics failed"
prom=$(unix_path "$(windows_env TEMP)\\corvath.prom")
wine "$programs/corvath-report.exe" top --csv S: >"$work/top.csv" || fail "top --csv failed"
python3 - "$prom" "$work/top.csv" <<'PY' || fail "the metrics or CSV bytes are not as other programs take them"
import sys
prom, csv = (open(name, "rb").read() for name in sys.argv[1:])
assert not prom.startswith(b"\xef\xbb\xbf") and b"\r" not in prom and prom.endswith(b"\n"), prom[:200]
assert b'corvath_drive_files{mountpoint="S:"} 2\n' in prom, prom
assert csv.endswith(b"\r\n") and csv.count(b"\r\n") == csv.count(b"\n") and b"\r\r" not in csv, csv[:200]
PY

# A script may go on as soon as the silent uninstall returns: it is done then.
wine "$programs/uninstall.exe" /S || fail "the silent uninstall failed"
[[ ! -e "$programs" ]] || fail "the uninstall returned before it was done, or left $programs: $(ls "$programs")"
[[ ! -e "$shortcut" ]] || fail "the uninstall left the shortcut"
[[ ! -e "$results_shortcut" ]] || fail "the uninstall left the Corvath Results shortcut"
[[ ! -e "$task" ]] || fail "the uninstall left the weekly task"
[[ ! -e "$metrics_task" ]] || fail "the uninstall left the metrics task"
has_key || fail "the uninstall removed the user's settings key"
wine reg.exe query 'HKCU\Software\Tamsel' /v SelectedDrives >/dev/null 2>&1 ||
  fail "the uninstall removed the user's SelectedDrives"
[[ -f "$database" ]] || fail "the uninstall removed the user's scans"
echo "installer: install, -auto and uninstall as expected"
