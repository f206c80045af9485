#!/usr/bin/env python3
"""Reads corvath-report's --csv output with Python's csv module and checks it
against the --json output of the same command: the same rows in the same order,
the header made of the JSON keys, every value equal, times as UTC ISO 8601.

Usage: csv_matches_json.py CSV_FILE JSON_FILE. Prints the number of rows checked."""
import calendar
import csv
import io
import json
import re
import sys
import time

TIME_KEYS = {"finished", "modified"}  # seconds since 1970 in JSON
ISO_UTC = re.compile(r"\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2}Z")


def expected_text(value):
    if value is None:
        return ""
    if isinstance(value, bool):
        return "true" if value else "false"
    if isinstance(value, list):
        return "\t".join(value)
    return str(value)


def check(csv_bytes, rows):
    text = csv_bytes.decode("utf-8")  # strict: names that are not UTF-8 come as U+FFFD
    records = list(csv.reader(io.StringIO(text, newline=""), strict=True))
    # Written back by the csv module as RFC 4180 has it, the bytes are the same:
    # CRLF record ends, and quotes exactly where a field needs them.
    again = io.StringIO(newline="")
    csv.writer(again, lineterminator="\r\n").writerows(records)
    assert again.getvalue() == text, "not RFC 4180 as the csv module writes it"
    header, records = records[0], records[1:]
    assert len(set(header)) == len(header), f"a column twice in {header}"
    assert len(records) == len(rows), f"{len(records)} CSV records, {len(rows)} JSON rows"
    for number, (record, row) in enumerate(zip(records, rows), 1):
        assert len(record) == len(header), f"record {number} has {len(record)} fields"
        fields = dict(zip(header, record))
        missing = set(row) - set(header)
        assert not missing, f"JSON keys {missing} have no CSV column"
        for key, got in fields.items():
            if key.endswith("_base64"):
                want = row.get(key, "")
            elif key in TIME_KEYS:
                assert ISO_UTC.fullmatch(got), f"{key} {got!r} is not UTC ISO 8601"
                assert calendar.timegm(time.strptime(got, "%Y-%m-%dT%H:%M:%SZ")) == row[key], (key, got, row[key])
                continue
            elif isinstance(row.get(key), float):
                assert float(got) == row[key], (key, got, row[key])
                continue
            else:
                assert key in row, f"CSV column {key} is no JSON key"
                want = expected_text(row[key])
            assert got == want, f"record {number}, {key}: {got!r} in CSV, {want!r} in JSON"
    return len(records)


if __name__ == "__main__":
    with open(sys.argv[1], "rb") as csv_file, open(sys.argv[2], encoding="utf-8") as json_file:
        print(check(csv_file.read(), json.load(json_file)))
