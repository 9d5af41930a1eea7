"""The sample sheet of the workflow: a tab-separated table with a header line
naming the columns sample, genbank and optionally bed and vcf.

Blank lines and lines beginning with '#' after the header are skipped, other
columns are ignored (sheets often carry metadata), CRLF line ends are
accepted, and an empty bed or vcf cell means the sample has none. Every
problem is reported with the sheet's name and line number.
"""
import os
import re

NAME = re.compile(r"[A-Za-z0-9][A-Za-z0-9._-]*\Z")
COLUMNS = ("sample", "genbank", "bed", "vcf")


class SheetError(Exception):
    pass


def read_sheet(path, root=""):
    """Samples in sheet order: a list of dicts with the keys of COLUMNS (bed
    and vcf None when absent). Relative paths are joined to root."""
    try:
        with open(path, encoding="utf-8") as f:
            lines = f.read().split("\n")
    except FileNotFoundError:
        raise SheetError("sample sheet %s not found (name it with --config samples=SHEET.tsv; "
                         "a relative path is taken from the working directory)" % path)
    except (OSError, UnicodeDecodeError) as err:
        raise SheetError("sample sheet %s cannot be read: %s" % (path, err))
    where = lambda n: "sample sheet %s, line %d" % (path, n)
    header, samples, seen = None, [], {}
    for number, line in enumerate(lines, 1):
        cells = [c.strip() for c in line.rstrip("\r").split("\t")]
        if not any(cells) or (header is not None and cells[0].startswith("#")):
            continue
        if header is None:
            header = read_header(cells, where(number))
            continue
        sample = {key: (cells[i] if i < len(cells) else "") for key, i in header.items()}
        check_sample(sample, seen, where(number))
        seen[sample["sample"]] = number
        for key in ("genbank", "bed", "vcf"):
            sample[key] = resolve(sample.get(key) or "", root, key, where(number))
        samples.append(sample)
    if not samples:
        raise SheetError("sample sheet %s holds no sample" % path)
    return samples


def read_header(cells, where):
    names = [c.lstrip("#").strip().lower() for c in cells]
    for needed in ("sample", "genbank"):
        if needed not in names:
            raise SheetError("%s: the header line names no '%s' column "
                             "(columns: sample, genbank, optional bed and vcf, tab-separated)"
                             % (where, needed))
    return {key: names.index(key) for key in COLUMNS if key in names}


def check_sample(sample, seen, where):
    name = sample["sample"]
    if not NAME.match(name):
        raise SheetError("%s: sample name '%s' must begin with a letter or digit and hold only "
                         "letters, digits, '.', '_' and '-'" % (where, name))
    if name in seen:
        raise SheetError("%s: sample '%s' is named already on line %d" % (where, name, seen[name]))
    if not sample.get("genbank"):
        raise SheetError("%s: sample '%s' has no genbank file" % (where, name))


def resolve(path, root, key, where):
    if not path:
        return None
    if root and not os.path.isabs(path):
        path = os.path.join(root, path)
    if not os.path.isfile(path):
        raise SheetError("%s: %s file '%s' not found" % (where, key, path))
    return path
