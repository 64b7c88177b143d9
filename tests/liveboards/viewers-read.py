#!/usr/bin/env python3
"""The recordings the live-boards test left, read by the viewers' own tools from Debian.

Each reader of the table runs on every recording it applies to and must end well and say
nothing on its error output; what it read is written beside the recording. Then the test
program's ViewersRead cases compare that with the recording, through our own reader.
    viewers-read.py FOLDER EMULATOR TEST_PROGRAM
"""
import pathlib
import shutil
import subprocess
import sys

def run(words, **options):
    """The command's run; its error output must be empty."""
    done = subprocess.run(words, capture_output=True, text=True, **options)
    if done.returncode or done.stderr.strip():
        raise RuntimeError("%s: exit %d: %s" % (words[0], done.returncode, done.stderr.strip()))
    return done


def sigrok(vcd, out):
    """sigrok-cli's samples (one per microsecond, idle stretches beyond a millisecond cut short),
    each row kept where it differs from the one before: a logic analyser's view of the changes."""
    done = run(["sigrok-cli", "-I", "vcd:compress=1000", "-i", str(vcd), "-O", "csv"])
    with open(out, "w") as kept:
        last = None
        for line in done.stdout.splitlines():
            if line.startswith(";") or not line[:1].isdigit():
                kept.write(line + "\n")
            elif line != last:
                kept.write(line + "\n")
                last = line


def gtkwave(vcd, out):
    """GTKWave's own format and back."""
    fst = vcd.with_name(vcd.name + ".fst")
    run(["vcd2fst", str(vcd), str(fst)])
    run(["fst2vcd", "-o", str(out), str(fst)])
    fst.unlink()


# Reader, the recordings it takes (by name ending), its output's suffix beside the recording.
READERS = [
    (sigrok, "-bits.vcd", ".sigrok.csv"),
    (gtkwave, ".vcd", ".fst.vcd"),
]


def main():
    if len(sys.argv) != 4:
        print(__doc__.strip().splitlines()[-1].strip(), file=sys.stderr)
        return 2
    folder, emulator, program = pathlib.Path(sys.argv[1]), sys.argv[2], sys.argv[3]
    recordings = sorted(p for p in folder.glob("*.vcd") if not p.name.endswith(".fst.vcd"))
    if not recordings:
        print("no recordings in %s: run the liveboards test first" % folder, file=sys.stderr)
        return 1
    failures = 0
    for reader, ending, suffix in READERS:
        for vcd in (r for r in recordings if r.name.endswith(ending)):
            try:
                reader(vcd, vcd.with_name(vcd.name + suffix))
                print("%s read %s" % (reader.__name__, vcd.name))
            except (RuntimeError, OSError) as failure:
                print("%s: %s: %s" % (reader.__name__, vcd.name, failure), file=sys.stderr)
                failures += 1
    if failures:
        return 1
    return subprocess.run([emulator, program, "--gtest_filter=ViewersRead.*"]).returncode


if __name__ == "__main__":
    sys.exit(main())
