#!/usr/bin/env python3
"""Write a deterministic multi-record GenBank file for the benchmarks.

Usage: gen_genbank.py OUT.gb TOTAL_BASES LARGEST_RECORD

Records run from 1 kbp up to LARGEST_RECORD bases (one record of each extreme,
the rest drawn log-uniformly in between) until TOTAL_BASES is reached. Each
record carries a source feature and gene models of about one feature per kbp:
gene, mRNA, CDS and exon features with joins over several lines, complements,
complemented joins in both spellings, open ends (<1..>200), UTRs, introns and
qualifier lines with /codon_start= and /translation=. Sequence lines use the
usual layout: the position in 9 characters, then six groups of 10 bases.
Only the standard library is used; the seed is fixed, so the bytes are too.
"""
import math
import random
import sys

SEED = 20260101
FEATURE_INDENT = " " * 21
LOCATION_WIDTH = 58  # columns 22 to 79
AMINO = "ACDEFGHIKLMNPQRSTVWY"
BASES = bytes.maketrans(bytes(range(256)), b"acgt" * 64)


def record_lengths(rng, total, largest):
    lengths = [largest, 1000]
    upper = max(2000, largest // 2)
    while sum(lengths) < total:
        lengths.append(int(math.exp(rng.uniform(math.log(1000), math.log(upper)))))
    # The largest record sits in the middle of the file, not at its start.
    rest = lengths[1:]
    rng.shuffle(rest)
    middle = len(rest) // 2
    return rest[:middle] + [largest] + rest[middle:]


def wrap_location(key, location):
    """Feature line plus continuation lines, broken after commas."""
    pieces, line = [], ""
    for part in location.split(","):
        piece = part if not line else "," + part
        if line and len(line) + len(piece) + 1 > LOCATION_WIDTH:
            pieces.append(line + ",")
            line = part
        else:
            line += piece
    pieces.append(line)
    out = ["     %-16s%s\n" % (key, pieces[0])]
    out.extend(FEATURE_INDENT + p + "\n" for p in pieces[1:])
    return out


def qualifier(name, value, quoted=True):
    text = '/%s="%s"' % (name, value) if quoted else "/%s=%s" % (name, value)
    return [FEATURE_INDENT + text[i:i + LOCATION_WIDTH] + "\n"
            for i in range(0, len(text), LOCATION_WIDTH)]


def span(a, b, open_start=False, open_end=False):
    return "%s%d..%s%d" % ("<" if open_start else "", a, ">" if open_end else "", b)


def join(ranges):
    return ranges[0] if len(ranges) == 1 else "join(%s)" % ",".join(ranges)


def complemented(ranges, rng):
    """A minus-strand location in one of GenBank's two spellings."""
    if len(ranges) > 1 and rng.random() < 0.3:
        return "join(%s)" % ",".join("complement(%s)" % r for r in reversed(ranges))
    return "complement(%s)" % join(ranges)


class GeneModel:
    """Feature lines of one gene: gene, mRNA, UTRs, exons, introns, CDS."""

    def __init__(self, rng, tag, start, end, length):
        self.rng, self.tag = rng, tag
        self.minus = rng.random() < 0.5
        self.open_start = start == 1 or rng.random() < 0.03
        self.open_end = end == length or rng.random() < 0.03
        self.exons = self.split_exons(start, end)

    def split_exons(self, start, end):
        count = min(self.rng.randint(1, 5), max(1, (end - start) // 400))
        if count == 1:
            return [(start, end)]
        # Cuts on a 20-base grid keep every exon and intron non-empty.
        grid = range(start + 100, end - 100, 20)
        cuts = sorted(self.rng.sample(grid, 2 * (count - 1)))
        bounds = [start] + cuts + [end]
        return [(bounds[i], bounds[i + 1]) for i in range(0, len(bounds), 2)]

    def location(self, ranges):
        texts = []
        for i, (a, b) in enumerate(ranges):
            texts.append(span(a, b, i == 0 and self.open_start,
                              i == len(ranges) - 1 and self.open_end))
        return complemented(texts, self.rng) if self.minus else join(texts)

    def coding_ranges(self):
        """Exons less a short UTR at each end of the transcript that is closed."""
        first, last = self.exons[0], self.exons[-1]
        utr_low = 0 if self.open_start else min(75, (first[1] - first[0]) // 3)
        utr_high = 0 if self.open_end else min(75, (last[1] - last[0]) // 3)
        ranges = list(self.exons)
        ranges[0] = (ranges[0][0] + utr_low, ranges[0][1])
        ranges[-1] = (ranges[-1][0], ranges[-1][1] - utr_high)
        return ranges, utr_low, utr_high

    def lines(self):
        rng, tag = self.rng, self.tag
        gene = 'bg%05d' % tag
        start, end = self.exons[0][0], self.exons[-1][1]
        out = wrap_location("gene", self.location([(start, end)]))
        out += qualifier("gene", gene) + qualifier("locus_tag", "BENCH_%05d" % tag)
        out += wrap_location("mRNA", self.location(self.exons))
        out += qualifier("gene", gene) + qualifier("product", "bench protein %d" % tag)
        out += qualifier("transcript_id", "BTR_%05d.1" % tag)
        coding, utr_low, utr_high = self.coding_ranges()
        if utr_low:
            key = "3'UTR" if self.minus else "5'UTR"
            out += wrap_location(key, self.location([(start, start + utr_low - 1)]))
            out += qualifier("gene", gene)
        out += self.cds_lines(gene, coding)
        for number, (a, b) in enumerate(self.exons, 1):
            out += wrap_location("exon", self.location([(a, b)]))
            out += qualifier("gene", gene) + qualifier("number", number, False)
        if len(self.exons) > 1 and rng.random() < 0.5:
            for (_, b), (a, _) in zip(self.exons, self.exons[1:]):
                out += wrap_location("intron", self.location([(b + 1, a - 1)]))
                out += qualifier("gene", gene)
        if utr_high:
            key = "5'UTR" if self.minus else "3'UTR"
            out += wrap_location(key, self.location([(end - utr_high + 1, end)]))
            out += qualifier("gene", gene)
        return out

    def cds_lines(self, gene, coding):
        rng = self.rng
        open_five = self.open_end if self.minus else self.open_start
        codon_start = rng.choice((2, 3)) if open_five else 1
        size = sum(b - a + 1 for a, b in coding)
        protein = "M" + "".join(rng.choices(AMINO, k=max(1, size // 3 - 2)))
        out = wrap_location("CDS", self.location(coding))
        out += qualifier("gene", gene) + qualifier("codon_start", codon_start, False)
        out += qualifier("product", "bench protein %d" % self.tag)
        out += qualifier("protein_id", "BPR_%05d.1" % self.tag)
        out += qualifier("translation", protein)
        return out


def feature_lines(rng, length, first_tag):
    out = wrap_location("source", "1..%d" % length)
    out += qualifier("organism", "synthetic construct")
    out += qualifier("mol_type", "genomic DNA")
    tag, pos = first_tag, 1 if rng.random() < 0.25 else rng.randint(2, 300)
    while pos + 600 <= length:
        end = min(length, pos + rng.randint(1200, 9000))
        out += GeneModel(rng, tag, pos, end, length).lines()
        tag += 1
        if rng.random() < 0.2 and end + 300 < length:
            out += wrap_location("misc_feature", span(end + 50, end + 250))
            out += qualifier("note", "intergenic region of bench gene %d" % tag)
        pos = end + rng.randint(100, 2000)
    return out, tag


def sequence_lines(rng, length):
    seq = rng.randbytes(length).translate(BASES).decode()
    out = []
    for i in range(0, length, 60):
        line = seq[i:i + 60]
        groups = " ".join(line[k:k + 10] for k in range(0, len(line), 10))
        out.append("%9d %s\n" % (i + 1, groups))
    return out


def write_record(out, rng, number, length, tag):
    name = "BENCH%04d" % number
    out.write("LOCUS       %-16s%12d bp    DNA     linear   SYN 01-JAN-2026\n" % (name, length))
    out.write("DEFINITION  Synthetic construct %s, benchmark record %d.\n" % (name, number))
    out.write("ACCESSION   %s\n" % name)
    out.write("VERSION     %s.1\n" % name)
    out.write("KEYWORDS    .\n")
    out.write("SOURCE      synthetic construct\n")
    out.write("  ORGANISM  synthetic construct\n")
    out.write("            other sequences; artificial sequences.\n")
    out.write("REFERENCE   1  (bases 1 to %d)\n" % length)
    out.write("  AUTHORS   Bench,A.\n")
    out.write("  TITLE     Generated for timing runs\n")
    out.write("  JOURNAL   Unpublished\n")
    out.write("FEATURES             Location/Qualifiers\n")
    features, tag = feature_lines(rng, length, tag)
    out.writelines(features)
    out.write("ORIGIN      \n")
    out.writelines(sequence_lines(rng, length))
    out.write("//\n")
    return tag, sum(1 for line in features if line[5] != " ")


def main():
    if len(sys.argv) != 4:
        sys.exit("usage: gen_genbank.py OUT.gb TOTAL_BASES LARGEST_RECORD")
    path, total, largest = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    rng = random.Random(SEED)
    lengths = record_lengths(rng, total, largest)
    tag, features = 1, 0
    with open(path, "w", newline="\n") as out:
        for number, length in enumerate(lengths, 1):
            tag, count = write_record(out, rng, number, length, tag)
            features += count
    print("%s: %d records, %d bases, largest %d, %d features"
          % (path, len(lengths), sum(lengths), max(lengths), features))


if __name__ == "__main__":
    main()
