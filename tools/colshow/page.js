(function () {
"use strict";
var W = CS.w, E = CS.e, doc = document, SC = doc.querySelector("main"), MAXH = 8000000, LINE = 18, TRKH = 9, BAR = 16, GAP = 9;
/* IE and CP, the track colours by letter, are written in here from colours.h. */
/* So are ST (strand chevrons), FC (feature bar and ink by class), JL (the longest gap
   a feature's bar joins) and TN (track names). */
function el(tag, cls, text) {
  var x = doc.createElement(tag);
  if (cls) x.className = cls;
  if (text != null) x.textContent = text;
  return x;
}
function shown(v) {
  return v == null ? "(missing)" : v.replace(/[\x00-\x1f\x7f]/g, function (c) {
    return String.fromCharCode(c === "\x7f" ? 0x2421 : 0x2400 + c.charCodeAt(0));
  });
}
function measure(cls) {
  var p = el("span", cls, "0000000000");
  p.style.position = "absolute"; p.style.visibility = "hidden";
  doc.body.appendChild(p);
  var w = p.getBoundingClientRect().width / 10;
  doc.body.removeChild(p);
  return w;
}
var CW = measure("line") || 8.4, SW = measure("tk st") || 5.4;

// A column's values from its runs (see colshow's view.h for the format).
function Runs(text, s) {
  var t = text ? text.split(" ") : [], st = [], kd = [], vs = [], at = 0, j = 0, m, v;
  while (j < t.length && (m = /^(\d+)([cipmr])(\d*)$/.exec(t[j++]))) {
    v = null;
    if (m[2] === "c") v = [t[j++]];
    else if (m[2] === "i") { v = [+t[j], +t[j + 1]]; j += 2; }
    else if (m[2] === "p") { v = t.slice(j, j + +m[3]); j += +m[3]; }
    st.push(at); kd.push(m[2]); vs.push(v); at += +m[1];
  }
  this.st = st; this.kd = kd; this.vs = vs; this.n = at; this.s = s;
}
Runs.prototype.find = function (i) {
  var lo = 0, hi = this.st.length - 1;
  while (lo < hi) { var mid = (lo + hi + 1) >> 1; if (this.st[mid] <= i) lo = mid; else hi = mid - 1; }
  return lo;
};
Runs.prototype.at = function (i) {
  if (!(i >= 0 && i < this.n)) return null;
  var r = this.find(i), v = this.vs[r], d = i - this.st[r];
  switch (this.kd[r]) {
    case "c": return v[0];
    case "i": return String(v[0] + d * v[1]);
    case "p": return v[d % v.length];
    case "r": return this.s.charAt(i);
  }
  return null;
};
Runs.prototype.indexOf = function (p) {
  for (var r = 0; r < this.st.length; r++) {
    var v = this.vs[r], len = (r + 1 < this.st.length ? this.st[r + 1] : this.n) - this.st[r], q;
    if (this.kd[r] === "c" && +v[0] === p) return this.st[r];
    if (this.kd[r] === "i") { q = (p - v[0]) / v[1]; if (q >= 0 && q < len && q === Math.floor(q)) return this.st[r] + q; }
    if (this.kd[r] === "p") for (q = 0; q < v.length && q < len; q++) if (+v[q] === p) return this.st[r] + q;
  }
  return -1;
};

// A list of equal items of which only those near the screen exist. Very
// long lists are squeezed into MAXH pixels; scrolling then moves faster.
function VList(view, count, h, build) {
  this.view = view; this.count = count; this.h = h; this.build = build;
  this.V = count * h; this.R = Math.min(this.V, MAXH);
  view.style.height = this.R + "px";
  this.layer = el("div", "layer"); view.appendChild(this.layer);
  this.items = new Map();
}
VList.prototype.toV = function (y, vh) {
  var V = this.V, R = this.R;
  if (R === V || y <= 0) return y;
  return y >= R - vh ? y + V - R : y * (V - vh) / (R - vh);
};
VList.prototype.toY = function (t, vh) {
  var V = this.V, R = this.R;
  if (R === V || t <= 0) return t;
  return t >= V - vh ? t - (V - R) : t * (R - vh) / (V - vh);
};
VList.prototype.reset = function () { this.items.forEach(function (n) { n.remove(); }); this.items = new Map(); };
VList.prototype.draw = function () {
  var rect = this.view.getBoundingClientRect(), top = SC.getBoundingClientRect().top, vh = SC.clientHeight, y = top - rect.top;
  if (rect.bottom < top - vh || rect.top > top + 2 * vh || !this.count) { this.reset(); return; }
  var t = this.toV(y, vh), first = Math.max(0, Math.floor((t - vh / 2) / this.h)),
      last = Math.min(this.count - 1, Math.floor((t + 2 * vh) / this.h)), keep = new Map();
  this.items.forEach(function (n, k) { if (k >= first && k <= last) keep.set(k, n); else n.remove(); });
  for (var k = first; k <= last; k++) {
    var n = keep.get(k);
    if (!n) { n = this.build(k); keep.set(k, n); this.layer.appendChild(n); }
    n.style.top = (y + k * this.h - t) + "px";
  }
  this.items = keep;
};

function colours(en, i) { return (en.bgR ? en.bgR.at(i) : "ffffff") + (en.fgR ? en.fgR.at(i) : "000000"); }
// Cells a..b of a block: letters grouped into spans of one colour.
function cells(en, blk, a, b, index) {
  var key = null, text = "";
  function flush() {
    if (key === null) return;
    var sp = el("span", key === "gap" ? "gap" : null, text);
    if (key !== "gap" && key !== "ffffff000000") { sp.style.background = "#" + key.slice(0, 6); sp.style.color = "#" + key.slice(6); }
    blk.appendChild(sp); text = "";
  }
  for (var c = a; c < b; c++) {
    var i = index(c), k = i < 0 ? "gap" : colours(en, i);
    if (k !== key) { flush(); key = k; }
    text += i < 0 ? " " : en.s.charAt(i);
  }
  flush();
}
function same(c) { return c; }
function posText(en, i) { var v = en.posR ? en.posR.at(i) : null; return v == null ? String(i + 1) : v; }
function first(v) { return v == null ? "." : v.charAt(0); }

// The gene-structure letter shown: coding positions (codonpos 1-3) under
// no exon, intron or UTR letter show as a CDS (colours.h, ShownRegion).
function shownRegion(v, cp) { return cp >= "1" && cp <= "3" && "EI35".indexOf(v) < 0 ? "C" : v; }
function trackLine(en, t, runs, a, b) {
  var line = el("div", "trk"), seq = el("span", "seq"), cpR = en.trk[1] >= 0 ? en.cols[en.trk[1]] : null;
  line.appendChild(label(TN[t]));
  for (var s = a; s < b; s += 10) {
    var blk = el("span", "blk"), e = Math.min(b, s + 10), c = s;
    var at = t === 0 && cpR ? function (i) { return shownRegion(first(runs.at(i)), first(cpR.at(i))); }
                            : function (i) { return first(runs.at(i)); };
    while (c < e) {
      var v = at(c), d = c + 1, sp = el("span", "tk");
      while (d < e && at(d) === v) d++;
      sp.style.width = ((d - c) * CW) + "px";
      if (t === 0 && IE[v]) sp.style.background = IE[v];
      if (t === 1 && CP[v]) sp.style.background = CP[v];
      if (t === 2 && ST[v]) {
        sp.className = "tk st"; sp.style.letterSpacing = (CW - SW) + "px"; sp.style.color = ST[v];
        sp.textContent = (v === "+" ? "\u203a" : "\u2039").repeat(d - c);
      }
      blk.appendChild(sp); c = d;
    }
    seq.appendChild(blk);
  }
  line.appendChild(seq);
  return line;
}

// Items over line ranges [lo, hi], found by overlap with a row of lines.
function Spans(items) {
  items.sort(function (x, y) { return x.lo - y.lo; });
  var reach = -1;
  this.items = items;
  this.reach = items.map(function (x) { return (reach = Math.max(reach, x.hi)); });
}
Spans.prototype.each = function (a, b, fn) {
  var lo = 0, hi = this.items.length;
  while (lo < hi) { var mid = (lo + hi) >> 1; if (this.items[mid].lo < b) lo = mid + 1; else hi = mid; }
  for (var k = lo - 1; k >= 0 && this.reach[k] >= a; k--) if (this.items[k].hi >= a) fn(this.items[k]);
};
// Codons as the page carries them: "LINE STEP LETTERS" groups.
function codonGroups(text, into) {
  var t = text ? text.split(" ") : [];
  for (var j = 0; j + 2 < t.length; j += 3) {
    var line = +t[j], step = +t[j + 1], aa = t[j + 2], end = line + step * (aa.length - 1);
    into.push({lo: Math.min(line, end), hi: Math.max(line, end), line: line, step: step, aa: aa});
  }
  return into;
}
// The amino-acid letters of the groups in lines a..b-1 of a row.
function aminoLine(spans, a, b, name) {
  var cells = new Array(b - a).fill(" "), line = el("div", "line aa"), seq = el("span", "seq");
  spans.each(a, b, function (g) {
    for (var j = 0; j < g.aa.length; j++) {
      var i = g.line + j * g.step;
      if (i >= a && i < b) cells[i - a] = g.aa.charAt(j);
      if (!g.step) break;
    }
  });
  line.appendChild(label(name));
  for (var s = a; s < b; s += 10) seq.appendChild(el("span", "blk", cells.slice(s - a, Math.min(b, s + 10) - a).join("")));
  line.appendChild(seq);
  return line;
}
// A track's name in the position column, as wide as the positions.
function label(text) {
  var x = el("span", "pos tn", text);
  x.style.width = (10 * CW) + "px"; x.style.marginRight = CW + "px";
  return x;
}
function cellX(off) { return (11 + off + Math.floor(off / 10)) * CW; }
// One lane row of a page row: per block of a feature (its spans joined
// across short gaps) a bar per span, a thin line between them, the name
// inside and an arrow head where the feature ends.
function laneLine(en, r, a, b) {
  var line = el("div", "lane");
  en.rows[r].each(a, b, function (blk) {
    var f = blk.f, lo = Math.max(a, blk.lo), hi = Math.min(b - 1, blk.hi), col = FC[f.cls] || FC[FC.length - 1];
    var join = el("div", "join"), named = false;
    join.style.left = cellX(lo - a) + "px"; join.style.width = (cellX(hi - a) + CW - cellX(lo - a)) + "px";
    join.style.background = col[0];
    line.appendChild(join);
    blk.spans.forEach(function (s) {
      if (s[1] < a || s[0] >= b) return;
      var x = Math.max(a, s[0]) - a, y = Math.min(b - 1, s[1]) - a, bar = el("div", "bar");
      var head = f.dir > 0 && s[1] === f.end && f.end < b ? "r" : f.dir < 0 && s[0] === f.end && f.end >= a ? "l" : "";
      if (head) bar.className = "bar " + head;
      bar.style.left = cellX(x) + "px"; bar.style.width = (cellX(y) + CW - cellX(x)) + "px";
      bar.style.background = col[0]; bar.style.color = col[1];
      var name = f.name === "." ? f.key : f.name;
      if (!named) bar.textContent = f.dir > 0 ? name + " \u25b6" : f.dir < 0 ? "\u25c0 " + name : name;
      named = true;
      bar.setAttribute("data-e", en.x); bar.setAttribute("data-f", f.k);
      line.appendChild(bar);
    });
  });
  return line;
}
function markAt(row, off, top) {
  var m = el("div", "mark");
  m.style.top = top + "px";
  m.style.left = ((11 + off + Math.floor(off / 10)) * CW) + "px"; m.style.width = CW + "px";
  row.appendChild(m);
}
function seqRow(en, r) {
  var a = r * W, b = Math.min(en.n, a + W), row = el("div", "row"), line = el("div", "line"), seq = el("span", "seq");
  row.setAttribute("data-row", r);
  if (en.rows.length) row.appendChild(el("div", "sep"));
  for (var q = 0; q < en.rows.length; q++) {
    row.appendChild(laneLine(en, q, a, b));
    if (en.lt[q]) row.appendChild(aminoLine(en.aa[q], a, b, "translation"));
  }
  line.appendChild(el("span", "pos", posText(en, a)));
  for (var s = a; s < b; s += 10) {
    var blk = el("span", "blk");
    blk.setAttribute("data-e", en.x); blk.setAttribute("data-i", s);
    cells(en, blk, s, Math.min(b, s + 10), same);
    seq.appendChild(blk);
  }
  line.appendChild(seq);
  line.appendChild(el("span", "pos end", posText(en, b - 1)));
  row.appendChild(line);
  for (var t = 0; t < 3; t++) if (en.trk[t] >= 0) row.appendChild(trackLine(en, t, en.cols[en.trk[t]], a, b));
  en.tcs.forEach(function (g) { row.appendChild(aminoLine(g.spans, a, b, g.label)); });
  if (en.mark >= a && en.mark < b) markAt(row, en.mark - a, en.top);
  return row;
}
// The lane rows of an entry's features, the codons of its CDS rows, and the
// codons of its codonpos and strand columns.
function readFeatures(en) {
  en.rows = []; en.aa = []; en.lt = en.lt || []; en.tcs = [];
  var rows = [], aa = [];
  (en.ft || []).forEach(function (d, k) {
    var sp = [], j;
    for (j = 0; j + 1 < d[9].length; j += 2) sp.push([d[9][j], d[9][j + 1]]);
    var f = {k: k, row: d[0], cls: d[1], key: d[2], name: d[3], dir: d[8], end: d[11]}, blk = null;
    rows[f.row] = rows[f.row] || [];
    sp.forEach(function (s) {
      if (blk && s[0] - blk.hi - 1 <= JL) { blk.hi = Math.max(blk.hi, s[1]); blk.spans.push(s); return; }
      blk = {lo: s[0], hi: s[1], f: f, spans: [s]};
      rows[f.row].push(blk);
    });
    codonGroups(d[10], (aa[f.row] = aa[f.row] || []));
  });
  for (var r = 0; r < rows.length; r++) { en.rows.push(new Spans(rows[r] || [])); en.aa.push(new Spans(aa[r] || [])); }
  (en.tc || []).forEach(function (t, k) {
    var g = codonGroups(t, []);
    if (g.length) en.tcs.push({spans: new Spans(g), label: k ? "minus aa" : "plus aa"});
  });
  en.top = (en.rows.length ? GAP : 0) + en.rows.length * BAR + en.lt.filter(function (x) { return x; }).length * LINE;
}
var lists = [], AL = [], AV = null, maxcol = 0;
E.forEach(function (en, x) {
  en.x = x;
  en.cols = en.c.map(function (t) { return new Runs(t, en.s); });
  en.bgR = en.bg ? new Runs(en.bg) : null;
  en.fgR = en.fg ? new Runs(en.fg) : null;
  en.posR = en.pos >= 0 ? en.cols[en.pos] : null;
  en.mark = -1;
  en.view = doc.getElementById(en.id).querySelector(".view");
  if (CS.align || en.ali >= 0) { AL.push(en); return; }
  var nt = en.trk.filter(function (k) { return k >= 0; }).length;
  readFeatures(en);
  if (!en.n) en.view.appendChild(el("p", "none", "no residues shown"));
  en.vl = new VList(en.view, Math.ceil(en.n / W), en.top + LINE + nt * TRKH + en.tcs.length * LINE + 6,
                    function (r) { return seqRow(en, r); });
  lists.push(en.vl);
});

// The alignment: residues placed by alignpos (else seqpos, else the line).
function alBlock(k) {
  var a = k * W, b = Math.min(maxcol, a + W), box = el("div", "row"), ruler = el("div", "line ruler"), seq = el("span", "seq");
  box.setAttribute("data-row", k);
  ruler.appendChild(el("span", "name"));
  for (var s = a; s < b; s += 10) {
    var w = Math.min(10, b - s), label = String(s + 1);
    seq.appendChild(el("span", "blk", (label + "          ").slice(0, Math.max(w, Math.min(label.length, 10)))));
  }
  ruler.appendChild(seq); box.appendChild(ruler);
  AL.forEach(function (en) {
    var line = el("div", "line"), seq = el("span", "seq");
    line.appendChild(el("span", "name", shown(en.name)));
    for (var s = a; s < b; s += 10) {
      var blk = el("span", "blk");
      blk.setAttribute("data-e", en.x); blk.setAttribute("data-c", s);
      cells(en, blk, s, Math.min(b, s + 10), function (c) { return c < en.map.length ? en.map[c] : -1; });
      seq.appendChild(blk);
    }
    line.appendChild(seq); box.appendChild(line);
  });
  return box;
}
if (AL.length) {
  AL.forEach(function (en) {
    var col = en.ali >= 0 ? en.ali : en.pos, R = col >= 0 ? en.cols[col] : null, p = new Float64Array(en.n), i;
    for (i = 0; i < en.n; i++) { p[i] = R ? parseInt(R.at(i), 10) : i + 1; if (p[i] >= 1 && p[i] <= 50000000 && p[i] > maxcol) maxcol = p[i]; }
    en.map = new Int32Array(maxcol).fill(-1);
    for (i = 0; i < en.n; i++) if (p[i] >= 1 && p[i] <= maxcol && en.map[p[i] - 1] < 0) en.map[p[i] - 1] = i;
    en.view.style.display = "none";
  });
  AL.forEach(function (en) { if (en.map.length < maxcol) { var m = new Int32Array(maxcol).fill(-1); m.set(en.map); en.map = m; } });
  var sec = el("section", "entry align"), first0 = doc.getElementById(AL[0].id);
  sec.appendChild(el("h2", null, "Alignment of " + AL.length + (AL.length === 1 ? " entry" : " entries")));
  sec.appendChild(el("p", "meta", maxcol + " alignment positions"));
  var v = el("div", "view"); sec.appendChild(v);
  first0.parentNode.insertBefore(sec, first0);
  AV = new VList(v, Math.ceil(maxcol / W), (AL.length + 1) * LINE + 10, alBlock);
  lists.push(AV);
}

function drawAll() { lists.forEach(function (l) { l.draw(); }); }
var pending = false;
function later() { if (!pending) { pending = true; requestAnimationFrame(function () { pending = false; drawAll(); }); } }
SC.addEventListener("scroll", later, {passive: true});
addEventListener("resize", later);

// Pointing at a residue shows every field of its body line.
var tip = el("div", "tip"); tip.hidden = true; doc.body.appendChild(tip);
function place(ev) {
  tip.hidden = false;
  tip.style.left = Math.min(ev.clientX + 14, innerWidth - tip.offsetWidth - 4) + "px";
  tip.style.top = Math.min(ev.clientY + 14, innerHeight - tip.offsetHeight - 4) + "px";
}
// A feature's key, name, strand, ranges and, for a CDS, codon start and code.
function featureTip(f) {
  var tb = el("table"), rows = [["key", f.key], ["name", f.name], ["strand", f.strand], ["ranges", f.ranges]];
  if (f.key === "CDS") rows.push(["codon start", String(f.cs)], ["table", String(f.tt)]);
  rows.forEach(function (kv) {
    var tr = el("tr"); tr.appendChild(el("th", null, kv[0])); tr.appendChild(el("td", null, shown(kv[1]))); tb.appendChild(tr);
  });
  return tb;
}
doc.addEventListener("mousemove", function (ev) {
  var bar = ev.target.closest && ev.target.closest(".bar[data-f]");
  if (bar) {
    var fe = E[+bar.getAttribute("data-e")], d = fe.ft[+bar.getAttribute("data-f")];
    tip.textContent = "";
    tip.appendChild(featureTip({key: d[2], name: d[3], strand: d[4], ranges: d[5], cs: d[6], tt: d[7]}));
    return place(ev);
  }
  var blk = ev.target.closest && ev.target.closest(".line .blk[data-e]"), en, off, i;
  if (!blk) { tip.hidden = true; return; }
  en = E[+blk.getAttribute("data-e")];
  off = Math.floor((ev.clientX - blk.getBoundingClientRect().left) / CW);
  if (blk.hasAttribute("data-c")) { var c = +blk.getAttribute("data-c") + off; i = c < en.map.length ? en.map[c] : -1; }
  else i = +blk.getAttribute("data-i") + off;
  if (off < 0 || off >= 10 || i < 0 || i >= en.n) { tip.hidden = true; return; }
  tip.textContent = "";
  tip.appendChild(el("div", null, shown(en.name) + " \u00b7 position " + shown(posText(en, i))));
  var tb = el("table");
  en.lab.forEach(function (l, k) {
    var tr = el("tr"); tr.appendChild(el("th", null, shown(l))); tr.appendChild(el("td", null, shown(en.cols[k].at(i)))); tb.appendChild(tr);
  });
  tip.appendChild(tb);
  place(ev);
});

// Go to a position: the box, and #pos=N or #entry=NAME&pos=N in the address.
var sel = doc.getElementById("go-entry"), msg = doc.getElementById("go-msg");
E.forEach(function (en) { sel.appendChild(el("option", null, shown(en.name))); });
function goTo(en, p) {
  var list, k;
  if (!(p === Math.floor(p))) return false;
  if (en.map) { list = AV; k = Math.floor((p - 1) / W); if (p < 1 || k >= list.count) return false; }
  else {
    var i = en.posR ? en.posR.indexOf(p) : (p >= 1 && p <= en.n ? p - 1 : -1);
    if (i < 0) return false;
    list = en.vl; k = Math.floor(i / W);
    lists.forEach(function (l) { l.reset(); }); E.forEach(function (x) { x.mark = -1; }); en.mark = i;
  }
  var top = list.view.getBoundingClientRect().top - SC.getBoundingClientRect().top + SC.scrollTop;
  SC.scrollTop = top + list.toY(k * list.h - 8, SC.clientHeight);
  drawAll();
  return true;
}
function say(text) { msg.textContent = text; }
function fromHash() {
  var q = {}, h = location.hash.slice(1), en = E[0];
  if (!h) return;
  try {
    h.split("&").forEach(function (kv) { var m = kv.indexOf("="); if (m > 0) q[decodeURIComponent(kv.slice(0, m))] = decodeURIComponent(kv.slice(m + 1)); });
  } catch (e) { return say("unreadable address"); }
  if (q.entry != null) { en = null; for (var j = 0; j < E.length && !en; j++) if (E[j].name === q.entry) en = E[j]; }
  if (!en) return say("no entry " + shown(q.entry));
  sel.selectedIndex = en.x;
  if (q.pos == null) { doc.getElementById(en.id).scrollIntoView(); return; }
  doc.getElementById("go-pos").value = q.pos;
  say(goTo(en, +q.pos) ? "" : "no position " + shown(q.pos) + " in " + shown(en.name));
}
doc.getElementById("go").addEventListener("submit", function (ev) {
  ev.preventDefault();
  var en = E[sel.selectedIndex], p = +doc.getElementById("go-pos").value;
  if (!en) return;
  if (!goTo(en, p)) return say("no position " + p + " in " + shown(en.name));
  say("");
  history.replaceState(null, "", "#entry=" + encodeURIComponent(en.name) + "&pos=" + p);
});
addEventListener("hashchange", fromHash);
drawAll();
fromHash();
doc.body.setAttribute("data-ready", "1");
})();
