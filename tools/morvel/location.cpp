#include "location.h"

#include <climits>
#include <optional>

#include "scan.h"

namespace morvel {

LocPtr MakeLoc() { return std::make_unique<Loc>(); }

Range InitRange(int start, int end, int comp) { return Range{start, end, comp}; }

void FreeLoc(LocPtr& loc) { loc.reset(); }

LocPtr ReadLoc(std::string_view text) {
  LocPtr loc = MakeLoc();
  std::size_t cursor = 0;
  if (rec_RL(*loc, text, cursor, 0) != 0 || cursor != text.size()) return nullptr;
  return loc;
}

namespace {

// Reads a decimal number at `at` the way "%d" does (leading white space and
// a sign allowed) and moves `at` behind it. Positions are never negative and
// must fit in an int; anything else is not a number here.
std::optional<int> ReadNumber(std::string_view text, std::size_t& at) {
  col::ScannedInt n = col::ScanInt(text.substr(at));
  if (!n.fits || n.value < 0) return std::nullopt;
  at += n.used;
  return n.value;
}

bool ReadChar(std::string_view text, std::size_t& at, char c) {
  if (at >= text.size() || text[at] != c) return false;
  ++at;
  return true;
}

// One part of an element: "(a.b)", "a", "<a" or ">a", consuming the whole
// part. `first` is a or the number left of the dot, `second` b.
struct Part {
  char mark = 0;  // '(' , '<', '>' or 0 for a plain number
  int first = 0;
  int second = 0;
};

std::optional<Part> ReadPart(std::string_view part) {
  Part p;
  std::size_t at = 0;
  if (!part.empty() && (part[0] == '(' || part[0] == '<' || part[0] == '>')) p.mark = part[at++];
  auto first = ReadNumber(part, at);
  if (!first) return std::nullopt;
  p.first = *first;
  if (p.mark == '(') {
    if (!ReadChar(part, at, '.')) return std::nullopt;
    auto second = ReadNumber(part, at);
    if (!second || !ReadChar(part, at, ')')) return std::nullopt;
    p.second = *second;
  }
  if (at != part.size()) return std::nullopt;
  return p;
}

// An element without "..": "(a.b)", "a", "<a" or ">a".
bool AddPoint(Loc& loc, std::string_view element, int comp) {
  auto p = ReadPart(element);
  if (!p) return false;
  switch (p->mark) {
    case '(':
      loc.uncertain.push_back(InitRange(p->first, p->first, comp));
      loc.uncertain.push_back(InitRange(p->second, p->second, comp));
      break;
    case '<': loc.certain.push_back(InitRange(kOpenStart, p->first, comp)); break;
    case '>': loc.certain.push_back(InitRange(p->first, kOpenEnd, comp)); break;
    default: loc.certain.push_back(InitRange(p->first, p->first, comp)); break;
  }
  return true;
}

// An element "from..to"; from is "(a.b)", "a" or "<a", to is "(c.d)", "c" or
// ">c". Nothing is added unless both parts fit.
bool AddSpan(Loc& loc, std::string_view from, std::string_view to, int comp) {
  auto f = ReadPart(from);
  auto t = ReadPart(to);
  if (!f || f->mark == '>' || !t || t->mark == '<') return false;
  // The uncertain tail begins behind c, which must itself be a position.
  if (t->mark != 0 && t->first == INT_MAX) return false;
  int start = f->mark == '(' ? f->second : f->first;
  if (f->mark == '(') loc.uncertain.push_back(InitRange(f->first, f->second - 1, comp));
  if (f->mark == '<') loc.uncertain.push_back(InitRange(kOpenStart, f->first - 1, comp));
  loc.certain.push_back(InitRange(start, t->first, comp));
  if (t->mark == '(') loc.uncertain.push_back(InitRange(t->first + 1, t->second, comp));
  if (t->mark == '>') loc.uncertain.push_back(InitRange(t->first + 1, kOpenEnd, comp));
  return true;
}

// The run of a single element: up to the first ",", the end of the text, or
// a ")" that closes more parentheses than the run has opened.
std::size_t ElementEnd(std::string_view text, std::size_t at) {
  int open = 0;
  for (; at < text.size(); ++at) {
    char c = text[at];
    if (c == ',' || (c == ')' && open == 0)) break;
    if (c == '(') ++open;
    if (c == ')') --open;
  }
  return at;
}

int ReadSingle(Loc& loc, std::string_view text, std::size_t& cursor, int comp) {
  std::size_t end = ElementEnd(text, cursor);
  std::string_view element = text.substr(cursor, end - cursor);
  bool ok;
  if (!element.empty() && element[0] >= 'A' && element[0] <= 'Z') {
    ok = true;  // a part of another record: it adds nothing here
  } else if (std::size_t dots = element.find(".."); dots == std::string_view::npos) {
    ok = AddPoint(loc, element, comp);
  } else {
    ok = AddSpan(loc, element.substr(0, dots), element.substr(dots + 2), comp);
  }
  if (!ok) return 1;
  cursor = end;
  return 0;
}

// "join(" or "order(" on the given strand: the elements in text order. A
// failed element stops the join at its "," or ")" test, except an empty one.
int ReadJoin(Loc& loc, std::string_view text, std::size_t& cursor, int depth) {
  rec_RL(loc, text, cursor, 0, depth);
  while (cursor < text.size() && text[cursor] == ',') {
    ++cursor;
    rec_RL(loc, text, cursor, 0, depth);
  }
  return ReadChar(text, cursor, ')') ? 0 : 1;
}

// "join(" or "order(" inside a complement: the elements last first, so the
// ranges follow the complement strand's reading direction. The elements are
// found between "(" or "," and the first ")", so they must be flat; one that
// does not parse is skipped.
int ReadComplementJoin(Loc& loc, std::string_view text, std::size_t& cursor, int depth) {
  std::size_t close = text.find(')', cursor);
  if (close == std::string_view::npos) return 1;
  std::size_t sep = close;
  do {
    do --sep;
    while (text[sep] != '(' && text[sep] != ',');
    std::size_t element = sep + 1;
    rec_RL(loc, text, element, 1, depth);
  } while (text[sep] == ',');
  cursor = close + 1;
  return 0;
}

}  // namespace

int rec_RL(Loc& loc, std::string_view text, std::size_t& cursor, int comp, int depth) {
  static constexpr std::string_view kComplement = "complement(";
  std::size_t word = col::StartsWith(text, "join(", cursor)    ? 5
                     : col::StartsWith(text, "order(", cursor) ? 6
                                                          : 0;
  bool complement = col::StartsWith(text, kComplement, cursor);
  if ((complement || word) && depth >= kMaxLocDepth) return 1;
  if (complement) {
    std::size_t at = cursor + kComplement.size();
    rec_RL(loc, text, at, 1 - comp, depth + 1);
    if (!ReadChar(text, at, ')')) return 1;
    cursor = at;
    return 0;
  }
  if (word) {
    std::size_t at = cursor + word;
    int failed = comp == 0 ? ReadJoin(loc, text, at, depth + 1)
                           : ReadComplementJoin(loc, text, at, depth + 1);
    if (failed) return 1;
    cursor = at;
    return 0;
  }
  return ReadSingle(loc, text, cursor, comp);
}

namespace {

void PrintRange(std::string& out, const Range& r) {
  if (r.comp == 1) out += " Comp:";
  if (r.start == kOpenStart) {
    out += " START-";
  } else {
    out += ' ';
    out += std::to_string(r.start);
    out += '-';
  }
  out += r.end == kOpenEnd ? "END" : std::to_string(r.end);
  out += '\n';
}

// The code of the first range of `ranges` that `fits`: 1 or -1 by strand,
// times `weight`; 0 when none fits.
template <class Fits>
int FirstMatch(const std::vector<Range>& ranges, int weight, Fits fits) {
  for (const Range& r : ranges)
    if (fits(r)) return r.comp == 1 ? -weight : weight;
  return 0;
}

template <class Fits>
int Where(const Loc* loc, Fits fits) {
  if (!loc) return 0;
  if (int code = FirstMatch(loc->certain, 1, fits)) return code;
  return FirstMatch(loc->uncertain, 2, fits);
}

int Low(const Range& r) { return r.start == kOpenStart ? 1 : r.start; }

}  // namespace

std::string PrintLoc(const Loc* loc) {
  std::string out;
  if (!loc) return out;
  out += "Certain:\n";
  for (const Range& r : loc->certain) PrintRange(out, r);
  out += "Uncertain:\n";
  for (const Range& r : loc->uncertain) PrintRange(out, r);
  return out;
}

int InLoc(const Loc* loc, int p) {
  return Where(loc, [p](const Range& r) {
    int hi = r.end == kOpenEnd ? p : r.end;
    return Low(r) <= p && p <= hi;
  });
}

int InLocRange(const Loc* loc, int from, int to) {
  return Where(loc, [from, to](const Range& r) {
    int hi = r.end == kOpenEnd ? to : r.end;
    return Low(r) <= to && from <= hi;
  });
}

}  // namespace morvel
