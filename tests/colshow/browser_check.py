#!/usr/bin/env python3
"""colshow's pages in headless Chromium: screenshots at a fixed window size
and the DOM after the page's script ran.

Usage: browser_check.py CHECK CHROMIUM BIN_DIR SAMPLE_GB
  pixels   coloured residues show in their colour, uncoloured ones white
  dom      the letters and positions of the rows on screen are in the DOM;
           an alignment places residues by alignpos
  hostile  names and fields with markup, quotes, & and NUL add no element
  far      a ten-million-residue page opened at #pos=9000000 shows there
  genes    feature names and arrow heads, the translation under each codon's
           middle base, and the minus entry reached by its own name
"""
import html.parser
import os
import subprocess
import sys
import tempfile

CHECK, CHROMIUM, BIN, SAMPLE = sys.argv[1:5]
WORK = tempfile.mkdtemp(prefix="colshow-browser-")
SIZE = (1100, 800)
failures = []


def expect(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what)


def tool(name, *args, stdin=None):
    return subprocess.run([os.path.join(BIN, name), *args], input=stdin, stdout=subprocess.PIPE,
                          check=True).stdout


def page(col_bytes, name, *args):
    src = os.path.join(WORK, name + ".col")
    with open(src, "wb") as f:
        f.write(col_bytes)
    out = os.path.join(WORK, name + ".html")
    with open(out, "wb") as f:
        f.write(tool("colshow", *args, src))
    return out


def chromium(path, fragment="", screenshot=None):
    """The DOM after the scripts ran, or a screenshot; the page from file://."""
    with tempfile.TemporaryDirectory() as profile:
        argv = [CHROMIUM, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                "--disable-background-networking", "--disable-component-update", "--disable-sync",
                "--user-data-dir=" + profile, "--window-size=%d,%d" % SIZE, "--hide-scrollbars",
                "--virtual-time-budget=10000"]
        argv += ["--screenshot=" + screenshot] if screenshot else ["--dump-dom"]
        r = subprocess.run(argv + ["file://" + path + fragment], stdout=subprocess.PIPE,
                           stderr=subprocess.DEVNULL, timeout=240)
        return r.stdout.decode("utf-8", "replace")


class Dom(html.parser.HTMLParser):
    """Tags, and the text of each row's lines: [(data-row, [line texts])]."""

    def __init__(self, text):
        super().__init__()
        self.tags, self.rows, self.h2, self.body = {}, [], [], {}
        self.stack, self.texts, self.pre = [], [], ""
        # The section of each row, the bars (section, classes, text) and
        # the rows that hold the position mark (section, data-row).
        self.section, self.row_section, self.bars, self.marks = None, [], [], []
        self.feed(text)

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        self.tags[tag] = self.tags.get(tag, 0) + 1
        cls = (a.get("class") or "").split()
        if tag == "body":
            self.body = a
        if tag == "section":
            self.section = a.get("id")
        if "row" in cls:
            self.rows.append((int(a.get("data-row", -1)), []))
            self.row_section.append(self.section)
        if "mark" in cls and self.rows:
            self.marks.append((self.section, self.rows[-1][0]))
        if tag == "div" and "line" in cls and self.rows:
            self.rows[-1][1].append([])
        self.stack.append((tag, cls))
        self.texts.append("")

    def handle_endtag(self, tag):
        if not self.stack:
            return
        t, cls = self.stack.pop()
        text = self.texts.pop()
        if self.texts:
            self.texts[-1] += text
        if t == "h2":
            self.h2.append(text)
        if t == "pre":
            self.pre += text
        if t == "div" and "bar" in cls:
            self.bars.append((self.section, cls, text))
        div = next((c for tg, c in reversed(self.stack) if tg == "div"), [])
        if self.rows and self.rows[-1][1] and "line" in div and t == "span" and (
                "pos" in cls or "seq" in cls or "name" in cls):
            self.rows[-1][1][-1].append(text)

    def handle_data(self, data):
        if self.texts:
            self.texts[-1] += data


def col(entries, header="; made for the browser checks\n"):
    """entries: (name, labels, lines)."""
    out = header + "; ==========\n"
    for name, labels, lines in entries:
        out += "; TYPE              DNA\n"
        out += "".join("; COL %-3d           %s\n" % (k + 1, l) for k, l in enumerate(labels))
        out += "; ENTRY             %s\n; ----------\n" % name
        out += "".join(l + "\n" for l in lines) + "; **********\n"
    return out.encode("utf-8", "surrogateescape")


def sample_col():
    plain = tool("morvel", "--gene", SAMPLE)
    return plain, tool("tindra", "-r81-200,301-468", "-c", stdin=plain)


def residues_of(col_bytes):
    return "".join(l.split()[1] for l in col_bytes.decode().splitlines() if l and not l.startswith(";"))


# ---------------------------------------------------------------- checks

def check_pixels():
    from PIL import Image
    labels = ["residue", "seqpos", "color_r", "color_g", "color_b"]
    lines = []
    for p in range(1, 61):
        rgb = "1.000 0.000 0.000" if p <= 20 else "0.000 0.000 1.000" if p > 40 else "1.000 1.000 1.000"
        lines.append("%s %d %s" % ("acgt"[p % 4], p, rgb))
    shot = os.path.join(WORK, "pixels.png")
    chromium(page(col([("pix", labels, lines)]), "pixels"), screenshot=shot)
    im = Image.open(shot).convert("RGB")
    w, h = im.size
    px = im.load()

    def box(colour):
        pts = [(x, y) for y in range(h) for x in range(w) if px[x, y] == colour]
        if not pts:
            return None
        xs, ys = [p[0] for p in pts], [p[1] for p in pts]
        return min(xs), min(ys), max(xs), max(ys), len(pts)

    red, blue = box((255, 0, 0)), box((0, 0, 255))
    expect(red is not None and blue is not None, "red and blue residues are drawn")
    if red and blue:
        expect(abs(red[1] - blue[1]) <= 1 and abs(red[3] - blue[3]) <= 1, "red and blue in one row")
        expect(red[2] < blue[0], "red residues 1-20 left of blue 41-60")
        expect(red[4] > 20 * 8 * 10, "red residues are filled with red")
        # Residues 21-40, between them, are white (the panel around is not).
        y = red[1] + 1
        between = [px[x, y] for x in range(red[2] + 1, blue[0])]
        white = sum(1 for c in between if c == (255, 255, 255))
        expect(white >= 0.8 * (red[2] - red[0]), "residues 21-40 are white (%d white pixels of %d)"
               % (white, len(between)))
        expect(all(c not in ((255, 0, 0), (0, 0, 255)) for c in between), "no colour spills between")
        expect(px[red[0] - 30, y] != (255, 255, 255), "the panel behind the rows is not white")
    # The example pipeline: tindra's red reaches the screen.
    plain, coloured = sample_col()
    shot = os.path.join(WORK, "sample.png")
    chromium(page(coloured, "sample"), screenshot=shot)
    im = Image.open(shot).convert("RGB")
    reds = sum(1 for c in im.getdata() if c == (255, 0, 0))
    expect(reds > 10000, "the example's coloured residues are red (%d pixels)" % reds)


def row_text(lines):
    return "".join(lines[0][1:-1]) if len(lines[0]) > 2 else ""


def check_dom():
    plain, coloured = sample_col()
    seq = residues_of(plain)
    dom = Dom(chromium(page(coloured, "sample")))
    expect(dom.body.get("data-ready") == "1", "the page's script ran to its end")
    rows = {r: lines for r, lines in dom.rows}
    expect(len(rows) == 10, "the ten rows of the 600 residues are drawn (%d)" % len(rows))
    for r in range(10):
        lines = rows.get(r)
        if not lines:
            expect(False, "row %d is in the DOM" % r)
            continue
        texts = lines[0]
        expect(texts[0] == str(60 * r + 1) and texts[-1] == str(60 * r + 60),
               "row %d runs from %d to %d: %r" % (r, 60 * r + 1, 60 * r + 60, (texts[0], texts[-1])))
        expect(texts[1] == seq[60 * r:60 * r + 60], "row %d shows residues %d-%d" % (r, 60 * r + 1, 60 * r + 60))
    expect("SAMPLE01" in dom.h2, "the entry's name is its title")
    # -w and -r: rows of 25 from position 301.
    dom = Dom(chromium(page(coloured, "narrow", "-w25", "-r301-400")))
    first = dict(dom.rows).get(0)
    expect(first is not None and first[0][0] == "301" and first[0][1] == seq[300:325],
           "with -w25 -r301-400 the first row is 301-325")
    # An alignment: residues placed by alignpos, gaps left empty.
    lines_a = ["a 1 1", "c 2 2", "g 3 4", "t 4 5"]
    lines_b = ["a 1 2", "a 2 3", "g 3 4", "g 4 5"]
    labels = ["residue", "seqpos", "alignpos"]
    dom = Dom(chromium(page(col([("first", labels, lines_a), ("second", labels, lines_b)]), "align")))
    block = dict(dom.rows).get(0)
    got = [(l[0], l[1]) for l in block[1:]] if block else []
    expect(got == [("first", "ac gt"), ("second", " aagg")], "the alignment rows: %r" % got)


HOSTILE = ["<script>alert(1)</script>", "</script><img src=x onerror=alert(2)>", "\"><svg onload=alert(3)>",
           "&lt;b&gt; & \"quoted\" 'single'", "nul\0<b>bold</b>", "<!--<script>", "'];alert(4);//"]


def check_hostile():
    entries = []
    for k, h in enumerate(HOSTILE):
        field = h.replace(" ", "")
        entries.append((h, ["residue", field, "seqpos"], ["a %s 1" % field, "c %s 2" % field]))
    data = col(entries, header="; <script>alert(0)</script> & \0\n")
    dom = Dom(chromium(page(data, "hostile")))
    expect(dom.body.get("data-ready") == "1", "the page's script ran to its end")
    plain = Dom(chromium(page(col([("plain", ["residue"], ["a"])]), "plain")))
    for tag in ("img", "svg", "iframe", "object", "embed"):
        expect(tag not in dom.tags, "no <%s> element" % tag)
    expect(dom.tags.get("script") == plain.tags.get("script") + len(HOSTILE) - 1,
           "one data script per entry and no other: %r" % dom.tags.get("script"))
    expect(dom.tags.get("b") == plain.tags.get("b"), "no <b> but the legend's")
    # A name ends at a NUL byte, as the col library reads names; the entry
    # text shows the whole line.
    shown = [h.split("\0")[0] for h in HOSTILE]
    expect("nul\u2400<b>bold</b>" in dom.pre, "the NUL shows in the entry text")
    expect("<script>alert(0)</script> & \u2400" in dom.pre, "the header line shows as text")
    expect(dom.h2 == shown, "the names show as text: %r" % [(a, b) for a, b in zip(dom.h2, shown) if a != b])
    rows = len(dom.rows)
    expect(rows == len(HOSTILE), "every entry draws its row (%d)" % rows)


def check_far():
    n = 10_000_000
    src = os.path.join(WORK, "far.col")
    # Residue at position p: "acgt"[(p * 7 + p // 13) % 4].
    with open(src, "w") as f:
        f.write("; ==========\n; TYPE              DNA\n; COL 1             label\n; COL 2             residue\n"
                "; COL 3             seqpos\n; ENTRY             far\n; ----------\n")
        step = 100_000
        for start in range(1, n + 1, step):
            f.write("".join("N %s %d\n" % ("acgt"[(p * 7 + p // 13) % 4], p) for p in range(start, start + step)))
        f.write("; **********\n")
    out = os.path.join(WORK, "far.html")
    with open(out, "wb") as f:
        f.write(tool("colshow", src))
    os.remove(src)
    size = os.path.getsize(out)
    expect(size < 1.2 * n, "the page is compact: %.2f bytes per residue" % (size / n))
    far = 9_000_000
    dom = Dom(chromium(out, "#pos=%d" % far))
    expect(dom.body.get("data-ready") == "1", "the page's script ran to its end")
    rows = dict(dom.rows)
    r = (far - 1) // 60
    expect(r in rows, "row %d (positions %d-%d) is drawn; drawn: %s" % (r, 60 * r + 1, 60 * r + 60,
                                                                        sorted(rows)[:3]))
    expect(len(rows) < 200, "only the rows near the screen exist (%d)" % len(rows))
    if r in rows:
        texts = rows[r][0]
        want = "".join("acgt"[(p * 7 + p // 13) % 4] for p in range(60 * r + 1, 60 * r + 61))
        expect(texts[0] == str(60 * r + 1) and texts[1] == want, "row %d shows its residues" % r)
    from PIL import Image
    shot = os.path.join(WORK, "far.png")
    chromium(out, "#pos=%d" % far, screenshot=shot)
    im = Image.open(shot).convert("RGB")
    mark = sum(1 for c in im.getdata() if c == (9, 105, 218))
    expect(mark > 20, "the position is marked on screen (%d pixels)" % mark)


STANDARD_CODE = dict(zip(
    (a + b + c for a in "tcag" for b in "tcag" for c in "tcag"),
    "FFLLSSSSYY**CC*WLLLLPPPPHHQQRRRRIIIMTTTTNNKKSSRRVVVVAAAADDEEGGGG"))


def codon_letters(seq, ranges, minus):
    """{position of the middle base: amino acid} of a CDS read from the
    record's residues (seq[0] is position 1), ranges in reading order."""
    comp = {"a": "t", "c": "g", "g": "c", "t": "a"}
    order = [p for a, b in ranges for p in (range(b, a - 1, -1) if minus else range(a, b + 1))]
    out = {}
    for k in range(0, len(order) - 2, 3):
        bases = "".join(comp[seq[p - 1]] if minus else seq[p - 1] for p in order[k:k + 3])
        out[order[k + 1]] = "M" if k == 0 and bases in ("atg", "ttg", "ctg") else STANDARD_CODE[bases]
    return out


def check_genes():
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    import feature_fixture
    gb = open(SAMPLE).read()
    plain = tool("morvel", "--gene", "--bothstrand", SAMPLE).decode()
    seq = residues_of(tool("morvel", SAMPLE))
    src = feature_fixture.with_features(plain, gb).encode()
    letters = codon_letters(seq, [(81, 200), (301, 468)], False)
    letters.update(codon_letters(seq, [(555, 596)], True))
    n = len(seq)
    out = page(src, "genes")
    for fragment, entry, line_of in (("#entry=SAMPLE01&pos=580", "entry-1", lambda p: p - 1),
                                     ("#entry=SAMPLE01%20(minus)&pos=420", "entry-2", lambda p: n - p)):
        dom = Dom(chromium(out, fragment))
        expect(dom.body.get("data-ready") == "1", "the page's script ran to its end")
        bars = [(c, t) for s, c, t in dom.bars if s == entry]
        forward, backward = ("sam1", "sam2") if entry == "entry-1" else ("sam2", "sam1")
        expect(any(t == forward + " \u25b6" for c, t in bars), "%s: %s points right" % (entry, forward))
        expect(any(t == "\u25c0 " + backward for c, t in bars), "%s: %s points left" % (entry, backward))
        expect(any("r" in c for c, t in bars) and any("l" in c for c, t in bars), "%s: arrow heads" % entry)
        rows = [(r, lines) for (r, lines), s in zip(dom.rows, dom.row_section) if s == entry]
        checked = 0
        for r, lines in rows:
            want = [" "] * 60
            for p, aa in letters.items():
                if 0 <= line_of(p) - 60 * r < 60:
                    want[line_of(p) - 60 * r] = aa
            got = [l[1] for l in lines if len(l) == 2 and l[0] == "translation" and l[1].strip()]
            if "".join(want).strip():
                checked += 1
                expect("".join(want).rstrip() in [g.rstrip() for g in got],
                       "%s row %d: amino acids under the middle bases: %r" % (entry, r, got))
        expect(checked >= 2, "%s: rows with codons were checked (%d)" % (entry, checked))
    row = line_of(420) // 60
    expect(("entry-2", row) in dom.marks, "#entry=SAMPLE01 (minus) marks position 420 there: %r" % dom.marks)


{"pixels": check_pixels, "dom": check_dom, "hostile": check_hostile, "far": check_far, "genes": check_genes}[CHECK]()
subprocess.run(["rm", "-rf", WORK])
print("%s: %d passed, %d failed" % (CHECK, 0 if failures else 1, len(failures)) if failures else "%s: ok" % CHECK)
sys.exit(1 if failures else 0)
