#!/usr/bin/env bash
# corvath-scan.exe -o under Wine writes ncdu's export of a drive, to a file and
# to standard output, and Linux ncdu reads it: the same names and sizes as the
# scan's totals, names beyond ASCII in UTF-8, a file with two names once.
#   wine_ncdu_export_test.sh WINE_RUN PREFIX CORVATH_SCAN_EXE WORK_DIR
set -euo pipefail
wine_run="$1" prefix="$2" scan="$3" work="$4"
command -v ncdu >/dev/null || { echo "ncdu is not installed (scripts/setup installs it)"; exit 77; }

rm -rf "$work"
tree="$work/tree"
mkdir -p "$tree/docs/deep" "$tree/dossier é 日本" "$tree/empty"
head -c 30000 /dev/zero >"$tree/docs/report.bin"
head -c 5000 /dev/zero >"$tree/docs/deep/notes.txt"
head -c 2500 /dev/zero >"$tree/dossier é 日本/fïchier ü.txt"
ln "$tree/docs/report.bin" "$tree/dossier é 日本/report-link.bin"

"$wine_run" "$prefix" cmd /c exit >/dev/null 2>&1 || true
ln -sfn "$tree" "$prefix/dosdevices/s:"
fail() { echo "FAIL: $*" >&2; exit 1; }
windows_path() { "$wine_run" "$prefix" winepath.exe -w "$1" 2>/dev/null | tr -d '\r'; }

export_file="$work/scan.json"
printf 'old\n' >"$export_file"
summary=$("$wine_run" "$prefix" "$scan" -o "$(windows_path "$export_file")" S: | tr -d '\r') ||
  fail "corvath-scan.exe -o failed: $summary"
"$wine_run" "$prefix" "$scan" -o - S: 2>/dev/null >"$work/stdout.json" || fail "corvath-scan.exe -o - failed"
cmp -s <(sed 's/"timestamp":[0-9]*//' "$export_file") <(sed 's/"timestamp":[0-9]*//' "$work/stdout.json") ||
  fail "the export to a file and to standard output differ"
[[ -z "$(find "$work" -maxdepth 1 -name '.scan.json.corvath-*')" ]] || fail "the export left its temporary file"

# ncdu reads it and writes it again: what it read is what the scan counted.
HOME=/nonexistent ncdu --ignore-config -0 -f "$export_file" -o "$work/again.json" 2>"$work/ncdu.err" ||
  fail "ncdu -f could not read the export: $(cat "$work/ncdu.err")"
[[ ! -s "$work/ncdu.err" ]] || fail "ncdu complained: $(cat "$work/ncdu.err")"
python3 - "$work/again.json" "$summary" <<'PY' || exit 1
import json, sys
data = json.load(open(sys.argv[1]))
summary = dict(line.split(": ", 1) for line in sys.argv[2].splitlines() if ": " in line)
files, folders, apparent, names, inodes, linked = 0, 0, 0, set(), set(), set()
def walk(node):
    global files, folders, apparent
    folders += 1
    apparent += node[0].get("asize", 0)
    for child in node[1:]:
        if isinstance(child, list):
            names.add(child[0]["name"]); walk(child)
        else:
            files += 1; names.add(child["name"])
            if child.get("hlnkc"):
                linked.add(child["name"])
                if child["ino"] in inodes: continue
                inodes.add(child["ino"])
            apparent += child.get("asize", 0)
walk(data[3])
checks = {"files": files, "folders": folders, "apparent": apparent}
bad = [f"{k}: ncdu {v}, corvath-scan {summary.get(k)}" for k, v in checks.items() if str(v) != summary.get(k)]
for name in ("fïchier ü.txt", "dossier é 日本", "notes.txt", "empty"):
    if name not in names: bad.append(f"ncdu read no {name!r}")
if linked != {"report.bin", "report-link.bin"}: bad.append(f"ncdu read as linked {sorted(linked)}")
if not data[3][0]["name"].startswith("S:"): bad.append(f"the root is named {data[3][0]['name']!r}")
if bad: sys.exit("FAIL: " + "; ".join(bad))
print(f"ok: ncdu read {files} files and {folders} folders, {apparent} bytes, as corvath-scan.exe counted")
PY
