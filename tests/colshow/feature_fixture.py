"""Adds FEATURE entry-text lines, read from a GenBank record's feature table,
to the col file that morvel wrote from it: the input the feature lane and the
translation rows are checked with. A reader of its own, kept small: simple
locations, join/order/complement, fuzzy ends as their numbers."""
import re
import sys

NAME_QUALIFIERS = ("gene", "locus_tag", "label", "product")


def features(gb_text):
    """Yields (key, location, {qualifier: value}) per feature of the record."""
    lines = gb_text.split("\n")
    inside, key, loc, quals, last = False, None, "", {}, None
    for line in lines:
        if line.startswith("FEATURES "):
            inside = True
            continue
        if not inside:
            continue
        if line[:1] not in (" ", "") or line.startswith("ORIGIN"):
            break
        if len(line) > 5 and line[5] != " ":
            if key:
                yield key, loc, quals
            key, loc, quals, last = line[5:21].strip(), line[21:].strip(), {}, None
        elif line[21:22] == "/":
            name, _, value = line[22:].partition("=")
            last = name.strip()
            quals[last] = value.strip()
        elif last:
            quals[last] += (" " if last != "translation" else "") + line.strip()
        elif key:
            loc += line.strip()
    if key:
        yield key, loc, quals


def parse_location(text, comp=False):
    """The ranges in reading order, each (first, last, complemented)."""
    text = text.strip()
    m = re.match(r"^(complement|join|order)\((.*)\)$", text)
    if m:
        inner = [p for p in split_top(m.group(2))]
        if m.group(1) == "complement":
            parts = [r for p in inner for r in parse_location(p, not comp)]
            return list(reversed(parts))
        return [r for p in inner for r in parse_location(p, comp)]
    if ":" in text or "^" in text:
        return []
    nums = [int(n) for n in re.findall(r"\d+", text)]
    if not nums:
        return []
    return [(min(nums), max(nums), comp)]


def split_top(text):
    depth, start = 0, 0
    for i, c in enumerate(text):
        depth += c == "("
        depth -= c == ")"
        if c == "," and depth == 0:
            yield text[start:i]
            start = i + 1
    yield text[start:]


def unquote(value):
    return value[1:-1] if value.startswith('"') and value.endswith('"') else value


def encode(name):
    out = []
    for b in name.encode():
        out.append(chr(b) if 0x21 <= b < 0x7f and b != 0x25 else "%%%02X" % b)
    return "".join(out) or "."


def feature_line(key, loc, quals):
    ranges = parse_location(loc)
    if not ranges:
        return None
    strands = {r[2] for r in ranges}
    strand = "." if len(strands) > 1 else "-" if True in strands else "+"
    name = next((unquote(quals[q]) for q in NAME_QUALIFIERS if q in quals), "")
    text = "; FEATURE           %s %s %s %s" % (
        key, strand, ",".join("%d-%d" % (a, b) for a, b, _ in ranges), encode(name))
    if key == "CDS":
        text += " codon_start=%s transl_table=%s" % (quals.get("codon_start", "1"), quals.get("transl_table", "1"))
    return text


def records(gb_text):
    """The texts of the records of a GenBank file."""
    return [r for r in re.split(r"(?m)^//[ \t]*$", gb_text) if "LOCUS" in r]


def feature_block(gb_record):
    lines = [feature_line(k, l, q) for k, l, q in features(gb_record) if k != "source"]
    return "".join(x + "\n" for x in lines if x)


def with_features(col_text, gb_text):
    """The col text with each record's FEATURE lines after its entry's LENGTH
    (and STRAND) line: one entry per record, in order, each followed by its
    minus entry where the file has them (STRAND Minus)."""
    blocks = [feature_block(r) for r in records(gb_text)]
    lines = col_text.splitlines(keepends=True)
    out, k = [], -1
    for i, line in enumerate(lines):
        out.append(line)
        following = lines[i + 1] if i + 1 < len(lines) else ""
        if line.startswith("; LENGTH"):
            minus = following.startswith("; STRAND") and "Minus" in following
            k += 0 if minus else 1
            if not following.startswith("; STRAND"):
                out.append(blocks[k] if k < len(blocks) else "")
        elif line.startswith("; STRAND"):
            out.append(blocks[k] if 0 <= k < len(blocks) else "")
    return "".join(out)


if __name__ == "__main__":
    sys.stdout.write(with_features(sys.stdin.read(), open(sys.argv[1]).read()))
