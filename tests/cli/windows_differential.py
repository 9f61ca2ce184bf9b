#!/usr/bin/env python3
"""sv-cli on Linux and sv-cli.exe under wine on the same random inputs: the
files each leaves, its output and its exit status must be byte for byte the
same.

    windows_differential.py SV_CLI WINDOWS_BUILD_DIR [CASES] [SEED]

Exits 77 (skipped) when the Windows build has no sv-cli.exe.
"""
import os
import random
import shutil
import subprocess
import sys
import tempfile

SKIPPED = 77

CALLSIGNS = [b"UA3AAA", b"ua3aaa", b"RN6BN", b"R1 ", b"R1", b"", b"\xd0\xe0\xe4\xe8\xee"]
NUMBERS = [b"MO-12", b"MO-012", b"KK-41", b"", b"\tKK-41"]
NOTE_BYTES = b"abc xyz\t;-" + bytes(range(0xC0, 0x100)) + b"\xd0\x9f\xd1\x80"


def notes(rng):
    return bytes(rng.choice(NOTE_BYTES) for _ in range(rng.randrange(0, 12)))


def line_end(rng, odd):
    # CR LF; in some files a bare CR, which ends a line too, or a bare LF,
    # which is part of the text.
    return rng.choice([b"\r\n"] * 8 + [b"\r", b"\n"]) if odd else b"\r\n"


def record_file(rng, records, pool):
    out = b""
    odd = rng.random() < 0.15
    for _ in range(records):
        key = rng.choice(pool) if pool and rng.random() < 0.5 else (
            rng.choice(CALLSIGNS), rng.choice(NUMBERS))
        pool.append(key)
        for field in (key[0], key[1], notes(rng)):
            out += field + line_end(rng, odd)
    shape = rng.random()
    if shape < 0.08 and out:
        out = out.rstrip(b"\r\n")  # no line end after the last line
    elif shape < 0.12:
        out += b"\r\n"  # an empty line after the last record
    elif shape < 0.16:
        out += rng.choice(CALLSIGNS) + b"\r\n"  # a record cut short
    return out


# Runs that read no file come first, the same in every run.
FIXED_ARGS = [["--help"], ["--version"], ["--bogus", "MainBase.dat", "new.rda"], []]


def make_case(rng, folder, case):
    if case < len(FIXED_ARGS):
        return FIXED_ARGS[case]
    pool = []
    main = record_file(rng, rng.randrange(0, 8), pool)
    compared = record_file(rng, rng.randrange(0, 8), pool)
    with open(os.path.join(folder, "MainBase.dat"), "wb") as f:
        f.write(main)
    with open(os.path.join(folder, "new.rda"), "wb") as f:
        f.write(compared)
    if rng.random() < 0.2:
        with open(os.path.join(folder, "new.rda.dup"), "wb") as f:
            f.write(b"from an earlier run\r\n")
    choice = rng.random()
    if choice < 0.15:
        return ["--dry-run", "MainBase.dat", "new.rda"]
    if choice < 0.22:
        return ["missing.dat", "new.rda"]
    if choice < 0.29:
        return ["new.rda", "new.rda"]
    if choice < 0.33:
        return ["MainBase.dat"]
    if choice < 0.36:
        return ["--", "MainBase.dat", "new.rda"]
    return ["MainBase.dat", "new.rda"]


def snapshot(folder):
    files = {}
    for name in sorted(os.listdir(folder)):
        with open(os.path.join(folder, name), "rb") as f:
            files[name] = f.read()
    return files


def run(command, folder):
    done = subprocess.run(command, cwd=folder, stdin=subprocess.DEVNULL, capture_output=True,
                          timeout=120)
    return done.returncode, done.stdout, done.stderr, snapshot(folder)


def first_difference(linux, windows):
    for what, a, b in zip(("exit status", "stdout", "stderr", "files"), linux, windows):
        if a != b:
            return "%s: Linux %r, Windows %r" % (what, a, b)
    return None


def main():
    # The runs change folder: the programs are named by absolute paths.
    sv_cli, windows_build = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    cases = int(sys.argv[3]) if len(sys.argv) > 3 else 28
    seed = int(sys.argv[4]) if len(sys.argv) > 4 else random.randrange(1 << 32)
    exe = os.path.join(windows_build, "cli", "sv-cli.exe")
    wine_run = os.path.join(windows_build, "wine-run")
    if not (os.path.exists(exe) and os.path.exists(wine_run)):
        print("no Windows build in %s; run scripts/build-windows first" % windows_build)
        return SKIPPED
    print("seed %d (pass it as the fourth argument to repeat this run)" % seed)
    rng = random.Random(seed)
    scratch = tempfile.mkdtemp(prefix="sv-differential-")
    # One wineserver for all the runs; its services must not hold the
    # output pipes of the first run.
    subprocess.run([wine_run, "--start-server"], check=True)
    failures = 0
    try:
        for case in range(cases):
            linux_dir = os.path.join(scratch, "linux%d" % case)
            windows_dir = os.path.join(scratch, "windows%d" % case)
            os.mkdir(linux_dir)
            args = make_case(random.Random(rng.random()), linux_dir, case)
            shutil.copytree(linux_dir, windows_dir)
            linux = run([sv_cli] + args, linux_dir)
            windows = run([wine_run, exe] + args, windows_dir)
            difference = first_difference(linux, windows)
            if difference:
                failures += 1
                print("case %d, sv-cli %s: %s" % (case, " ".join(args), difference))
    finally:
        subprocess.run([wine_run, "--stop-server"])
        shutil.rmtree(scratch, ignore_errors=True)
    print("%d of %d cases differ" % (failures, cases))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
