#!/usr/bin/env python3
"""Pacing benchmark for wavestars.

Synthesises a 1,200-row file with the project's own generator, runs the
program on it a few times with standard output on a pipe, and reports the
medians of:

  ratio      wall time / (rows x 5 ms): 1.00 is the floor, since every pause
             lasts at least 5 ms; target at most 1.03
  cpu        CPU time (user + system) as a share of wall time; target < 3 %
  peak rss   peak resident memory (VmHWM, read while the program waits for
             its value) against the data block; target at most the block
             plus 8 MiB
  first row  time from start to the first byte of output; target < 20 ms
  100 MB     the same on a 100 MB data block, beside the time to read the
             file: the block is read whole, and its widest row found, before
             the first row; compare two builds with it

With --wine it also runs the Windows build under Wine (a stand-in for
Windows, whose real timers it cannot show) with standard output on a file,
since Wine's NUL device is slow, and reports, with Wine's start-up (a run
of the same program on an empty file) subtracted from both figures:

  ratio      plot time / (rows x 5 ms); target at most 1.10, since each of
             Wine's timed waits overshoots by about 0.15 ms
  cpu        the plot's CPU time as a share of its wall time; target < 3 %

Usage: bench/pacing.py [BUILD_DIR] [--runs N] [--wine [EXE]]
       (defaults build/default and build/windows/wavestars.exe)
"""

import argparse
import os
import pathlib
import statistics
import struct
import subprocess
import sys
import tempfile
import time

ROWS = 1200
STRIDE = 400
DELAY = 0.005
SECONDS = ROWS * STRIDE / (44100 * 4)  # 16-bit stereo at 44.1 kHz


PROMPT_TAIL = bytes.fromhex("B3CCD0F2")  # the prompt's last two characters


def peak_rss(pid):
    """VmHWM: the peak since exec, so the forking parent's pages don't count."""
    for line in pathlib.Path(f"/proc/{pid}/status").read_text().splitlines():
        if line.startswith("VmHWM:"):
            return int(line.split()[1]) * 1024
    return 0


def run_once(exe, folder):
    start = time.monotonic()
    proc = subprocess.Popen([exe], cwd=folder, stdin=subprocess.PIPE,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    first = os.read(proc.stdout.fileno(), 1)
    first_row = time.monotonic() - start
    rest = b""
    while not (first + rest).endswith(PROMPT_TAIL):
        chunk = os.read(proc.stdout.fileno(), 65536)
        if not chunk:
            break
        rest += chunk
    rss = peak_rss(proc.pid)  # the program is waiting for its value now
    proc.stdin.close()
    _, status, usage = os.wait4(proc.pid, 0)
    wall = time.monotonic() - start
    proc.stdout.close()
    proc.stderr.close()
    if status != 0 or not first:
        sys.exit(f"wavestars failed (status {status})")
    rows = (first + rest).count(b"\n") - 7
    return {
        "rows": rows,
        "ratio": wall / (rows * DELAY),
        "cpu": (usage.ru_utime + usage.ru_stime) / wall,
        "rss": rss,
        "first": first_row,
    }


def first_row_only(exe, folder):
    """Seconds from start to the first byte of output; the run is then ended."""
    start = time.monotonic()
    proc = subprocess.Popen([exe], cwd=folder, stdin=subprocess.PIPE,
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    first = os.read(proc.stdout.fileno(), 1)
    elapsed = time.monotonic() - start
    proc.kill()
    proc.wait()
    proc.stdout.close()
    proc.stdin.close()
    if not first:
        sys.exit("wavestars wrote nothing")
    return elapsed


def read_time(path):
    """Seconds to read the file whole, from the page cache as the program does."""
    start = time.monotonic()
    with open(path, "rb") as f:
        while f.read(1 << 20):
            pass
    return time.monotonic() - start


WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver64"


def run_wine(exe, folder, env):
    """Wall and CPU seconds of one run under Wine, output on a file."""
    with open(os.path.join(folder, "out"), "wb") as out:
        start = time.monotonic()
        proc = subprocess.Popen([WINE, exe], cwd=folder, env=env,
                                stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.DEVNULL)
        _, status, usage = os.wait4(proc.pid, 0)
        wall = time.monotonic() - start
    if status != 0:
        sys.exit(f"wavestars.exe failed under Wine (status {status})")
    return wall, usage.ru_utime + usage.ru_stime


def bench_wine(exe, maker, runs):
    env = dict(os.environ, WINEDEBUG="-all",
               WINEPREFIX=str(pathlib.Path("build/wineprefix").resolve()))
    pathlib.Path(env["WINEPREFIX"]).mkdir(parents=True, exist_ok=True)
    subprocess.run([WINESERVER, "-p"], env=env, check=False)  # one server for every run
    try:
        with tempfile.TemporaryDirectory() as empty, tempfile.TemporaryDirectory() as full:
            subprocess.run([str(maker), os.path.join(full, "Alarm02.wav"), f"{SECONDS:.6f}"], check=True)
            with open(os.path.join(empty, "Alarm02.wav"), "wb") as f:
                f.write(b"RIFF" + struct.pack("<I", 36) + b"WAVEfmt " + struct.pack("<I", 16) + bytes(16)
                        + b"data" + struct.pack("<I", 0))  # a canonical header with no samples
            run_wine(exe, empty, env)  # warm-up: the first start in a prefix is slow
            ratios, shares = [], []
            for _ in range(runs):
                wall0, cpu0 = run_wine(exe, empty, env)
                wall1, cpu1 = run_wine(exe, full, env)
                ratios.append((wall1 - wall0) / (ROWS * DELAY))
                shares.append((cpu1 - cpu0) / (wall1 - wall0))
                startup = wall0
    finally:
        subprocess.run([WINESERVER, "-k"], env=env, check=False)
    print(f"wine       {exe}, output on a file, {runs} runs, start-up {startup * 1000:.0f} ms subtracted, medians:")
    print(f"ratio      {statistics.median(ratios):.4f}  (target <= 1.10)")
    print(f"cpu        {statistics.median(shares) * 100:.2f} % of plot time  (target < 3 %)")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build", nargs="?", default="build/default")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--wine", nargs="?", const="build/windows/wavestars.exe",
                        help="also run the Windows build under Wine")
    args = parser.parse_args()
    build = pathlib.Path(args.build).resolve()
    exe, maker = build / "wavestars", build / "tools" / "makealarm"
    for tool in (exe, maker):
        if not tool.exists():
            sys.exit(f"{tool} is missing: build first (cmake --workflow --preset test)")

    with tempfile.TemporaryDirectory() as folder:
        wave = pathlib.Path(folder) / "Alarm02.wav"
        subprocess.run([str(maker), str(wave), f"{SECONDS:.6f}"], check=True)
        block = wave.stat().st_size - 44
        results = [run_once(str(exe), folder) for _ in range(args.runs)]
        large = pathlib.Path(folder) / "large"
        large.mkdir()
        subprocess.run([str(maker), str(large / "Alarm02.wav"), f"{100e6 / (44100 * 4):.6f}"], check=True)
        first_large = statistics.median(first_row_only(str(exe), large) for _ in range(args.runs))
        reading = statistics.median(read_time(large / "Alarm02.wav") for _ in range(args.runs))

    rows = results[0]["rows"]
    ratio = statistics.median(r["ratio"] for r in results)
    cpu = statistics.median(r["cpu"] for r in results)
    rss = statistics.median(r["rss"] for r in results)
    first = statistics.median(r["first"] for r in results)
    mib = 1024 * 1024
    print(f"machine    {os.cpu_count()} cores, {os.uname().sysname} {os.uname().release}")
    print(f"file       {rows} rows, data block {block / mib:.2f} MiB, {args.runs} runs, medians:")
    print(f"ratio      {ratio:.4f}  (target <= 1.03)")
    print(f"cpu        {cpu * 100:.2f} % of wall time  (target < 3 %)")
    print(f"peak rss   {rss / mib:.2f} MiB = block + {(rss - block) / mib:.2f} MiB  (target block + 8 MiB)")
    print(f"first row  {first * 1000:.2f} ms  (target < 20 ms)")
    print(f"100 MB     first row {first_large * 1000:.1f} ms, reading the file {reading * 1000:.1f} ms")
    if args.wine:
        bench_wine(str(pathlib.Path(args.wine).resolve()), maker, args.runs)


if __name__ == "__main__":
    main()
