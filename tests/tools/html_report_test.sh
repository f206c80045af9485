#!/usr/bin/env bash
# corvath-report html opened in headless Chromium: the tree and the treemap are
# drawn, #zoom=PATH zooms into a folder, a folder named as markup shows as text
# and adds no element, and the page asks for nothing from the network.
#   html_report_test.sh CORVATH-REPORT STORE-SCAN WORK-FOLDER
set -euo pipefail
report=$1 store=$2 work=$3
browser=$(command -v chromium || command -v chromium-browser || true)
[[ -n $browser ]] || { echo "chromium is not installed: skipped"; exit 77; }

rm -rf "$work" && mkdir -p "$work/tree"
fail() { echo "FAIL: $*" >&2; exit 1; }
# A name cannot hold "/": the script element's closing tag is split into a
# folder "<script>alert(1)<" holding "script>"; a second name tries an element
# with a handler.
evil='<script>alert(1)</script>'
img='<img src=x onerror=alert(2)>'
mkdir -p "$work/tree/big/inner" "$work/tree/$evil" "$work/tree/small" "$work/tree/$img"
head -c 3000000 /dev/zero >"$work/tree/big/inner/blob"
head -c 1000000 /dev/zero >"$work/tree/$evil/payload"
head -c 900000 /dev/zero >"$work/tree/$img/payload"
head -c 200000 /dev/zero >"$work/tree/small/little"
db=$work/scans.db
"$store" "$db" "$work/tree" >/dev/null
head -c 2000000 /dev/zero >"$work/tree/big/more"
"$store" "$db" "$work/tree" >/dev/null

"$report" --database "$db" html --compare 1 "$work/report.html"
page=$work/report.html

# Self-contained: no address to fetch, no external src or href in its markup
# (the data element, where stored names stand escaped, aside).
if grep -Eiq 'https?://' "$page"; then fail "the page names a web address"; fi
if grep -v '<script type="application/json"' "$page" | grep -Eiq '(src|href)[[:space:]]*='; then fail "the page refers to an outside resource"; fi
# The data element holds the name escaped: nothing in it can close the element.
[[ $(grep -c '</script>' "$page") -eq 2 ]] || fail "a stored name closed a script element in the file"
grep -q '\\u003cscript\\u003ealert(1)\\u003c/script\\u003e' "$page" || fail "the name is not escaped in the data"

dump() {  # URL -> the DOM once the page's script has run
  "$browser" --headless=new --no-sandbox --disable-gpu --no-first-run --user-data-dir="$work/profile" \
    --window-size=1280,1600 --virtual-time-budget=3000 --enable-logging=stderr --v=0 --dump-dom "$1" 2>"$work/chromium.log"
  if grep -q 'CONSOLE.*Uncaught' "$work/chromium.log"; then fail "the page's script failed: $(grep -m1 Uncaught "$work/chromium.log")"; fi
}
url="file://$page"
dom=$(dump "$url" | tr '\n' ' ')
printf '%s\n' "$dom" >"$work/dom.html"
grep -q 'role="treeitem"' <<<"$dom" || fail "no folder tree in the page"
blocks=$(grep -o 'class="block folder"' <<<"$dom" | wc -l)
((blocks >= 4)) || fail "the treemap shows $blocks folder blocks, not the 4 of the tree"
# The root is open: its folders are rows of the tree, the markup-named ones as text.
grep -q 'role="group"' <<<"$dom" || fail "the tree's root is not open"
grep -q 'class="name" title="[^"]*">&lt;script&gt;alert(1)&lt;</span>' <<<"$dom" || fail "the markup-named folder is not a row shown as text"
grep -q 'class="name" title="[^"]*">&lt;img src=x onerror=alert(2)&gt;</span>' <<<"$dom" || fail "the img-named folder is not shown as text"
grep -q '&lt;script&gt;alert(1)&lt;/script&gt;/payload' <<<"$dom" || fail "the markup-named path is not shown as text"
[[ $(grep -o '<script' <<<"$dom" | wc -l) -eq 2 ]] || fail "the page has more script elements than its own two"
if grep -q '<img' <<<"$dom"; then fail "a stored name made an element"; fi
grep -q '<circle' <<<"$dom" || fail "no history chart"
grep -q 'id="growth-section"[^>]*>' <<<"$dom" && ! grep -q 'id="growth-section" hidden' <<<"$dom" ||
  fail "the growth of --compare is not shown"
grep -q 'What grew' <<<"$dom" && grep -q '+1.9 MiB\|+2.0 MiB' <<<"$dom" || fail "the growth of big is not listed"

# Zoomed into big: its inner folder fills the map, its siblings are gone.
zoom=$(python3 -c 'import sys, urllib.parse; print(urllib.parse.quote(sys.argv[1], safe=""))' "$work/tree/big")
zoomed=$(dump "$url#zoom=$zoom" | tr '\n' ' ')
grep -q "data-zoom=\"$work/tree/big\"" <<<"$zoomed" || fail "#zoom did not zoom into big"
if grep -q 'class="block folder"[^>]*title="[^"]*/small' <<<"$zoomed"; then fail "the zoomed map still shows big's sibling"; fi
grep -q "title=\"$work/tree/big/inner" <<<"$zoomed" || fail "the zoomed map does not show big/inner"

# --open: the page beside the default database, handed to xdg-open (a fake
# first on PATH that notes what it was given); without FILE, standard output.
mkdir -p "$work/bin" "$work/data/corvath"
printf '#!/bin/sh\nprintf "%%s\\n" "$@" >"%s/opened.new" && mv "%s/opened.new" "%s/opened"\n' "$work" "$work" "$work" >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
for part in "" -wal -shm; do [[ -e $db$part ]] && cp "$db$part" "$work/data/corvath/scans.db$part"; done
printed=$(PATH="$work/bin:$PATH" XDG_DATA_HOME="$work/data" "$report" html --open)
[[ $printed == "$work/data/corvath/report.html" ]] || fail "--open printed \"$printed\""
for _ in $(seq 50); do [[ -e $work/opened ]] && break; sleep 0.1; done
[[ $(cat "$work/opened" 2>/dev/null) == "$work/data/corvath/report.html" ]] || fail "xdg-open was not given the page"
cmp -s <("$report" --database "$db" html) "$work/data/corvath/report.html" || fail "standard output and --open differ"

"$browser" --headless=new --no-sandbox --disable-gpu --no-first-run --user-data-dir="$work/profile" \
  --window-size=1280,1400 --virtual-time-budget=3000 --screenshot="$work/report.png" "$url" 2>>"$work/chromium.log" >/dev/null
[[ -s $work/report.png ]] || fail "no screenshot"
echo "html report: ok (screenshot $work/report.png)"
