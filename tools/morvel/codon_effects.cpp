#include "codon_effects.h"

#include <algorithm>
#include <climits>

#include "dna.h"
#include "output.h"
#include "protein.h"

namespace morvel {

namespace {

enum class Effect { synonymous, missense, stop_lost, stop_gained, start_lost, complex };

const char* EffectName(Effect e) {
  switch (e) {
    case Effect::synonymous: return "synonymous";
    case Effect::missense: return "missense";
    case Effect::stop_lost: return "stop_lost";
    case Effect::stop_gained: return "stop_gained";
    case Effect::start_lost: return "start_lost";
    case Effect::complex: break;
  }
  return "complex";
}

// Whether record positions a..b lie along the CDS without a gap, in either
// reading direction.
bool Contiguous(const IndexedFeature& f, int a, int b) {
  int prev = CdsIndex(f, a);
  if (prev < 0) return false;
  for (int p = a + 1; p <= b; ++p) {
    int index = CdsIndex(f, p);
    if (index < 0 || (index != prev + 1 && index != prev - 1)) return false;
    prev = index;
  }
  return true;
}

}  // namespace

void CodingChange(std::string_view residues, const IndexedFeature& f, const std::vector<BaseChange>& changes,
                  std::string& value) {
  int first = INT_MAX, last = -1;
  for (const BaseChange& c : changes) {
    int index = CdsIndex(f, c.pos);
    int codon = index < 0 ? -1 : CodonOf(f, index);
    if (codon < 0) {
      value += "complex||";  // a change outside the CDS or outside its complete codons
      return;
    }
    first = std::min(first, codon);
    last = std::max(last, codon);
  }
  std::string ref, alt, ref_amino, alt_amino;
  Effect effect = Effect::synonymous;
  for (int codon = first; codon <= last; ++codon) {
    char r[3], a[3];
    for (int j = 0; j < 3; ++j) {
      bool comp;
      int pos = CdsPos(f, f.codon_start - 1 + 3 * codon + j, comp);
      auto strand = [comp](char c) { return comp ? static_cast<char>(DNAcomplement(c)) : c; };
      r[j] = a[j] = LowerCase(strand(residues[pos - 1]));
      auto c = std::lower_bound(changes.begin(), changes.end(), pos,
                                [](const BaseChange& change, int p) { return change.pos < p; });
      if (c != changes.end() && c->pos == pos) {
        r[j] = UpperCase(r[j]);
        a[j] = UpperCase(strand(c->base));
      }
    }
    ref.append(r, 3);
    alt.append(a, 3);
    char ra = TranslateCodon(*f.code, r[0], r[1], r[2]);
    char aa = TranslateCodon(*f.code, a[0], a[1], a[2]);
    Effect e = ra == aa ? Effect::synonymous : Effect::missense;
    if (codon == 0 && f.codon_start == 1 && !f.partial5 && IsStartCodon(*f.code, r[0], r[1], r[2])) {
      ra = 'M';  // an alternative start codon reads as methionine
      aa = IsStartCodon(*f.code, a[0], a[1], a[2]) ? 'M' : '?';
      e = aa == 'M' ? Effect::synonymous : Effect::start_lost;
    } else if (ra != '*' && aa == '*') {
      e = Effect::stop_gained;
    } else if (ra == '*' && aa != '*') {
      e = Effect::stop_lost;
    }
    if (ra == 'X' || aa == 'X') e = Effect::complex;
    effect = std::max(effect, e);
    ref_amino += ra;
    alt_amino += aa;
  }
  value += EffectName(effect);
  value += '|';
  value += ref;
  value += '>';
  value += alt;
  value += '|';
  value += ref_amino;
  char number[24];
  value.append(number, col::FormatInt(number, first + 1, 0));
  value += alt_amino;
}

void IndelChange(const IndexedFeature& f, int pos, std::string_view ref, std::string_view alt, std::string& value) {
  std::size_t pre = 0;
  while (pre < ref.size() && pre < alt.size() && UpperCase(ref[pre]) == UpperCase(alt[pre])) ++pre;
  std::size_t suf = 0;
  while (suf < ref.size() - pre && suf < alt.size() - pre &&
         UpperCase(ref[ref.size() - 1 - suf]) == UpperCase(alt[alt.size() - 1 - suf]))
    ++suf;
  long long deleted = static_cast<long long>(ref.size() - pre - suf);
  long long inserted = static_cast<long long>(alt.size() - pre - suf);
  long long from = pos + static_cast<long long>(pre);  // first deleted base, or the base after an insertion
  bool inside = deleted > 0 ? from + deleted - 1 <= INT_MAX &&
                                  Contiguous(f, static_cast<int>(from), static_cast<int>(from + deleted - 1))
                            : from - 1 >= 1 && from <= INT_MAX &&
                                  Contiguous(f, static_cast<int>(from - 1), static_cast<int>(from));
  if (!inside) {
    value += "complex||";
  } else {
    value += (inserted - deleted) % 3 != 0 ? "frameshift||" : "inframe_indel||";
  }
}

}  // namespace morvel
