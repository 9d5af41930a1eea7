#include "page.h"

#include <string_view>

#include "escape.h"

namespace {

// No request leaves the page: everything it needs is inline.
constexpr std::string_view kHead = R"HTML(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta http-equiv="Content-Security-Policy" content="default-src 'none'; style-src 'unsafe-inline'; script-src 'unsafe-inline'">
<meta name="viewport" content="width=device-width, initial-scale=1">
<meta name="generator" content="colshow">
)HTML";

constexpr std::string_view kStyle = R"CSS(<style>
html,body{height:100%}
body{margin:0;display:flex;flex-direction:column;font:14px/1.4 system-ui,-apple-system,"Segoe UI",sans-serif;color:#1f2328;background:#e8eaee}
#bar{flex:none;z-index:3;display:flex;flex-wrap:wrap;gap:6px 16px;align-items:center;padding:6px 14px;background:#fff;border-bottom:1px solid #c8ccd2}
#bar h1{font-size:15px;margin:0;font-weight:600}
#bar form{display:flex;gap:6px;align-items:center;margin:0}
#bar input{width:9em}
#go-msg{color:#b3261e}
main{flex:1;overflow:auto;padding:4px 14px 40px}
.hist{background:#fff;border:1px solid #d0d4da;border-radius:4px;padding:6px 10px;margin:10px 0;font:12px/1.35 ui-monospace,"DejaVu Sans Mono",monospace;white-space:pre-wrap;overflow-wrap:anywhere}
.legend{display:flex;flex-wrap:wrap;gap:4px 14px;align-items:center;font-size:12px;margin:8px 0}
.legend i{display:inline-block;width:14px;height:8px;margin-right:4px;vertical-align:middle;border:1px solid #999}
.entry{background:#f4f5f7;border:1px solid #c8ccd2;border-radius:6px;margin:12px 0;padding:6px 12px 10px}
.entry h2{font-size:15px;margin:2px 0 4px;overflow-wrap:anywhere}
.meta{font-size:12px;color:#57606a;margin:0 0 4px;overflow-wrap:anywhere}
details{font-size:12px;margin:0 0 6px}
details pre{margin:4px 0;white-space:pre-wrap;overflow-wrap:anywhere}
.view{position:relative;overflow:hidden}
.layer{position:absolute;left:0;top:0;right:0}
.row{position:absolute;left:0;white-space:nowrap}
.line,.trk{font:14px/18px ui-monospace,"DejaVu Sans Mono",monospace;white-space:pre;height:18px}
.trk{height:6px;line-height:6px}
.pos,.name{display:inline-block;width:10ch;margin-right:1ch;text-align:right;color:#57606a;vertical-align:top}
.name{width:16ch;text-align:left;overflow:hidden;text-overflow:ellipsis;color:#1f2328}
.pos.end{text-align:left;margin:0}
.blk{display:inline-block;margin-right:1ch;vertical-align:top}
.line .blk span{background:#fff;color:#000}
.line .blk span.gap,.ruler .blk{background:none;color:#57606a}
.tk{display:inline-block;height:5px;vertical-align:top}
.tk.st{overflow:hidden;font:9px/5px ui-monospace,"DejaVu Sans Mono",monospace;color:#333}
.mark{position:absolute;top:0;height:18px;box-sizing:border-box;border:2px solid #0969da;pointer-events:none}
.tip{position:fixed;z-index:5;max-width:40em;background:#fff;border:1px solid #8c959f;border-radius:4px;padding:4px 8px;font-size:12px;box-shadow:0 2px 8px rgba(0,0,0,.2);pointer-events:none;overflow-wrap:anywhere}
.tip th{text-align:left;padding-right:10px;font-weight:600}
.tip td{font-family:ui-monospace,"DejaVu Sans Mono",monospace}
.none{color:#57606a;font-style:italic}
</style>
)CSS";

constexpr std::string_view kLegend = R"HTML(<div class="legend"><b>Tracks</b>
<span><i style="background:#2e7d32"></i>E exon</span><span><i style="background:#b0b0b0"></i>I intron</span><span><i style="background:#64b5f6"></i>G gene</span><span><i style="background:#ba68c8"></i>M mRNA</span><span><i style="background:#ff9800"></i>3 3&#39;UTR</span><span><i style="background:#fdd835"></i>5 5&#39;UTR</span>
<span><i style="background:#37474f"></i>codon position 1</span><span><i style="background:#78909c"></i>2</span><span><i style="background:#b0bec5"></i>3</span>
<span>&#8250;&#8250; plus strand</span><span>&#8249;&#8249; minus strand</span>
<span><i style="background:#fff"></i>no colour: white background, black letter</span>
</div>
)HTML";

// The viewer. It reads the data the entries pushed into CS.e, sets text only
// through textContent, and keeps in the document just the rows on screen.
constexpr std::string_view kScript = R"JS(<script>
(function () {
"use strict";
var W = CS.w, E = CS.e, doc = document, SC = doc.querySelector("main"), MAXH = 8000000, LINE = 18, TRKH = 6;
var IE = {E: "#2e7d32", I: "#b0b0b0", G: "#64b5f6", M: "#ba68c8", "3": "#ff9800", "5": "#fdd835"};
var CP = {"1": "#37474f", "2": "#78909c", "3": "#b0bec5"};
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
      last = Math.min(this.count - 1, Math.floor((t + 1.5 * vh) / this.h)), keep = new Map();
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

function trackLine(en, t, runs, a, b) {
  var line = el("div", "trk"), seq = el("span", "seq");
  line.appendChild(el("span", "pos"));
  for (var s = a; s < b; s += 10) {
    var blk = el("span", "blk"), e = Math.min(b, s + 10), c = s;
    while (c < e) {
      var v = first(runs.at(c)), d = c + 1, sp = el("span", "tk");
      while (d < e && first(runs.at(d)) === v) d++;
      sp.style.width = ((d - c) * CW) + "px";
      if (t === 0 && IE[v]) sp.style.background = IE[v];
      if (t === 1 && CP[v]) sp.style.background = CP[v];
      if (t === 2 && (v === "+" || v === "-")) {
        sp.className = "tk st"; sp.style.letterSpacing = (CW - SW) + "px";
        sp.textContent = (v === "+" ? "\u203a" : "\u2039").repeat(d - c);
      }
      blk.appendChild(sp); c = d;
    }
    seq.appendChild(blk);
  }
  line.appendChild(seq);
  return line;
}
function markAt(row, off) {
  var m = el("div", "mark");
  m.style.left = ((11 + off + Math.floor(off / 10)) * CW) + "px"; m.style.width = CW + "px";
  row.appendChild(m);
}
function seqRow(en, r) {
  var a = r * W, b = Math.min(en.n, a + W), row = el("div", "row"), line = el("div", "line"), seq = el("span", "seq");
  row.setAttribute("data-row", r);
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
  if (en.mark >= a && en.mark < b) markAt(row, en.mark - a);
  return row;
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
  if (!en.n) en.view.appendChild(el("p", "none", "no residues shown"));
  en.vl = new VList(en.view, Math.ceil(en.n / W), LINE + nt * TRKH + 6, function (r) { return seqRow(en, r); });
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
doc.addEventListener("mousemove", function (ev) {
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
  tip.appendChild(tb); tip.hidden = false;
  tip.style.left = Math.min(ev.clientX + 14, innerWidth - tip.offsetWidth - 4) + "px";
  tip.style.top = Math.min(ev.clientY + 14, innerHeight - tip.offsetHeight - 4) + "px";
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
</script>
)JS";

void PutRuns(Output& out, const std::vector<ColourRun>& runs) {
  bool first = true;
  for (const ColourRun& run : runs) {
    if (!first) out.Put(' ');
    first = false;
    out.PutInt(run.count);
    out.Write("c ");
    PutHex(out, run.rgb);
  }
}

void PutIndex(Output& out, std::string_view key, int column) {
  out.Write(key);
  out.PutInt(column - 1);
}

}  // namespace

void PutHex(Output& out, Rgb rgb) {
  static const char kHex[] = "0123456789abcdef";
  for (int shift = 20; shift >= 0; shift -= 4) out.Put(kHex[(rgb >> shift) & 15]);
}

void PageWriter::Begin(const Header& header) {
  out_.Write(kHead);
  out_.Write("<title>");
  PutMarkup(out_, options_.source);
  out_.Write(" \xe2\x80\x94 colshow</title>\n");
  out_.Write(kStyle);
  out_.Write("<script>var CS={w:");
  out_.PutInt(options_.width);
  out_.Write(options_.align ? ",align:true,e:[]};</script>\n" : ",align:false,e:[]};</script>\n");
  out_.Write("</head>\n<body>\n<div id=\"bar\"><h1>");
  PutMarkup(out_, options_.source);
  out_.Write(
      "</h1><form id=\"go\"><label>Go to <select id=\"go-entry\"></select></label> <label>position "
      "<input id=\"go-pos\" type=\"number\" step=\"1\"></label> <button>Go</button> <span id=\"go-msg\"></span></form>"
      "</div>\n<main>\n");
  // The free header lines: the file's own notes and the history of the
  // programs that made it. The separator line is not shown.
  if (header.ntext() > 1) {
    out_.Write("<pre class=\"hist\">");
    for (int k = 0; k + 1 < header.ntext(); ++k) PutMarkup(out_, header.text[k]);
    out_.Write("</pre>\n");
  }
  out_.Write(kLegend);
}

void PageWriter::PutEntryText(const Entry& e) {
  out_.Write("<details><summary>entry text</summary><pre>");
  for (const std::string& line : e.text) PutMarkup(out_, line);
  out_.Write("</pre></details>\n");
}

void PageWriter::AddEntry(const Entry& e, const EntryView& v, int entryno) {
  ++entries_;
  out_.Write("<section class=\"entry\" id=\"entry-");
  out_.PutInt(entryno);
  out_.Write("\">\n<h2>");
  if (v.has_name) {
    PutMarkup(out_, v.name);
  } else {
    out_.Write("entry ");
    out_.PutInt(entryno);
  }
  out_.Write("</h2>\n<p class=\"meta\">");
  struct Item {
    const char* key;
    const std::string& value;
  };
  for (const Item& item : {Item{"ACCESSION", v.accession}, Item{"LENGTH", v.length}, Item{"STRAND", v.strand},
                           Item{"TYPE", v.type}}) {
    if (item.value.empty()) continue;
    out_.Write(item.key);
    out_.Put(' ');
    PutMarkup(out_, item.value);
    out_.Write(" \xc2\xb7 ");
  }
  out_.PutInt(v.count);
  out_.Write(v.count == 1 ? " residue shown</p>\n" : " residues shown</p>\n");
  PutEntryText(e);
  out_.Write("<div class=\"view\"></div>\n");
  PutData(v, entryno);
  out_.Write("</section>\n");
}

void PageWriter::PutData(const EntryView& v, int entryno) {
  out_.Write("<script>CS.e.push({id:\"entry-");
  out_.PutInt(entryno);
  out_.Write("\",name:\"");
  if (v.has_name) {
    PutScriptString(out_, v.name);
  } else {
    out_.Write("entry ");
    out_.PutInt(entryno);
  }
  out_.Write("\",n:");
  out_.PutInt(v.count);
  PutIndex(out_, ",res:", v.residue_col);
  PutIndex(out_, ",pos:", v.seqpos_col);
  PutIndex(out_, ",ali:", v.alignpos_col);
  out_.Write(",trk:[");
  for (int t = 0; t < kTracks; ++t) PutIndex(out_, t ? "," : "", v.track_col[t]);
  out_.Write("],\nlab:[");
  for (std::size_t k = 0; k < v.labels.size(); ++k) {
    out_.Write(k ? ",\"" : "\"");
    PutScriptString(out_, v.labels[k]);
    out_.Put('"');
  }
  out_.Write("],\ns:\"");
  PutScriptString(out_, v.residues);
  out_.Write("\",\nc:[");
  for (std::size_t k = 0; k < v.columns.size(); ++k) {
    out_.Write(k ? ",\n\"" : "\"");
    PutScriptString(out_, v.columns[k].Text());
    out_.Put('"');
  }
  out_.Write("]");
  if (v.coloured) {
    out_.Write(",\nbg:\"");
    PutRuns(out_, v.background);
    out_.Put('"');
  }
  if (v.fg_coloured) {
    out_.Write(",\nfg:\"");
    PutRuns(out_, v.foreground);
    out_.Put('"');
  }
  out_.Write("});</script>\n");
}

void PageWriter::End() {
  if (entries_ == 0) out_.Write("<p class=\"none\">The file holds no entries to show.</p>\n");
  out_.Write("</main>\n");
  out_.Write(kScript);
  out_.Write("</body>\n</html>\n");
}
