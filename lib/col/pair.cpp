// Base-pair lookup: from a pair column to the partner's line and back.
#include <algorithm>
#include <string>

#include "col.h"
#include "internal/col_detail.h"

namespace col {

namespace {

// The value of field `column` of line n; false when the field is empty
// (begins with ".") or missing.
bool ReadPosition(const Entry& e, int n, int column, int& value) {
  std::string_view field;
  if (GetField(field, e, n, column) != 0 || field.empty() || field[0] == '.') return false;
  value = ParseInt(field);
  return true;
}

// The order of the non-empty positions down the lines.
struct Order {
  bool increasing = true;
  bool Before(int v, int p) const { return increasing ? v < p : v > p; }
  bool After(int v, int p) const { return increasing ? v > p : v < p; }
};

Order FindOrder(const Entry& e, int column) {
  Order order;
  int line = 1;
  int p1 = FindPairNextLine(e, &line, column);
  if (p1 != 0) {
    ++line;
    int p2 = FindPairNextLine(e, &line, column);
    if (p2 != 0) order.increasing = p1 < p2;
  }
  return order;
}

// The line between lo and hi whose position is v, where v lies strictly
// between their positions; 0 when there is none.
int Search(const Entry& e, int column, Order order, int v, int lo, int hi) {
  while (hi - lo > 1) {
    int m = lo + (hi - lo) / 2;
    int p = FindPairPrevLine(e, &m, column);
    if (order.Before(v, p)) {
      hi = m;
      continue;
    }
    if (v == p) return m;
    m = lo + (hi - lo) / 2;
    p = FindPairNextLine(e, &m, column);
    if (order.After(v, p)) {
      lo = m;
      continue;
    }
    if (v == p) return m;
    return 0;
  }
  return 0;
}

}  // namespace

// The walks skip the lines that do not exist: a start before line 1 (after
// the last line) walks from the first (last) line, and an unsuccessful walk
// ends one past the entry's end wherever it started.
int FindPairNextLine(const Entry& e, int* line, int poscol) {
  int value;
  for (*line = std::max(*line, 1); *line <= e.length(); ++*line)
    if (ReadPosition(e, *line, poscol, value)) return value;
  *line = e.length() + 1;
  return 0;
}

int FindPairPrevLine(const Entry& e, int* line, int poscol) {
  int value;
  for (*line = std::min(*line, e.length()); *line >= 1; --*line)
    if (ReadPosition(e, *line, poscol, value)) return value;
  *line = 0;
  return 0;
}

int FindPair(const Entry& e, int n, int pair1, int pos1, int pair2, int pos2) {
  int pair = pair1 != 0 ? pair1 : pair2;
  int column = pair1 != 0 ? pos1 : pos2;
  int v;
  if (!ReadPosition(e, n, pair, v) || v <= 0) return 0;

  // Positions that equal line numbers need no search.
  int p;
  if (v <= e.length() && ReadPosition(e, v, column, p) && p == v) return v;

  Order order = FindOrder(e, column);
  int lo = 1;
  p = FindPairNextLine(e, &lo, column);
  if (p == 0 || order.Before(v, p)) return 0;
  if (v == p) return lo;
  int hi = e.length();
  p = FindPairPrevLine(e, &hi, column);
  if (order.After(v, p)) return 0;
  if (v == p) return hi;
  return Search(e, column, order, v, lo, hi);
}

void SetPair(Entry& e, int n, int partner, int pair1, int pos1, int pair2, int pos2) {
  if (partner == 0) {
    if (pair1 != 0) ChgFieldText(e, n, pair1, ".");
    if (pair2 != 0) ChgFieldText(e, n, pair2, ".");
    return;
  }
  std::string position;
  if (pair1 != 0 && pos1 != 0 && GetField(position, e, partner, pos1) == 0)
    ChgFieldText(e, n, pair1, position);
  if (pair2 != 0 && pos2 != 0 && GetField(position, e, partner, pos2) == 0)
    ChgFieldText(e, n, pair2, position);
}

}  // namespace col
