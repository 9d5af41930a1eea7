#!/usr/bin/env python3
"""The workflow's index page: one table row per sample, from the samples'
summary files (written by summary.py), with links to each sample's outputs.

Usage: index.py OUT.html SUMMARY.tsv...

Links are relative to the folder of OUT.html, where each sample's outputs lie
in SAMPLE/. The page is self-contained (no scripts, no outside styles).
"""
import html
import os
import sys

STYLE = """body { font: 14px/1.4 sans-serif; margin: 2em; color: #222; }
table { border-collapse: collapse; }
th, td { padding: 0.3em 0.8em; border-bottom: 1px solid #ddd; }
th { text-align: left; background: #f3f3f3; }
td.n { text-align: right; font-variant-numeric: tabular-nums; }
tfoot td { font-weight: bold; border-top: 2px solid #999; }
.warn { color: #b00; font-weight: bold; }"""
NUMBERS = ("records", "bases", "features", "regions", "variants", "annotated", "ref_mismatch")
HEADINGS = ("Sample", "Records", "Bases", "Features", "BED regions", "Variants",
            "Variants annotated", "REF mismatch", "Files")


def read_summary(path):
    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines()
    if len(lines) != 2:
        sys.exit("index: %s is not a summary file (two lines expected)" % path)
    return dict(zip(lines[0].split("\t"), lines[1].split("\t")))


def number(text):
    return "{:,}".format(int(text)) if text else "&ndash;"


def links(row):
    s = html.escape(row["sample"], quote=True)
    files = [("page", "%s.html"), ("col", "%s.col.zst")]
    if row["regions"]:
        files.append(("coloured col", "%s.coloured.col.zst"))
    if row["variants"]:
        files.append(("annotated VCF", "%s.annotated.vcf"))
    return " &middot; ".join('<a href="%s/%s">%s</a>' % (s, name % s, label) for label, name in files)


def table_row(row):
    cells = ['<td><a href="%s/%s.html">%s</a></td>' % ((html.escape(row["sample"], quote=True),) * 2
                                                       + (html.escape(row["sample"]),))]
    for key in NUMBERS:
        warn = key == "ref_mismatch" and row[key] not in ("", "0")
        cells.append('<td class="n%s">%s</td>' % (" warn" if warn else "", number(row[key])))
    cells.append("<td>%s</td>" % links(row))
    return "<tr>" + "".join(cells) + "</tr>"


def total_row(rows):
    cells = ["<td>%d samples</td>" % len(rows)]
    for key in NUMBERS:
        values = [int(r[key]) for r in rows if r[key]]
        cells.append('<td class="n">%s</td>' % (number(str(sum(values))) if values else "&ndash;"))
    return "<tr>" + "".join(cells) + "<td></td></tr>"


def page(rows):
    head = "".join("<th>%s</th>" % h for h in HEADINGS)
    body = "\n".join(table_row(r) for r in rows)
    return """<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>Samples</title>
<style>
%s
</style>
</head>
<body>
<h1>Samples</h1>
<p>Bases count the body lines of each sample's col file; features are the
feature-table entries of its GenBank file other than <code>source</code>;
variants annotated are the VCF lines that got their effects on the features,
REF mismatch those left unannotated because their REF differs from the record
(the rest name no record of the GenBank file).</p>
<table>
<thead><tr>%s</tr></thead>
<tbody>
%s
</tbody>
<tfoot>%s</tfoot>
</table>
</body>
</html>
""" % (STYLE, head, body, total_row(rows))


def main():
    if len(sys.argv) < 2:
        sys.exit("usage: index.py OUT.html SUMMARY.tsv...")
    rows = [read_summary(p) for p in sys.argv[2:]]
    with open(sys.argv[1], "w", encoding="utf-8") as f:
        f.write(page(rows))


if __name__ == "__main__":
    main()
