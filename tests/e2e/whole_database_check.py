#!/usr/bin/env python3
"""The whole database out, on every real Access file: kelvane-export --sqlite and
--postgresql, checked by the targets' own tools. sqlite3's shell runs
integrity_check and foreign_key_check; a throwaway PostgreSQL cluster loads each
script with ON_ERROR_STOP; every table's rows, read back from both, equal what
kelvane-export's own export gives, and the keys and relationships --describe shows
are there.

With the fixture writer, its .accdb (Date/Time Extended to 100 ns among its types)
is checked too. The damaged files (TESTDATA_DIR/damaged, and with the damager a
copy of nwind.mdb whose table definition is zeroed) fail without --salvage,
naming table and page, and with it give status 3, a database whose checks are
clean and a script psql loads.

usage: whole_database_check.py KELVANE_EXPORT TESTDATA_DIR WORK_DIR [MAKE_FIXTURE [DAMAGE]]"""
import csv, datetime, decimal, struct, glob, io, json, os, shutil, sqlite3, subprocess, sys, tempfile

EXPORT, TESTDATA, WORK = sys.argv[1:4]
MAKE_FIXTURE = sys.argv[4] if len(sys.argv) > 4 else None
DAMAGE = sys.argv[5] if len(sys.argv) > 5 else None
# Debian's server programs, of the newest version installed.
PG_BIN = max(glob.glob("/usr/lib/postgresql/*/bin"), key=lambda p: int(p.split("/")[-2]), default="")
# The one protected file of the test data opens with its password (the others ask none).
ENV = dict(os.environ, LANG="C.UTF-8", LC_ALL="C.UTF-8", KELVANE_PASSWORD="password")
failures = []


def run(args, **kw):
    r = subprocess.run(args, capture_output=True, env=ENV, **kw)
    r.stdout, r.stderr = r.stdout.decode(errors="replace"), r.stderr.decode(errors="replace")
    return r


def fail(text):
    failures.append(text)
    print("FAIL:", text, file=sys.stderr)


# Kelvane's text of a value, from what a target gives back.
def trim_decimal(s):
    if "." in s:
        s = s.rstrip("0").rstrip(".")
    return "0" if s in ("-0", "") else s


def canonical_date(text):
    # --csv writes ISO 8601 (the date alone at midnight); the targets write the time
    # too, perhaps with a fraction: both become whole seconds, date and time.
    try:
        when = datetime.datetime.fromisoformat(str(text))
    except ValueError:
        return str(text)
    if when.microsecond >= 500000:
        when += datetime.timedelta(seconds=1)
    return when.replace(microsecond=0).strftime("%Y-%m-%d %H:%M:%S")


def kelvane_text(value, kind):
    """A value of either side in one form, so that --csv and a target compare."""
    if value is None or value == "\\N" or value == "":
        return ""
    if kind == "Yes/No":
        return "true" if str(value) in ("1", "-1", "t", "true", "True") else "false"
    if kind == "Single":
        return repr(struct.unpack("<f", struct.pack("<f", float(value)))[0])
    if kind == "Double":
        return repr(float(value))
    if kind in ("Currency", "Decimal"):
        if isinstance(value, float):
            value = format(decimal.Decimal(repr(value)), "f")
        return trim_decimal(str(value))
    if kind == "Date/Time Extended":
        # To the 100 ns the type holds: the fraction as written, trailing zeros dropped.
        text = str(value) if " " in str(value) else str(value) + " 00:00:00"
        return text.rstrip("0").rstrip(".") if "." in text else text
    if kind.startswith("Date/Time"):
        return canonical_date(value)
    if kind.startswith("Replication ID") or kind.startswith("AutoNumber (Rep"):
        v = str(value).strip("{}").upper()
        return "{" + v + "}"
    return str(value)


def kelvane_rows(path, table, columns):
    fields = ",".join("[%s]" % c["name"] for c in columns)
    # Bytes, not text: a value's CR LF is the value's.
    r = subprocess.run([EXPORT, "--csv", "--no-header", "-f", fields, path, table], capture_output=True, env=ENV)
    if r.returncode != 0:
        fail("%s %s: the export failed: %s" % (path, table, r.stderr.decode(errors="replace").strip()))
        return None
    return sorted(tuple(kelvane_text(v, c["type"]) for v, c in zip(row, columns))
                  for row in csv.reader(io.StringIO(r.stdout.decode(), newline="")))


class Cluster:
    """A PostgreSQL cluster of its own in a temporary folder, run by an
    unprivileged user, stopped at the end."""

    def __init__(self):
        self.dir = tempfile.mkdtemp(prefix="kelvane-pg.")
        os.chmod(self.dir, 0o755)
        self.user = []
        if os.geteuid() == 0:
            shutil.chown(self.dir, "nobody")
            self.user = ["runuser", "-u", "nobody", "--"]
        data = os.path.join(self.dir, "data")
        r = run(self.user + [PG_BIN + "/initdb", "-D", data, "-A", "trust", "-U", "postgres", "--no-sync"])
        if r.returncode != 0:
            raise RuntimeError(r.stderr)
        r = run(self.user + [PG_BIN + "/pg_ctl", "-D", data, "-w", "-l", os.path.join(self.dir, "log"), "-o",
                             "-k %s -c listen_addresses='' -c fsync=off" % self.dir, "start"])
        if r.returncode != 0:
            raise RuntimeError(r.stderr)
        self.data = data

    def psql(self, db, *args):
        return run(["psql", "-X", "-h", self.dir, "-U", "postgres", "-d", db, "-v", "ON_ERROR_STOP=1"] + list(args))

    def stop(self):
        run(self.user + [PG_BIN + "/pg_ctl", "-D", self.data, "-m", "immediate", "stop"])
        shutil.rmtree(self.dir, ignore_errors=True)


# The Access kind of a view's column, from the declared type SQLite gives it
# (the writer's, through the table column it reads); None for binary ones.
VIEW_KINDS = (("BOOLEAN", "Yes/No"), ("DOUBLE", "Double"), ("REAL", "Single"), ("DECIMAL_BLOB", "Currency"),
              ("DATETIME", "Date/Time"), ("BLOB", None))


def view_kind(declared):
    for prefix, kind in VIEW_KINDS:
        if (declared or "").upper().startswith(prefix):
            return kind
    return "Text"


def check_view(path, out, lite, view):
    name = os.path.basename(path)
    q = lambda s: '"' + s.replace('"', '""') + '"'
    columns = [(row[1], view_kind(row[2])) for row in lite.execute("PRAGMA table_info(%s)" % q(view))]
    columns = [(c, k) for c, k in columns if k]
    if not columns:
        return
    kinds = [{"type": k} for _, k in columns]
    shell = run(["sqlite3", "-csv", out, "SELECT %s FROM %s" % (", ".join(q(c) for c, _ in columns), q(view))])
    if shell.returncode != 0:
        return fail("%s: view %s: sqlite3: %s" % (name, view, shell.stderr.strip()))

    def canonical(v, c):
        text = kelvane_text(v, c["type"])
        # The shell writes a REAL with 15 digits.
        return "%.15g" % float(text) if c["type"] in ("Double", "Single") and text else text

    got = sorted(tuple(canonical(v, c) for v, c in zip(row, kinds))
                 for row in csv.reader(io.StringIO(shell.stdout, newline="")))
    expected = kelvane_rows(path, view, [{"name": c, "type": k} for c, k in columns])
    if expected is None:
        return
    expected = sorted(tuple("%.15g" % float(v) if c["type"] in ("Double", "Single") and v else v
                            for v, c in zip(row, kinds)) for row in expected)
    if got != expected:
        diff = [g for g in got if g not in expected][:2] or [e for e in expected if e not in got][:2]
        fail("%s: view %s: sqlite3 gives %d rows, Kelvane %d, e.g. %s" % (name, view, len(got), len(expected), diff))


def check_file(path, cluster, n):
    name = os.path.basename(path)
    described = run([EXPORT, "--describe", "--json", path])
    if described.returncode != 0:
        print("skipped (not readable without more):", name, described.stderr.strip())
        return
    tables = json.loads(described.stdout)
    out = os.path.join(WORK, name + ".db")
    r = run([EXPORT, "--sqlite", out, path])
    if r.returncode != 0:
        return fail("%s: --sqlite: %s" % (name, r.stderr.strip()))
    for pragma, expected in (("PRAGMA integrity_check", "ok\n"), ("PRAGMA foreign_key_check", "")):
        got = run(["sqlite3", out, pragma]).stdout
        if got != expected:
            fail("%s: %s: %s" % (name, pragma, got[:300]))
    script = os.path.join(WORK, name + ".sql")
    r = run([EXPORT, "--postgresql", script, path])
    if r.returncode != 0:
        return fail("%s: --postgresql: %s" % (name, r.stderr.strip()))
    db = "check%d" % n
    cluster.psql("postgres", "-c", "CREATE DATABASE %s" % db)
    r = cluster.psql(db, "-q", "-f", script)
    if r.returncode != 0 or "ERROR" in r.stderr:
        return fail("%s: psql: %s" % (name, r.stderr[:500]))

    lite = sqlite3.connect(out)
    for t in tables:
        q = lambda s: '"' + s.replace('"', '""') + '"'
        columns = [c for c in t["columns"] if c["type"] not in ("OLE Object", "Binary")]
        if not columns:
            continue
        expected = kelvane_rows(path, t["name"], columns)
        if expected is None:
            continue
        select = "SELECT %s FROM %s" % (", ".join(q(c["name"]) for c in columns), q(t["name"]))
        got = sorted(tuple(kelvane_text(v, c["type"]) for v, c in zip(row, columns))
                     for row in lite.execute(select))
        if got != expected:
            diff = [g for g in got if g not in expected][:2]
            fail("%s %s: SQLite rows differ, e.g. %s" % (name, t["name"], diff))
        r = cluster.psql(db, "--csv", "-t", "-c", select)
        rows = [row[:len(columns)] for row in csv.reader(io.StringIO(r.stdout, newline=""))]
        got = sorted(tuple(kelvane_text(None if v == "" else v, c["type"]) for v, c in zip(row, columns))
                     for row in rows)
        # psql's CSV writes NULL and the empty text alike; so does Kelvane's export.
        if got != expected:
            diff = [g for g in got if g not in expected][:2]
            fail("%s %s: PostgreSQL rows differ, e.g. %s" % (name, t["name"], diff))
        # Keys and relationships: what --describe shows is in both targets.
        pk = t["primaryKey"]
        if pk:
            info = [row for row in lite.execute("PRAGMA table_info(%s)" % q(t["name"])) if row[5] > 0]
            if [r[1] for r in sorted(info, key=lambda r: r[5])] != pk["columns"]:
                fail("%s %s: SQLite's primary key is not %s" % (name, t["name"], pk["columns"]))
        for rel in t["relationships"]:
            if rel["table"] != t["name"] or not rel["enforced"]:
                continue
            keys = {}
            for row in lite.execute("PRAGMA foreign_key_list(%s)" % q(t["name"])):
                keys.setdefault(row[0], []).append(row)
            wanted = (rel["referencedTable"], rel["columns"], rel["referencedColumns"])
            if not any((k[0][2], [r[3] for r in k], [r[4] for r in k]) == wanted for k in keys.values()):
                fail("%s %s: no foreign key %s in SQLite" % (name, t["name"], rel["name"]))
            r = cluster.psql(db, "-t", "-A", "-c", "SELECT count(*) FROM pg_constraint WHERE contype = 'f' AND conname = '%s'"
                             % rel["name"].replace("'", "''"))
            if r.stdout.strip() != "1":
                fail("%s %s: no foreign key %s in PostgreSQL" % (name, t["name"], rel["name"]))
    # Each view gives, in stock sqlite3, the rows Kelvane gives for its query.
    for (view,) in lite.execute("SELECT name FROM sqlite_master WHERE type = 'view'"):
        check_view(path, out, lite, view)
    # Attachments: child rows with the files' bytes, in both targets.
    if name == "V2016_attachments.accdb":
        files = sorted(lite.execute('SELECT "ID", "FileName", "FileData" FROM "Table1_Attachments"'))
        want = [(2, "attachment1.txt", b"Attachment 1")] + [(3, "attachment%d.txt" % i, b"Attachment %d" % i)
                                                            for i in (1, 2, 3)]
        if files != want:
            fail("%s: attachments in SQLite: %s" % (name, files))
        r = cluster.psql(db, "-t", "-A", "-c", 'SELECT "ID", "FileName", encode("FileData", \'escape\') '
                         'FROM "Table1_Attachments" ORDER BY 1, 2')
        if r.stdout.strip().splitlines() != ["%d|%s|%s" % (i, f, d.decode()) for i, f, d in want]:
            fail("%s: attachments in PostgreSQL: %s" % (name, r.stdout))
    lite.close()
    print("ok:", name)


def check_damaged(path, cluster, n):
    name = os.path.basename(path)
    out, script = os.path.join(WORK, name + ".db"), os.path.join(WORK, name + ".sql")
    for option, target in (("--sqlite", out), ("--postgresql", script)):
        if os.path.exists(target):
            os.remove(target)
        r = run([EXPORT, option, target, path])
        if r.returncode != 1 or "--salvage" not in r.stderr or os.path.exists(target):
            fail("%s %s without --salvage: status %d, %s" % (name, option, r.returncode, r.stderr.strip()))
        r = run([EXPORT, "--salvage", option, target, path])
        if r.returncode != 3 or "salvage: " not in r.stderr:
            fail("%s %s --salvage: status %d, %s" % (name, option, r.returncode, r.stderr.strip()))
    for pragma, expected in (("PRAGMA integrity_check", "ok\n"), ("PRAGMA foreign_key_check", "")):
        got = run(["sqlite3", out, pragma]).stdout
        if got != expected:
            fail("%s --salvage: %s: %s" % (name, pragma, got[:300]))
    db = "damaged%d" % n
    cluster.psql("postgres", "-c", "CREATE DATABASE %s" % db)
    r = cluster.psql(db, "-q", "-f", script)
    if r.returncode != 0 or "ERROR" in r.stderr:
        fail("%s --salvage: psql: %s" % (name, r.stderr[:500]))
    print("ok (damaged):", name)


def damaged_files():
    files = sorted(glob.glob(os.path.join(TESTDATA, "damaged", "*")))
    if DAMAGE:
        # nwind.mdb with the definition of a table that relationships use zeroed:
        # the table and its relationships are left out, the rest comes out.
        for target in range(12):
            copy = os.path.join(WORK, "nwind-definition-%d.mdb" % target)
            if subprocess.run([DAMAGE, os.path.join(TESTDATA, "nwind.mdb"), copy, "definition", str(target)],
                              capture_output=True).returncode != 0:
                break
            r = run([EXPORT, "--salvage", "--sqlite", copy + ".db", copy])
            if "not made a foreign key" in r.stderr:
                files.append(copy)
                break
    return files


def main():
    os.makedirs(WORK, exist_ok=True)
    cluster = Cluster()
    try:
        files = sorted(glob.glob(os.path.join(TESTDATA, "*.mdb")) + glob.glob(os.path.join(TESTDATA, "*.accdb")))
        if MAKE_FIXTURE:
            files.append(os.path.join(WORK, "fixture.accdb"))
            subprocess.run([MAKE_FIXTURE, files[-1], "accdb"], check=True, capture_output=True)
        for n, path in enumerate(files):
            check_file(path, cluster, n)
        for n, path in enumerate(damaged_files()):
            check_damaged(path, cluster, n)
    finally:
        cluster.stop()
    if failures:
        print("%d failures" % len(failures), file=sys.stderr)
        sys.exit(1)


main()
