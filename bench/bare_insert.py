#!/usr/bin/env python3
"""The floor a snapshot is measured against, through Python's sqlite3: insert the
rows of one snapshot into a new table of the same columns, without indexes, in one
transaction with executemany. Prints the median of N runs in milliseconds.

    bench/bare_insert.py PROJECT_WITH_A_SNAPSHOT [N]
"""
import os
import sqlite3
import statistics
import sys
import tempfile
import time

COLUMNS = ("TimeStamp, OBJ, GT_ID, GT_Type, GT_Name, GT_Path, GT_Priority, GT_Status, GT_Parent_ID, Res,"
           " Res_PerWrk, Planned, PerComp, Needed, Est, Diff, Progress, Completion_Order, Tree_Depth, Calc,"
           " HTreeSort, HName, Completion_Date, CompOrderObj")


def main():
    source = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    with sqlite3.connect(f"file:{source}?mode=ro", uri=True) as db:
        stamp = db.execute("SELECT MAX(TimeStamp) FROM CompDates").fetchone()[0]
        rows = db.execute(f"SELECT {COLUMNS} FROM CompDates WHERE TimeStamp = ? ORDER BY ID", (stamp,)).fetchall()
    times = []
    for _ in range(runs):
        with tempfile.TemporaryDirectory() as folder:
            db = sqlite3.connect(os.path.join(folder, "bare.db"))
            db.execute(f"CREATE TABLE Bare ({COLUMNS})")
            marks = ", ".join("?" * 24)
            start = time.perf_counter()
            with db:
                db.executemany(f"INSERT INTO Bare ({COLUMNS}) VALUES ({marks})", rows)
            times.append((time.perf_counter() - start) * 1000)
            db.close()
    print(f"rows={len(rows)} median_ms={statistics.median(times):.0f} runs={[round(t) for t in times]}")


if __name__ == "__main__":
    main()
