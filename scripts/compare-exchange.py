#!/usr/bin/env python3
"""Times whole orvel-cli commands on the 30000 x 32 benchmark table next to the
tools a user would otherwise reach for, in one run on one machine, and prints
each ratio with its goal.

    scripts/compare-exchange.py [BUILD_DIR] [--runs N]

Needs a built tree (orvel-cli, orvel-sample-db, orvel-empty-qt). The other
tools are used when they are installed (ogr2ogr from gdal-bin, sqlite3,
python3's csv module); a missing one is reported and its rows skipped. Every
orvel-cli command runs with --no-sync, since the other tools do not flush
either. Prints the median wall time of each command in milliseconds, the ratio
orvel / other tool and whether it meets its goal. The figures are a benchmark,
not a test: the exit code is 0 unless a command itself failed.
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

FIELDS = 32


def median_ms(command, runs, env=None, output=None, stdout_file=None):
    """stdout_file: a tool that exports to its standard output writes into
    this new file, as orvel-cli writes its export into a file."""
    times = []
    for _ in range(runs):
        # Each run writes a new file, as a batch conversion does (an existing
        # file would be flushed before it is replaced, even with --no-sync).
        for path in (output, stdout_file):
            if path and os.path.exists(path):
                os.remove(path)
        start = time.perf_counter()
        if stdout_file:
            with open(stdout_file, "wb") as sink:
                subprocess.run(command, check=True, env=env, stdout=sink, stderr=subprocess.DEVNULL)
        else:
            subprocess.run(command, check=True, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        times.append((time.perf_counter() - start) * 1000.0)
    return statistics.median(times)


def main():
    argv = sys.argv[1:]
    runs = 7
    if "--runs" in argv:
        at = argv.index("--runs")
        runs = int(argv[at + 1])
        del argv[at:at + 2]
    args = [a for a in argv if not a.startswith("--")]
    build = os.path.abspath(args[0] if args else "build")
    cli = os.path.join(build, "cli", "orvel-cli")
    sample = os.path.join(build, "bench", "orvel-sample-db")
    empty = os.path.join(build, "bench", "orvel-empty-qt")
    env = dict(os.environ, ORVEL_LOCALE="de_DE")
    failed = False

    with tempfile.TemporaryDirectory(prefix="orvel-compare-") as tmp:
        env["XDG_CONFIG_HOME"] = tmp

        def out(name):
            return os.path.join(tmp, name)

        ovd, dbf, sdf, csv = out("daten.ovd"), out("daten.dbf"), out("daten.sdf"), out("daten.csv")
        subprocess.run([sample, ovd], check=True, env=env, stdout=subprocess.DEVNULL)
        subprocess.run([cli, "convert", ovd, dbf, "--charset", "ansi"], check=True, env=env)
        subprocess.run([cli, "convert", ovd, sdf, "--charset", "ansi"], check=True, env=env)
        have_csv = subprocess.run([cli, "convert", ovd, csv], env=env, stderr=subprocess.DEVNULL).returncode == 0
        print(f"data: {os.path.getsize(dbf) / 1e6:.1f} MB dBASE, {os.path.getsize(sdf) / 1e6:.1f} MB SDF, "
              f"median of {runs} runs")

        def orvel(*command):
            return [cli, *command, "--no-sync"]

        # name: (orvel-cli command, goal as the highest ratio)
        mine = {
            "start (--version)": ([cli, "--version"], 1.3),
            "dBASE import": (orvel("convert", dbf, out("aus-dbf.ovd"), "--charset", "ansi"), 1 / 10),
            "SDF import": (orvel("convert", sdf, out("aus-sdf.ovd"), "--charset", "ansi"), 1 / 3),
            "open + save": (orvel("convert", ovd, out("kopie.ovd")), 1.0),
            "SDF export": (orvel("convert", ovd, out("export.sdf"), "--charset", "ansi"), 1 / 3),
            "HTML export": (orvel("convert", ovd, out("export.htm")), 1 / 3),
            "dBASE export": (orvel("convert", ovd, out("export.dbf"), "--charset", "ansi"), 1 / 6),
            "find": ([cli, "find", ovd, "--field", "0", "--text", "Wagner"], 2.0),
            "sort": (orvel("sort", ovd, out("sortiert.ovd"), "--key", "0"), 3.0),
            "duplicates": ([cli, "duplicates", ovd, "--fields", "0,1"], 1.0),
        }
        if have_csv:
            mine["CSV import"] = (orvel("convert", csv, out("aus-csv.ovd")), 1 / 3)
            mine["CSV export"] = (orvel("convert", ovd, out("export.csv")), 1 / 3)

        theirs = {"start (--version)": ("empty Qt Core program", [empty])}
        if shutil.which("ogr2ogr"):
            theirs["dBASE import"] = ("ogr2ogr (to memory)", ["ogr2ogr", "-f", "Memory", out("mem"), dbf])
            theirs["dBASE export"] = ("ogr2ogr (dBASE to dBASE)",
                                      ["ogr2ogr", "-overwrite", "-f", "ESRI Shapefile", out("ogr.dbf"), dbf])
        read_csv = ("import csv,sys\nwith open(sys.argv[1], encoding=sys.argv[2], newline='') as f:"
                    " rows = list(csv.reader(f, delimiter=sys.argv[3]))")
        theirs["SDF import"] = ("python3 csv module", [sys.executable, "-c", read_csv, sdf, "latin-1", ","])
        if have_csv:
            with open(csv, "rb") as f:
                head = f.read(4096).decode("utf-8-sig", "replace").splitlines()[0]
            delimiter = ";" if head.count(";") > head.count(",") else ","
            theirs["CSV import"] = ("python3 csv module", [sys.executable, "-c", read_csv, csv, "utf-8-sig", delimiter])
        if shutil.which("sqlite3"):
            db = out("daten.sqlite")
            columns = ", ".join(f"c{i}" for i in range(FIELDS))
            subprocess.run(["sqlite3", db, f"create table t({columns})", ".import --csv " + sdf + " t"], check=True)
            select = ["sqlite3", db, "select * from t"]
            theirs["open + save"] = ("sqlite3 reading every row", select)
            # The exports are written into files, as orvel-cli's are.
            theirs["SDF export"] = ("sqlite3 .mode csv", ["sqlite3", "-csv", db, "select * from t"], out("sq.csv"))
            theirs["HTML export"] = ("sqlite3 .mode html", ["sqlite3", "-html", db, "select * from t"],
                                     out("sq.htm"))
            if have_csv:
                theirs["CSV export"] = ("sqlite3 .mode csv", ["sqlite3", "-csv", db, "select * from t"],
                                        out("sq.csv"))
            theirs["find"] = ("sqlite3 LIKE", ["sqlite3", db, "select rowid, c0 from t where c0 like '%Wagner%'"])
            theirs["sort"] = ("sqlite3 ORDER BY", ["sqlite3", db, "select * from t order by c0"])
            theirs["duplicates"] = ("sqlite3 mark-members query",
                                    ["sqlite3", db, "select rowid, c0 from t where (c0, c1) in "
                                     "(select c0, c1 from t group by c0, c1 having count(*) > 1) order by c0, c1"])

        print(f"{'operation':18} {'orvel-cli':>10}   {'other tool':28} {'time':>8} {'ratio':>6} {'goal':>6}")
        for name, (command, goal) in mine.items():
            repeat = runs * 5 if name.startswith("start") else runs
            try:
                output = command[3] if len(command) > 3 and command[1] in ("convert", "sort") else None
                mine_ms = median_ms(command, repeat, env, output)
            except subprocess.CalledProcessError:
                print(f"{name:18} {'failed':>10}")
                failed = True
                continue
            if name not in theirs:
                print(f"{name:18} {mine_ms:10.1f}   {'(not installed)':28} {'-':>8} {'-':>6} {goal:6.2f}")
                continue
            label, command_theirs, *into = theirs[name]
            try:
                theirs_ms = median_ms(command_theirs, repeat, stdout_file=into[0] if into else None)
            except subprocess.CalledProcessError:
                print(f"{name:18} {mine_ms:10.1f}   {label + ' (failed)':28}")
                continue
            ratio = mine_ms / theirs_ms
            verdict = "ok" if ratio <= goal else "MISSED"
            print(f"{name:18} {mine_ms:10.1f}   {label:28} {theirs_ms:8.1f} {ratio:6.2f} {goal:6.2f} {verdict}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
