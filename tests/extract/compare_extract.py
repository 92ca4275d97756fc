"""Compares an extraction with what the records view lists for the same save file.

Usage: compare_extract.py CLI SAVEFILE FOLDER [DATABASE]

FOLDER holds catalog.json and the files `quelvane-cli extract` wrote for SAVEFILE. Every member
the catalog lists as written is listed again with `quelvane-cli show --json`, and its CSV file
(read with the csv module), its source file and, given DATABASE, its table or source lines (read
with the sqlite3 module) are compared with that listing field by field. Prints one line per
difference and exits with 1 when there is any.
"""

import csv
import decimal
import json
import re
import sqlite3
import subprocess
import sys

CHARACTER = {"0403", "0603"}
DATE = "0B03"
TIMESTAMP = "0D03"
TIME = "0C03"
FLOAT = "0103"
NUMERIC = {"0003", "0203", "0303"}
BINARY = "0003"
PLAIN_DECIMAL = re.compile(r"^-?(0|[1-9][0-9]*)(\.[0-9]+)?$")

problems = []


def problem(where, text):
    problems.append(f"{where}: {text}")


def view_number(text):
    """The number a view's numeric text stands for, or None when it is not one."""
    squeezed = text.replace(" ", "")
    negative = "-" in squeezed
    digits = squeezed.replace("-", "")
    if digits in ("", ".") or not re.fullmatch(r"[0-9]*\.?[0-9]*", digits):
        return None
    value = decimal.Decimal(digits if digits[0] != "." else "0" + digits)
    return -value if negative else value


def compare_cell(where, field, shown, written):
    kind = field["type"]
    if kind in CHARACTER:
        expected = shown.rstrip(" ")
        if written != expected:
            problem(where, f"{written!r} != view {shown!r}")
    elif kind == DATE:
        if written != shown.replace("/", "-") or not re.fullmatch(r"\d{4}-\d\d-\d\d", written):
            problem(where, f"{written!r} != view {shown!r}")
    elif kind == TIMESTAMP:
        # The view shows the date; the extraction keeps the time and microseconds as well.
        if written[:10] != shown.replace("/", "-") or not re.fullmatch(
            r"\d{4}-\d\d-\d\d [0-9A-F]{2}:[0-9A-F]{2}:[0-9A-F]{2}\.[0-9A-F]{6}", written
        ):
            problem(where, f"{written!r} != view {shown!r}")
    elif kind in (TIME, FLOAT):
        if written != shown:
            problem(where, f"{written!r} != view {shown!r}")
    elif kind in NUMERIC:
        number = view_number(shown)
        if number is None:
            if written != shown and not (written == "" and shown.strip(" .") == ""):
                problem(where, f"{written!r} for a view text {shown!r} that is no number")
            return
        if kind == BINARY and len(shown) > 0 and shown.startswith("0x"):
            return
        decimals = field["decimals"]
        # The view shows a binary field's integer unscaled; the extraction scales it.
        if kind == BINARY:
            number = number.scaleb(-decimals)
        if not PLAIN_DECIMAL.match(written) or decimal.Decimal(written) != number:
            problem(where, f"{written!r} != view {shown!r}")
        fraction = written.split(".")[1] if "." in written else ""
        if len(fraction) != decimals:
            problem(where, f"{written!r} has not {decimals} decimal positions")
    elif written != "":
        problem(where, f"{written!r} for a type without text")


def show(cli, save_file, node):
    result = subprocess.run([cli, "show", "--json", save_file, node], capture_output=True, check=False)
    if result.returncode != 0:
        problem(node, f"show exited with {result.returncode}: {result.stderr!r}")
        return None
    return json.loads(result.stdout)


def column_names(obj):
    """The CSV header a physical file's CSV files carry: each field's long name where the file's
    description gives one, else its name."""
    fields = obj["fields"]
    described = obj.get("file", {}).get("formats", [{}])[0].get("fields", [])
    if len(described) != len(fields):
        return [field["name"] for field in fields]
    return [d["longName"] or field["name"] for field, d in zip(fields, described)]


def compare_data(where, fields, names, listing, path, table, database):
    with open(path, newline="", encoding="utf-8") as handle:
        rows = list(csv.reader(handle))
    with open(path, "rb") as handle:
        raw = handle.read()
    if raw.replace(b"\r\n", b"").find(b"\n") >= 0 and b'"' not in raw:
        problem(where, "a line does not end in CRLF")
    if rows[0] != names:
        problem(where, f"header {rows[0]} != fields {names}")
    records = [row["cells"] for row in listing["rows"] if not row.get("recordless")]
    if len(rows) - 1 != len(records):
        problem(where, f"{len(rows) - 1} rows != {len(records)} records listed")
    for number, (written, shown) in enumerate(zip(rows[1:], records)):
        for field, cell, text in zip(fields, shown, written):
            compare_cell(f"{where} row {number} {field['name']}", field, cell, text)
    if database is None or table is None:
        return
    stored = database.execute(f'SELECT * FROM "{table}" ORDER BY rowid').fetchall()
    if len(stored) != len(rows) - 1:
        problem(where, f"table {table} holds {len(stored)} rows, not {len(rows) - 1}")
    types = [row[2] for row in database.execute(f'PRAGMA table_info("{table}")')]
    for number, (values, written) in enumerate(zip(stored, rows[1:])):
        for column, (value, text) in enumerate(zip(values, written)):
            if value is None:
                expected = ""
            elif isinstance(value, int):
                expected = str(value)
            else:
                expected = value
            if expected != text or isinstance(value, float):
                problem(f"{where} table row {number} column {column}", f"{value!r} != CSV {text!r}")
            if isinstance(value, int) and types[column] != "INTEGER":
                problem(where, f"an integer in the {types[column]} column {column}")


def compare_source(where, listing, path, part, obj, member, database):
    with open(path, "rb") as handle:
        text = handle.read().decode("utf-8")
    lines = text.split("\n")
    if lines[-1] != "":
        problem(where, "the last line does not end in LF")
    lines = lines[:-1]
    shown = [row["cells"][2].rstrip(" ") for row in listing["rows"] if not row.get("recordless")]
    if lines != shown:
        problem(where, f"source lines differ from the view: {lines[:3]} / {shown[:3]}")
    if database is None:
        return
    stored = database.execute(
        "SELECT text, line FROM source WHERE object = ? AND member = ? ORDER BY line", (obj, member)
    ).fetchall()
    if [row[0] for row in stored] != lines or [row[1] for row in stored] != list(range(1, len(lines) + 1)):
        problem(where, "the source table's lines differ from the file")


def main():
    cli, save_file, folder = sys.argv[1:4]
    database = sqlite3.connect(sys.argv[4]) if len(sys.argv) > 4 else None
    with open(f"{folder}/catalog.json", encoding="utf-8") as handle:
        catalog = json.load(handle)
    compared = 0
    for part in catalog["parts"]:
        for index, obj in enumerate(part["objects"]):
            for number, member in enumerate(obj.get("members", [])):
                if "path" not in member:
                    continue
                where = member["path"]
                listing = show(cli, save_file, f"{part['index']}/{index}/{number}")
                if listing is None:
                    continue
                path = f"{folder}/{member['path']}"
                if member["kind"] == "source":
                    compare_source(where, listing, path, part["index"], obj["name"], member["name"], database)
                else:
                    compare_data(where, obj["fields"], column_names(obj), listing, path, member.get("table"), database)
                compared += 1
    for line in problems:
        print(line)
    print(f"{compared} members compared, {len(problems)} differences")
    sys.exit(1 if problems else 0)


main()
