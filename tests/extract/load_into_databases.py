"""Loads extractions into PostgreSQL and SQLite as a user would, and compares what they hold with
the records view.

Usage: load_into_databases.py CLI WORKDIR SAVEFILE...

Each SAVEFILE is extracted with `quelvane-cli extract` below WORKDIR. A throw-away PostgreSQL
cluster is started in WORKDIR on a Unix socket only (run as `nobody` when this runs as root, since
PostgreSQL refuses to run as root) and stopped whatever happens; each save's schema.sql is run
with psql into a database of its own and every CSV file named above a table is loaded with
`\\copy ... (FORMAT csv, HEADER)`. The same is done with the sqlite3 shell (schema.sql, then
`.import --csv --skip 1`). Row counts, and every value of the first rows of each table, are
compared with what `quelvane-cli show --json` lists for the member. Prints one line per difference
and exits with 1 when there is any, with 77 when PostgreSQL is not installed (under CI=true that
is a failure, 1).
"""

import csv
import decimal
import glob
import io
import json
import os
import re
import shutil
import subprocess
import sys

SKIP = 77
ROWS_COMPARED = 5
CREATE = re.compile(r'^CREATE TABLE ("(?:[^"]|"")*"|\S+) \($')
COLUMN = re.compile(r'^    ("(?:[^"]|"")*"|\S+) ([A-Z]+(?: PRECISION| VARYING)?)')
NUMERIC_TYPES = ("SMALLINT", "INTEGER", "BIGINT", "DECIMAL", "NUMERIC", "REAL", "DOUBLE PRECISION")

# Values the real saves are known to hold, as (save file, query, answer). The Japanese ones only
# hold where the extraction reads text by the CCSIDs stored in the save.
KNOWN = [
    ("GURI_demodb.savf", 'SELECT count(*) FROM PERSON', "1000"),
    ("GURI_demodb.savf", 'SELECT count(*) FROM PREFCODE', "47"),
    ("CSCH@009.SAVF", 'SELECT MSYOP_SYOHIN_TANKA FROM "MSYOP@4" WHERE MSYOP_SYOHIN_CODE = \'00002\'', "215.00"),
    ("CSCH@009.SAVF", 'SELECT count(*) FROM "MSYOP@4" WHERE MSYOP_SYOHIN_TANKA = 1234567.89', "8"),
    ("CSCH@009.SAVF", 'SELECT MSYOP_SYOHIN_TIMESTAMP FROM "MSYOP@4" WHERE MSYOP_SYOHIN_CODE = \'99999\'',
     "2025-09-25 19:14:46.818593"),
    ("CSCH@009.SAVF", 'SELECT MSYOP_SYOHIN_UPDATE_DATE FROM "MSYOP@4" WHERE MSYOP_SYOHIN_CODE = \'00001\'',
     "20250827"),
]
KNOWN_BY_STORED_CCSID = [
    ("GURI_demodb.savf", "SELECT count(*) FROM PERSON WHERE KJNAME = '滝川　厚'", "1"),
    # PNAME is a mixed field of 10 bytes: the three kanji and one double-byte blank between
    # shift-out and shift-in. The blank is the field's own data, so it stays in the value.
    ("GURI_demodb.savf", "SELECT count(*) FROM PREFCODE WHERE PNAME = '北海道　'", "1"),
]

problems = []
by_stored_ccsid = []


def problem(where, text):
    problems.append(f"{where}: {text}")


def run(command, **options):
    result = subprocess.run(command, capture_output=True, text=True, check=False, **options)
    if result.returncode != 0:
        raise RuntimeError(f"{' '.join(command)} exited with {result.returncode}: {result.stderr}")
    return result.stdout


def postgres_programs():
    for folder in sorted(glob.glob("/usr/lib/postgresql/*/bin"), reverse=True):
        programs = {name: os.path.join(folder, name) for name in ("initdb", "pg_ctl", "psql")}
        if all(os.access(path, os.X_OK) for path in programs.values()):
            return programs
    return None


def unquoted(name):
    return name[1:-1].replace('""', '"') if name.startswith('"') else name


def read_schema(path):
    """The tables of a schema.sql: (name as written, CSV files, column types)."""
    tables = []
    files = []
    with open(path, encoding="utf-8") as handle:
        for line in handle:
            line = line.rstrip("\n")
            if line.startswith("-- rows: "):
                files.append(line[len("-- rows: "):])
            elif match := CREATE.match(line):
                tables.append((match.group(1), files, []))
                files = []
            elif tables and (match := COLUMN.match(line)):
                tables[-1][2].append(match.group(2))
    return tables


def show(cli, save_file, node):
    """The records the view lists for a member, by stored CCSID where the CLI offers it."""
    for extra in (["--ccsid", "stored"], []):
        result = subprocess.run([cli, "show", "--json", *extra, save_file, node], capture_output=True, check=False)
        if result.returncode == 0:
            by_stored_ccsid.append(bool(extra))
            listing = json.loads(result.stdout)
            return [row["cells"] for row in listing["rows"] if not row.get("recordless")]
    problem(node, f"show exited with {result.returncode}: {result.stderr!r}")
    return None


def member_nodes(folder):
    """Per CSV path, the tree node of its member."""
    with open(os.path.join(folder, "catalog.json"), encoding="utf-8") as handle:
        catalog = json.load(handle)
    nodes = {}
    for part in catalog["parts"]:
        for index, obj in enumerate(part["objects"]):
            for number, member in enumerate(obj.get("members", [])):
                if "path" in member:
                    nodes[member["path"]] = f"{part['index']}/{index}/{number}"
    return nodes


def number_of(text):
    try:
        return decimal.Decimal(text.replace(" ", ""))
    except decimal.InvalidOperation:
        return None


def same_value(sql_type, stored, shown, approximate):
    if sql_type.startswith(NUMERIC_TYPES):
        a, b = number_of(stored), number_of(shown)
        if a is None or b is None:
            return stored == shown.strip()
        return abs(a - b) <= abs(b) * decimal.Decimal("1e-12") if approximate else a == b
    if sql_type in ("DATE", "TIMESTAMP"):
        return stored[:10] == shown.replace("/", "-")[:10]
    return stored.rstrip(" ") == shown.rstrip(" ")


def compare_rows(where, types, stored_rows, shown_rows, approximate):
    if len(stored_rows) != len(shown_rows):
        problem(where, f"{len(stored_rows)} rows loaded, {len(shown_rows)} records listed")
    for number, (stored, shown) in enumerate(zip(stored_rows[:ROWS_COMPARED], shown_rows[:ROWS_COMPARED])):
        for column, (sql_type, a, b) in enumerate(zip(types, stored, shown)):
            if not same_value(sql_type, a, b, approximate):
                problem(f"{where} row {number} column {column}", f"{a!r} loaded, {b!r} listed")


class Cluster:
    """A PostgreSQL cluster of its own in `folder`, reached on a Unix socket there only."""

    def __init__(self, programs, folder):
        self.programs = programs
        self.folder = folder
        self.data = os.path.join(folder, "data")
        self.port = str(50000 + os.getpid() % 10000)
        self.user = []
        if os.geteuid() == 0:
            self.user = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", "--"]
        os.makedirs(folder)
        os.chmod(folder, 0o700)
        if self.user:
            shutil.chown(folder, "nobody", "nogroup")

    def start(self):
        run(self.user + [self.programs["initdb"], "-D", self.data, "-U", "quelvane", "-A", "trust", "-E", "UTF8",
                         "--locale=C", "--no-sync"], cwd=self.folder)
        options = f"-c listen_addresses='' -k {self.folder} -p {self.port} -c fsync=off"
        run(self.user + [self.programs["pg_ctl"], "-D", self.data, "-l", os.path.join(self.folder, "log"), "-w",
                         "-o", options, "start"], cwd=self.folder)

    def stop(self):
        subprocess.run(self.user + [self.programs["pg_ctl"], "-D", self.data, "-m", "immediate", "-w", "stop"],
                       capture_output=True, check=False, cwd=self.folder)

    def psql(self, database, *arguments):
        return run([self.programs["psql"], "-X", "-q", "-v", "ON_ERROR_STOP=1", "-h", self.folder, "-p", self.port,
                    "-U", "quelvane", "-d", database, *arguments])


def load_postgres(cluster, cli, save_file, folder, number):
    database = f"save{number}"
    cluster.psql("postgres", "-c", f"CREATE DATABASE {database}")
    cluster.psql(database, "-f", os.path.join(folder, "schema.sql"))
    nodes = member_nodes(folder)
    for table, files, types in read_schema(os.path.join(folder, "schema.sql")):
        for path in files:
            location = os.path.join(folder, path).replace("'", "''")
            cluster.psql(database, "-c", f"\\copy {table} FROM '{location}' WITH (FORMAT csv, HEADER)")
        if len(files) != 1:
            continue
        out = cluster.psql(database, "-c", f"COPY (SELECT * FROM {table}) TO STDOUT WITH (FORMAT csv)")
        shown = show(cli, save_file, nodes[files[0]])
        if shown is not None:
            compare_rows(f"PostgreSQL {files[0]}", types, list(csv.reader(io.StringIO(out))), shown, False)
    check_known(cluster, save_file, database)


def check_known(cluster, save_file, database):
    stored = bool(by_stored_ccsid) and all(by_stored_ccsid)
    for save, query, answer in KNOWN + (KNOWN_BY_STORED_CCSID if stored else []):
        if os.path.basename(save_file) == save:
            got = cluster.psql(database, "-A", "-t", "-c", query).strip()
            if got != answer:
                problem(f"PostgreSQL {save}", f"{query} gives {got!r}, not {answer!r}")


def load_sqlite(cli, save_file, folder):
    database = os.path.join(folder, "loaded.sqlite")
    with open(os.path.join(folder, "schema.sql"), encoding="utf-8") as schema:
        run(["sqlite3", "-bail", database], stdin=schema)
    nodes = member_nodes(folder)
    for table, files, types in read_schema(os.path.join(folder, "schema.sql")):
        for path in files:
            run(["sqlite3", "-bail", database, f".import --csv --skip 1 '{os.path.join(folder, path)}' '{unquoted(table)}'"])
        if len(files) != 1:
            continue
        out = run(["sqlite3", "-csv", database, f"SELECT * FROM {table}"])
        shown = show(cli, save_file, nodes[files[0]])
        if shown is not None:
            compare_rows(f"SQLite {files[0]}", types, list(csv.reader(io.StringIO(out))), shown, True)


def main():
    cli, work = sys.argv[1:3]
    saves = sys.argv[3:]
    programs = postgres_programs()
    if programs is None:
        print("PostgreSQL is not installed (Debian's postgresql package)")
        sys.exit(1 if os.environ.get("CI") == "true" else SKIP)
    work = os.path.join(work, f"databases-{os.getpid()}")
    shutil.rmtree(work, ignore_errors=True)
    out = os.path.join(work, "out")
    result = subprocess.run([cli, "extract", *saves, "--to", out, "--quiet"], capture_output=True, text=True)
    if result.returncode != 0:
        problem("extract", f"exited with {result.returncode}: {result.stderr}")
    folders = [os.path.join(out, os.path.basename(save)) for save in saves]
    cluster = Cluster(programs, os.path.join(work, "pg"))
    try:
        cluster.start()
        for number, (save, folder) in enumerate(zip(saves, folders)):
            load_postgres(cluster, cli, save, folder, number)
            load_sqlite(cli, save, folder)
    except RuntimeError as failure:
        problem("load", str(failure))
    finally:
        cluster.stop()
    for line in problems:
        print(line)
    print(f"{len(saves)} saves loaded, {len(problems)} differences")
    if not problems:
        shutil.rmtree(work, ignore_errors=True)
    sys.exit(1 if problems else 0)


main()
