#!/usr/bin/env python3
"""Times whole orvel-cli conversions of the 30000 x 32 benchmark table next to
the tools a user would otherwise reach for, in one run on one machine.

    scripts/compare-exchange.py [BUILD_DIR] [--runs N]

Needs a built tree (orvel-cli, orvel-sample-db). The other tools are used when
they are installed (ogr2ogr from gdal-bin, sqlite3, python3's csv module);
a missing one is reported and skipped. Prints the median wall time of each
command in milliseconds and the ratio orvel / other tool.
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time


def median_ms(command, runs, env=None, stdout=subprocess.DEVNULL):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        subprocess.run(command, check=True, env=env, stdout=stdout, stderr=subprocess.DEVNULL)
        times.append((time.perf_counter() - start) * 1000.0)
    return statistics.median(times)


def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    runs = 7
    if "--runs" in sys.argv:
        runs = int(sys.argv[sys.argv.index("--runs") + 1])
        args = [a for a in args if a != str(runs)]
    build = os.path.abspath(args[0] if args else "build")
    cli = os.path.join(build, "cli", "orvel-cli")
    sample = os.path.join(build, "bench", "orvel-sample-db")
    env = dict(os.environ, ORVEL_LOCALE="de_DE")

    with tempfile.TemporaryDirectory(prefix="orvel-compare-") as tmp:
        env["XDG_CONFIG_HOME"] = tmp
        ovd = os.path.join(tmp, "daten.ovd")
        dbf = os.path.join(tmp, "daten.dbf")
        sdf = os.path.join(tmp, "daten.sdf")
        subprocess.run([sample, ovd], check=True, env=env, stdout=subprocess.DEVNULL)
        subprocess.run([cli, "convert", ovd, dbf, "--charset", "ansi"], check=True, env=env)
        subprocess.run([cli, "convert", ovd, sdf, "--charset", "ansi"], check=True, env=env)
        print(f"data: {os.path.getsize(dbf) / 1e6:.1f} MB dBASE, {os.path.getsize(sdf) / 1e6:.1f} MB SDF, "
              f"median of {runs} runs")

        def out(name):
            return os.path.join(tmp, name)

        rows = []
        orvel = {
            "dBASE import": [cli, "convert", dbf, out("aus-dbf.ovd"), "--charset", "ansi"],
            "SDF import": [cli, "convert", sdf, out("aus-sdf.ovd"), "--charset", "ansi"],
            "SDF export": [cli, "convert", ovd, out("export.sdf"), "--charset", "ansi"],
            "dBASE export": [cli, "convert", ovd, out("export.dbf"), "--charset", "ansi"],
            "HTML export": [cli, "convert", ovd, out("export.htm")],
        }
        other = {}
        if shutil.which("ogr2ogr"):
            other["dBASE import"] = ("ogr2ogr (to memory)", ["ogr2ogr", "-f", "Memory", out("mem"), dbf])
            other["dBASE export"] = ("ogr2ogr (dBASE to dBASE)",
                                     ["ogr2ogr", "-overwrite", "-f", "ESRI Shapefile", out("ogr.dbf"), dbf])
        other["SDF import"] = ("python3 csv module", [sys.executable, "-c",
                               "import csv,sys\nwith open(sys.argv[1], encoding='latin-1', newline='') as f:"
                               " rows = list(csv.reader(f))", sdf])
        if shutil.which("sqlite3"):
            db = out("daten.sqlite")
            subprocess.run(["sqlite3", db, ".import --csv " + sdf + " t"], check=True)
            other["SDF export"] = ("sqlite3 -csv", ["sqlite3", "-csv", db, "select * from t"])
            other["HTML export"] = ("sqlite3 -html", ["sqlite3", "-html", db, "select * from t"])
        for name, command in orvel.items():
            mine = median_ms(command, runs, env)
            if name in other:
                label, theirs_cmd = other[name]
                theirs = median_ms(theirs_cmd, runs)
                rows.append((name, mine, label, theirs, mine / theirs))
            else:
                rows.append((name, mine, "(not installed)", None, None))
        print(f"{'operation':14} {'orvel-cli':>10}   {'other tool':28} {'time':>8} {'ratio':>6}")
        for name, mine, label, theirs, ratio in rows:
            theirs_text = f"{theirs:8.1f}" if theirs is not None else "       -"
            ratio_text = f"{ratio:6.2f}" if ratio is not None else "     -"
            print(f"{name:14} {mine:10.1f}   {label:28} {theirs_text} {ratio_text}")


if __name__ == "__main__":
    main()
