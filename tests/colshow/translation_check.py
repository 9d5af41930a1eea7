"""The translation rows of colshow's page against the /translation of every
CDS in the shared GenBank records, on the plus entry and on the minus entry
that morvel --bothstrand writes. A row may hold a final stop that the
qualifier leaves out. Left out: a CDS with /transl_except, /exception or
/pseudo (its qualifier is not a plain translation), with a range on another
record, with a range written high..low, or on both strands (its FEATURE line
cannot say which range is complemented, so it has no translation row). Skips (77) when the records are absent.
Usage: translation_check.py BIN_DIR GENBANK_DIR (SHARED_DATA/genbank when set)"""
import json
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import feature_fixture  # noqa: E402

SKIP_QUALIFIERS = ("transl_except", "exception", "pseudo", "pseudogene", "ribosomal_slippage", "artificial_location")


def expected(gb_text):
    """{(ranges, name): translation} of the CDS features to compare."""
    out = {}
    for key, loc, quals in feature_fixture.features(gb_text):
        if key != "CDS" or "translation" not in quals or ":" in loc or any(q in quals for q in SKIP_QUALIFIERS):
            continue
        line = feature_fixture.feature_line(key, loc, quals)
        backwards = any(int(a) > int(b) for a, b in re.findall(r"(\d+)\.\.[<>]?(\d+)", loc))
        if line and not backwards and line.split()[3] != ".":
            words = line.split()
            out[(words[4], words[5])] = feature_fixture.unquote(quals["translation"]).replace(" ", "")
    return out


def page_features(page):
    """The ft arrays of the page's entries, by entry name."""
    entries = {}
    for m in re.finditer(r'CS\.e\.push\(\{id:"[^"]*",name:"([^"]*)".*?(?:,\nft:(\[.*?\]),\nlt:|\}\);</script>)', page, re.S):
        if m.group(2):
            # The page's strings are script strings: \xHH and \' are not JSON.
            text = re.sub(r"\\x([0-9a-f]{2})", r"\\u00\1", m.group(2)).replace("\\'", "'")
            entries[m.group(1)] = json.loads(text)
    return entries


def amino_text(codons):
    """The letters of "LINE STEP LETTERS" groups, in reading order."""
    words = codons.split()
    return "".join(words[k + 2] for k in range(0, len(words), 3))


def check(bin_dir, path):
    gb = open(path, errors="replace").read()
    want = expected(gb)
    if not want:
        return 0, []
    col = subprocess.run([os.path.join(bin_dir, "morvel"), "--gene", "--bothstrand", path],
                         capture_output=True, text=True, errors="replace").stdout
    page = subprocess.run([os.path.join(bin_dir, "colshow")], input=feature_fixture.with_features(col, gb),
                          capture_output=True, text=True, errors="replace").stdout
    compared, faults = 0, []
    for entry, ft in page_features(page).items():
        for f in ft:
            key = (f[5], feature_fixture.encode(f[3]) if f[3] != "." else ".")
            if f[2] != "CDS" or key not in want:
                continue
            got, translation = amino_text(f[10]), want[key]
            compared += 1
            if got != translation and got != translation + "*":
                faults.append("%s %s %s %s:\n  page  %s\n  /translation %s" % (
                    os.path.basename(path), entry, f[3], f[5], got[:80], translation[:80]))
    return compared, faults


def main():
    bin_dir = sys.argv[1]
    data = os.path.join(os.environ["SHARED_DATA"], "genbank") if os.environ.get("SHARED_DATA") else sys.argv[2]
    if not os.path.isdir(data):
        print("no shared GenBank records at %s: translation check skipped" % data)
        return 77
    compared, faults = 0, []
    for name in sorted(os.listdir(data)):
        if name.endswith((".gb", ".gbk", ".gbwithparts")):
            n, f = check(bin_dir, os.path.join(data, name))
            compared += n
            faults += f
    print("%d translation rows compared, %d differ" % (compared, len(faults)))
    for f in faults[:20]:
        print(f)
    return 1 if faults or compared == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
