"""The colfile reader over the col fuzz corpus: the seeds fuzz/run.sh gathers
for the col target (the tests' col files and golden outputs), the inputs
kept in fuzz/regressions/col/ and, when a fuzzing run left them, the corpus
in build/fuzz-corpus/col/. Every file must be read to its end, yielding
entries or raising FormatError, in a child process so that a crash names
its file."""
import os
import pathlib
import subprocess
import sys

ROOT = pathlib.Path(os.environ.get("COLFILE_SOURCE_ROOT", pathlib.Path(__file__).parents[2]))

READ_EACH = r"""
import sys, colfile
for name in sys.argv[1:]:
    print(name, flush=True)
    for source in (name, open(name, "rb")):
        try:
            colfile.read_header(name)
            for entry in colfile.read(source):
                for k in range(1, len(entry.labels) + 1):
                    assert len(entry[k]) == entry.length
                entry.info, entry.features
        except colfile.FormatError as error:
            assert error.message and (error.line is None or error.line >= 0)
print("done", flush=True)
"""


def corpus():
    files = [p for pattern in ("*.col", "out") for p in (ROOT / "tests").rglob(pattern) if p.is_file()]
    for folder in (ROOT / "fuzz" / "regressions" / "col", ROOT / "build" / "fuzz-corpus" / "col"):
        if folder.is_dir():
            files.extend(p for p in folder.iterdir() if p.is_file())
    return sorted(set(files))


def test_reader_survives_the_col_corpus():
    files = corpus()
    assert len(files) > 50, "the col corpus was not found"
    done = subprocess.run([sys.executable, "-c", READ_EACH, *map(str, files)],
                          capture_output=True, text=True, errors="replace")
    read = done.stdout.split("\n")
    assert done.returncode == 0 and read[-2] == "done", (
        f"status {done.returncode} while reading {read[-2] if len(read) > 1 else '?'}\n{done.stderr[-4000:]}")
