#include "codon_effects.h"

#include <algorithm>
#include <climits>

#include "dna.h"
#include "output.h"
#include "protein.h"

namespace morvel {

namespace {

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

const char* EffectName(Effect e) {
  switch (e) {
    case Effect::synonymous: return "synonymous";
    case Effect::missense: return "missense";
    case Effect::stop_lost: return "stop_lost";
    case Effect::stop_gained: return "stop_gained";
    case Effect::start_lost: return "start_lost";
    case Effect::frameshift: return "frameshift";
    case Effect::inframe_indel: return "inframe_indel";
    case Effect::complex: break;
  }
  return "complex";
}

void AppendGbcsqEffect(const CodingEffect& e, std::string& value) {
  value += EffectName(e.effect);
  value += '|';
  if (e.first_codon < 0) {
    value += '|';
    return;
  }
  value += e.ref_codons;
  value += '>';
  value += e.alt_codons;
  value += '|';
  value += e.ref_amino;
  char number[24];
  value.append(number, col::FormatInt(number, e.first_codon + 1, 0));
  value += e.alt_amino;
}

void CodingChange(std::string_view residues, const IndexedFeature& f, const std::vector<BaseChange>& changes,
                  CodingEffect& out) {
  out = CodingEffect();
  int first = INT_MAX, last = -1;
  for (const BaseChange& c : changes) {
    int index = CdsIndex(f, c.pos);
    int codon = index < 0 ? -1 : CodonOf(f, index);
    if (codon < 0) return;  // a change outside the CDS or outside its complete codons: complex
    first = std::min(first, codon);
    last = std::max(last, codon);
  }
  std::string& ref = out.ref_codons;
  std::string& alt = out.alt_codons;
  std::string& ref_amino = out.ref_amino;
  std::string& alt_amino = out.alt_amino;
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
  out.effect = effect;
  out.first_codon = first;
}

SharedEnds SharedEndsOf(std::string_view ref, std::string_view alt) {
  SharedEnds e;
  std::size_t& pre = e.prefix;
  while (pre < ref.size() && pre < alt.size() && UpperCase(ref[pre]) == UpperCase(alt[pre])) ++pre;
  std::size_t& suf = e.suffix;
  while (suf < ref.size() - pre && suf < alt.size() - pre &&
         UpperCase(ref[ref.size() - 1 - suf]) == UpperCase(alt[alt.size() - 1 - suf]))
    ++suf;
  return e;
}

void IndelChange(const IndexedFeature& f, int pos, std::string_view ref, std::string_view alt, CodingEffect& out) {
  out = CodingEffect();
  auto [pre, suf] = SharedEndsOf(ref, alt);
  long long deleted = static_cast<long long>(ref.size() - pre - suf);
  long long inserted = static_cast<long long>(alt.size() - pre - suf);
  long long from = pos + static_cast<long long>(pre);  // first deleted base, or the base after an insertion
  bool inside = deleted > 0 ? from + deleted - 1 <= INT_MAX &&
                                  Contiguous(f, static_cast<int>(from), static_cast<int>(from + deleted - 1))
                            : from - 1 >= 1 && from <= INT_MAX &&
                                  Contiguous(f, static_cast<int>(from - 1), static_cast<int>(from));
  if (inside) out.effect = (inserted - deleted) % 3 != 0 ? Effect::frameshift : Effect::inframe_indel;
}

}  // namespace morvel
