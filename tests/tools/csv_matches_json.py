#!/usr/bin/env python3
"""csv_matches_json.py CSV_FILE JSON_FILE: corvath-report's --csv, read by the
csv module, holds the rows of its --json: same order, the JSON keys as header,
equal values, times as UTC ISO 8601. Prints the number of rows checked."""
import calendar, csv, io, json, re, sys, time

TIMES = {"finished", "modified"}  # seconds since 1970 in JSON


def as_text(value):
    if isinstance(value, bool):
        return "true" if value else "false"
    if isinstance(value, list):
        return "\t".join(value)
    return "" if value is None else str(value)


def check(text, rows):
    records = list(csv.reader(io.StringIO(text, newline=""), strict=True))
    # Written back as RFC 4180 has it, the text is the same: CRLF ends, quotes exactly where needed.
    again = io.StringIO(newline="")
    csv.writer(again, lineterminator="\r\n").writerows(records)
    assert again.getvalue() == text, "not RFC 4180 as the csv module writes it"
    header, records = records[0], records[1:]
    assert len(records) == len(rows), f"{len(records)} CSV records, {len(rows)} JSON rows"
    for number, (record, row) in enumerate(zip(records, rows), 1):
        assert len(record) == len(header) and set(row) <= set(header), (header, record, row)
        for key, got in zip(header, record):
            if key in TIMES:
                assert re.fullmatch(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ", got), f"{key} {got!r} is not UTC ISO 8601"
                got = calendar.timegm(time.strptime(got, "%Y-%m-%dT%H:%M:%SZ"))
                want = row[key]
            elif key.endswith("_base64"):
                want = row.get(key, "")
            elif isinstance(row[key], float):
                got, want = float(got), row[key]
            else:
                want = as_text(row[key])
            assert got == want, f"record {number}, {key}: {got!r} in CSV, {want!r} in JSON"
    return len(records)


with open(sys.argv[1], "rb") as csv_file, open(sys.argv[2], encoding="utf-8") as json_file:
    # Strict UTF-8: a name that is not comes as U+FFFD, as in JSON.
    print(check(csv_file.read().decode("utf-8"), json.load(json_file)))
