#!/bin/sh
# prometheus_rules.sh FOLDER: checks the shipped alert rules with promtool and
# runs their unit tests; checks that the dashboard is JSON whose queries name
# only our metrics. Skips (77) without promtool.
set -u
folder=$1
if ! command -v promtool >/dev/null 2>&1; then
  echo "skipped: promtool is not installed (apt-get install prometheus)"
  exit 77
fi
status=0
promtool check rules "$folder/corvath-alerts.yml" || status=1
(cd "$folder" && promtool test rules corvath-alerts.test.yml) || status=1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
python3 - "$folder/corvath-dashboard.json" "$scratch/dashboard-rules.yml" <<'PY' || status=1
import json, re, sys
board = json.load(open(sys.argv[1]))
queries = [t["expr"] for p in board["panels"] for t in p.get("targets", [])]
assert queries, "no queries"
for q in queries:
    names = set(re.findall(r"([A-Za-z_:][A-Za-z0-9_:]*)\s*\{", q))
    assert names and all(n.startswith("corvath_") for n in names) and "node_" not in q, q
# As recording rules, so that promtool parses every query (Grafana's variable made a regex).
with open(sys.argv[2], "w") as rules:
    rules.write("groups:\n  - name: dashboard\n    rules:\n")
    for i, q in enumerate(queries):
        rules.write(f"      - record: dashboard_query_{i}\n        expr: {json.dumps(q.replace('$instance', '.+'))}\n")
print(f"dashboard: {len(queries)} queries, all over corvath_ metrics")
PY
promtool check rules "$scratch/dashboard-rules.yml" || status=1
exit $status
