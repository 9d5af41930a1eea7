#include "view.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <cmath>

#include "scan.h"

using namespace col;

namespace colshow {

namespace {

// "0", or an optional "-" and up to 15 digits without a leading zero: the
// integers that a counting run holds, and that a page's script (which counts
// in doubles) reproduces exactly.
bool IsCountable(std::string_view s) {
  std::size_t i = s.starts_with('-') ? 1 : 0;
  std::size_t digits = s.size() - i;
  if (digits == 0 || digits > 15) return false;
  if (s[i] == '0') return s == "0";
  return std::all_of(s.begin() + i, s.end(), IsDigit);
}

long long ToInteger(std::string_view s) {
  long long v = 0;
  std::from_chars(s.data(), s.data() + s.size(), v);
  return v;
}

void AppendInteger(std::string& text, long long v) {
  char buf[24];
  text.append(buf, FormatInt(buf, v, 0));
}

// Counts the decimal text of a positive number up or down by one in place:
// false (text unchanged) when the number of digits would change.
bool StepText(char* text, std::size_t size, long long step) {
  char up = step > 0 ? '9' : '0';
  std::size_t i = size;
  while (i > 0 && text[i - 1] == up) --i;
  if (i == 0 || (step < 0 && i == 1 && text[0] == '1' && size > 1)) return false;
  text[i - 1] = static_cast<char>(text[i - 1] + step);
  for (std::size_t k = i; k < size; ++k) text[k] = step > 0 ? '0' : '9';
  return true;
}

bool StepText(std::string& text, long long step) { return StepText(text.data(), text.size(), step); }

// Equality of two short texts (fields are a few characters) without a call.
inline bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

bool SameSizes(const std::vector<std::string>& values, std::size_t size) {
  return std::all_of(values.begin(), values.end(), [&](const std::string& v) { return v.size() == size; });
}

// Lines up to this long keep their layout for the next line.
constexpr std::size_t kLayoutBytes = 255;

}  // namespace

// ---------------------------------------------------------------------------
// Column runs

void ColumnRuns::Add(std::string_view field) {
  if (Extend(field)) return;
  Close();
  Open(field);
}

// Takes the field into the open run when it continues it. A run that has
// seen a single period of its values may still grow into a longer period
// (the codon positions 1 2 3) or into a count (the sequence positions).
bool ColumnRuns::Extend(std::string_view field) {
  if (kind_ == 'c' || kind_ == 'p') {
    if (SameText(field, values_[phase_])) {
      ++count_;
      if (++phase_ == static_cast<int>(values_.size())) phase_ = 0;
      return true;
    }
    if (count_ != static_cast<long long>(values_.size())) return false;
    if (values_.size() == 1 && IsCountable(values_[0]) && IsCountable(field)) {
      long long a = ToInteger(values_[0]), b = ToInteger(field);
      if (b - a == 1 || b - a == -1) {
        kind_ = 'i';
        start_ = a;
        step_ = b - a;
        count_ = 2;
        next_.clear();
        AppendInteger(next_, b + step_);
        return true;
      }
    }
    if (values_.size() == 3) return false;
    values_.emplace_back(field);
    kind_ = 'p';
    ++count_;
    phase_ = 0;
    return true;
  }
  if (kind_ == 'i') {
    if (SameText(field, next_)) {
      Continue(1);
      return true;
    }
    if (count_ > 3) return false;
    // A short count is a period: 1 2 3 followed by 1.
    values_.clear();
    for (long long k = 0; k < count_; ++k) {
      values_.emplace_back();
      AppendInteger(values_.back(), start_ + k * step_);
    }
    kind_ = 'p';
    phase_ = 0;
    return Extend(field);
  }
  return false;
}

void ColumnRuns::Continue(long long n) {
  count_ += n;
  if (kind_ == 'p') {
    phase_ = static_cast<int>((phase_ + n) % static_cast<long long>(values_.size()));
  } else if (kind_ == 'i') {
    long long next = start_ + count_ * step_;
    if (!(n == 1 && next > 0 && StepText(next_, step_))) {
      next_.clear();
      AppendInteger(next_, next);
    }
  }
}

std::string_view ColumnRuns::Next() const {
  if (kind_ == 'c' || kind_ == 'p') return values_[phase_];
  if (kind_ == 'i') return next_;
  return {};
}

void ColumnRuns::Open(std::string_view field) {
  kind_ = 'c';
  values_.resize(1);
  values_[0].assign(field);
  count_ = 1;
  phase_ = 0;
}

void ColumnRuns::AddResidue() {
  if (kind_ == 'r') {
    ++count_;
    return;
  }
  Close();
  kind_ = 'r';
  count_ = 1;
}

void ColumnRuns::AddMissing(long long n) {
  if (n <= 0) return;
  if (kind_ == 'm') {
    count_ += n;
    return;
  }
  Close();
  kind_ = 'm';
  count_ = n;
}

void ColumnRuns::Close() {
  if (kind_ == 0) return;
  if (!text_.empty()) text_ += ' ';
  AppendInteger(text_, count_);
  text_ += kind_;
  if (kind_ == 'i') {
    text_ += ' ';
    AppendInteger(text_, start_);
    text_ += ' ';
    AppendInteger(text_, step_);
  } else if (kind_ == 'c' || kind_ == 'p') {
    if (kind_ == 'p') AppendInteger(text_, static_cast<long long>(values_.size()));
    for (const std::string& v : values_) {
      text_ += ' ';
      text_ += v;
    }
  }
  kind_ = 0;
}

void ColumnRuns::Finish() { Close(); }

// "<count><kind>" or "<count>p<period>".
bool ReadRunHead(std::string_view word, long long& count, char& kind, long long& period) {
  std::size_t k = word.find_first_of("cipmr");
  if (k == std::string_view::npos || !ReadDecimal(word.substr(0, k), INT64_MAX / 4, count)) return false;
  kind = word[k];
  if (kind == 'p') return ReadDecimal(word.substr(k + 1), 3, period) && period >= 2;
  return k + 1 == word.size();
}

std::string FirstCharacters(std::string_view runs, std::string_view residues, long long count) {
  std::string out;
  out.reserve(static_cast<std::size_t>(count));
  auto limit = [&](long long n) { return std::min(n, count - static_cast<long long>(out.size())); };
  ForEachRun(runs, [&](long long n, char kind, const std::vector<std::string_view>& v) {
    n = limit(n);
    if (kind == 'c' || kind == 'p') {
      for (long long k = 0; k < n; ++k) {
        std::string_view value = v[static_cast<std::size_t>(k % static_cast<long long>(v.size()))];
        out += value.empty() ? ' ' : value[0];
      }
    } else if (kind == 'i') {
      long long a = ToInteger(v[0]), d = ToInteger(v[1]);
      for (long long k = 0; k < n; ++k) out += std::to_string(a + k * d)[0];
    } else if (kind == 'r') {
      std::size_t at = out.size();
      out.append(residues.substr(std::min(at, residues.size()), static_cast<std::size_t>(n)));
    } else {
      out.append(static_cast<std::size_t>(n), ' ');
    }
  });
  out.resize(static_cast<std::size_t>(count), ' ');
  return out;
}

// ---------------------------------------------------------------------------
// Colours and tracks

const char* const kTrackLabels[kTracks] = {"intron/exon", "codonpos", "strand"};

int ColourByte(std::string_view field, int fallback) {
  double v = 0;
  auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), v);
  if (ec != std::errc() || end == field.data() || std::isnan(v)) return fallback;
  v = std::clamp(v, 0.0, 1.0);
  return static_cast<int>(std::lround(v * 255));
}

// ---------------------------------------------------------------------------
// Entries

namespace {

std::string TextValue(const Entry& e, std::string_view key, bool* found = nullptr) {
  std::string value;
  bool ok = ReadText(e, key, 1000, value) == 0;
  if (found) *found = ok;
  while (!value.empty() && (value.back() == '\n' || value.back() == '\r')) value.pop_back();
  return value;
}

int FirstColumn(const Entry& e, std::initializer_list<std::string_view> labels) {
  for (std::string_view label : labels) {
    if (int k = ReadColno(e, label)) return k;
  }
  return 0;
}

}  // namespace

void EntryView::SetUpColour(Colour& c, const char* const labels[3], Rgb fallback, std::vector<ColourRun>& runs) {
  c = Colour();
  c.fallback = fallback;
  c.runs = &runs;
  for (int k = 0; k < 3; ++k) {
    c.cols[k] = ReadColnoND(*entry_, labels[k]);
    // A column beyond the 64 whose changes are tracked is always looked at.
    c.fields |= c.cols[k] > 64 ? ~std::uint64_t{0} : c.cols[k] > 0 ? std::uint64_t{1} << (c.cols[k] - 1) : 0;
  }
}

void EntryView::Start(const Entry& e, bool detail, bool predict) {
  entry_ = &e;
  detail_ = detail;
  predict_ = predict && !detail;
  predicted_.clear();
  name = TextValue(e, "ENTRY", &has_name);
  accession = TextValue(e, "ACCESSION");
  length = TextValue(e, "LENGTH");
  strand = TextValue(e, "STRAND");
  type = TextValue(e, "TYPE");
  minus = StrCmp(strand, "Minus") == 0;
  feature_lines = ReadFeatureLines(e.text);
  lane = FeatureLane();
  labels.clear();
  columns.clear();
  residues.clear();
  background.clear();
  foreground.clear();
  positions.clear();
  alignpos.clear();
  for (std::string& t : tracks) t.clear();
  count = 0;
  previous_ = {};
  spans_.clear();
  synced_.clear();
  constant_ = 0;
  dirty_ = unadded_ = ~std::uint64_t{0};

  residue_col = FirstColumn(e, {"residue", "nucleotide", "aminoacid", "code"});
  seqpos_col = ReadColno(e, "seqpos");
  alignpos_col = ReadColnoND(e, "alignpos");
  for (int t = 0; t < kTracks; ++t) track_col[t] = ReadColnoND(e, kTrackLabels[t]);
  static const char* const kBackground[3] = {"color_r", "color_g", "color_b"};
  static const char* const kForeground[3] = {"color2_r", "color2_g", "color2_b"};
  SetUpColour(bg_, kBackground, kWhite, background);
  SetUpColour(fg_, kForeground, kBlack, foreground);
  coloured = bg_.cols[0] || bg_.cols[1] || bg_.cols[2];
  fg_coloured = fg_.cols[0] || fg_.cols[1] || fg_.cols[2];
}

void EntryView::Split(std::string_view line) {
  spans_.clear();
  // The fields in batches of kBatch, each batch from the end of the last.
  constexpr int kBatch = 64;
  col::Span found[kBatch];
  for (std::size_t at = 0;;) {
    int n = SplitFields(line.substr(at), Separators::kSpace, found, kBatch);
    for (int k = 0; k < n; ++k) {
      auto start = static_cast<std::uint32_t>(found[k].data - line.data());
      spans_.push_back({start, static_cast<std::uint32_t>(found[k].size)});
    }
    if (n < kBatch) break;
    at = static_cast<std::size_t>(found[n - 1].data + found[n - 1].size - line.data());
  }
  dirty_ = ~std::uint64_t{0};
  // The layout of a short line, for the lines after it.
  previous_ = {};
  if (line.size() > kLayoutBytes || spans_.size() > 64) return;
  previous_ = line;
  field_at_.assign(line.size(), 0);
  for (std::size_t k = 0; k < spans_.size(); ++k) {
    std::fill_n(field_at_.begin() + spans_[k].start, spans_[k].size, static_cast<std::uint8_t>(k));
  }
}

// True when the line has the previous line's length and white space where it
// had it: then the fields are where they were, and `dirty_` marks those whose
// bytes changed. Compared a word at a time.
bool EntryView::SameLayout(std::string_view line) {
  std::size_t n = line.size();
  if (n != previous_.size() || n == 0) return false;
  const char* a = previous_.data();
  const char* b = line.data();
  std::uint64_t dirty = 0;
  auto differs = [&](std::size_t i) {
    if (IsSpace(a[i]) || IsSpace(b[i])) return false;
    dirty |= std::uint64_t{1} << field_at_[i];
    return true;
  };
  std::size_t i = 0;
  if constexpr (std::endian::native == std::endian::little) {
    for (; i + 8 <= n; i += 8) {
      std::uint64_t x, y;
      std::memcpy(&x, a + i, 8);
      std::memcpy(&y, b + i, 8);
      for (std::uint64_t d = x ^ y; d != 0;) {
        unsigned byte = static_cast<unsigned>(std::countr_zero(d)) / 8;
        if (!differs(i + byte)) return false;
        d &= ~(std::uint64_t{0xff} << (byte * 8));
      }
    }
  }
  for (; i < n; ++i) {
    if (a[i] != b[i] && !differs(i)) return false;
  }
  previous_ = line;
  dirty_ = dirty;
  return true;
}

void EntryView::TakeLine(std::string_view line) {
  line_ = line;
  if (!SameLayout(line)) Split(line);
  unadded_ |= dirty_;
}

// Columns that appear first on a later line lack the field on every earlier
// one. An entry without declarations is labelled by the default layout.
void EntryView::AddColumns(std::size_t n) {
  static const char* const kDefaults[] = {"label", "nucleotide", "alignpos", "seqpos", "align_bp"};
  bool defaults = ReadColnoND(*entry_, "label") == 0 && ReadColno(*entry_, "label") == 1;
  for (std::size_t k = columns.size() + 1; k <= n; ++k) {
    std::string label;
    if (ReadCollabel(*entry_, static_cast<int>(k), label) != 0) {
      label = defaults && k <= 5 ? kDefaults[k - 1] : "column " + std::to_string(k);
    }
    labels.push_back(std::move(label));
    columns.emplace_back().AddMissing(count);
    synced_.push_back(count);
  }
}

void EntryView::AddColour(Colour& c) {
  std::vector<ColourRun>& runs = *c.runs;
  if (c.known && (dirty_ & c.fields) == 0) {
    ++runs.back().count;
    return;
  }
  std::string_view f[3];
  bool same = c.known;
  for (int k = 0; k < 3; ++k) {
    f[k] = Field(static_cast<std::size_t>(c.cols[k]));
    same = same && f[k] == c.last[k];
  }
  if (!same) {
    Rgb rgb = 0;
    for (int k = 0; k < 3; ++k) {
      int fallback = (c.fallback >> (16 - 8 * k)) & 0xff;
      int byte = f[k].empty() ? fallback : ColourByte(f[k], fallback);
      rgb = (rgb << 8) | static_cast<Rgb>(byte);
      c.last[k].assign(f[k]);
    }
    c.rgb = rgb;
    c.known = true;
  }
  if (!runs.empty() && runs.back().rgb == c.rgb) {
    ++runs.back().count;
  } else {
    runs.push_back({c.rgb, 1});
  }
}

// Brings column k up to the lines before the current one.
void EntryView::Sync(std::size_t k) {
  if (synced_[k] < count) columns[k].Continue(count - synced_[k]);
  synced_[k] = count + 1;
}

// Adds field k (0-based) of the current line, or its absence.
void EntryView::AddField(std::size_t k) {
  Sync(k);
  ColumnRuns& column = columns[k];
  if (k >= spans_.size()) {
    column.AddMissing();
  } else {
    std::string_view f = line_.substr(spans_[k].start, spans_[k].size);
    if (k + 1 != static_cast<std::size_t>(residue_col)) {
      column.Add(f);
    } else if (f.size() == 1 && f[0] > ' ' && f[0] < 0x7f) {
      residues += f[0];
      column.AddResidue();
    } else {
      residues += '?';
      column.Add(f);
    }
  }
  if (k < 64) {
    std::uint64_t bit = std::uint64_t{1} << k;
    constant_ = column.IsConstant() ? constant_ | bit : constant_ & ~bit;
  }
}

void EntryView::AddLine(long long lineno) {
  dirty_ = unadded_;
  unadded_ = 0;
  std::size_t n = spans_.size();
  if (n > columns.size()) AddColumns(n);
  std::size_t residue = static_cast<std::size_t>(residue_col);
  if (columns.size() <= 64) {
    std::uint64_t all = columns.size() == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << columns.size()) - 1;
    std::uint64_t work = (dirty_ | ~constant_) & all;
    if (residue >= 1 && residue <= n) work |= std::uint64_t{1} << (residue - 1);
    for (; work != 0; work &= work - 1) AddField(static_cast<std::size_t>(std::countr_zero(work)));
  } else {
    for (std::size_t k = 0; k < columns.size(); ++k) AddField(k);
  }
  if (residue == 0 || residue > n) residues += ' ';
  if (coloured) AddColour(bg_);
  if (fg_coloured) AddColour(fg_);
  if (detail_) {
    std::string_view pos = Field(static_cast<std::size_t>(seqpos_col));
    positions.emplace_back(pos.empty() ? std::to_string(lineno) : std::string(pos));
    alignpos.push_back(alignpos_col ? ParseInt(Field(static_cast<std::size_t>(alignpos_col))) : 0);
    for (int t = 0; t < kTracks; ++t) {
      std::string_view f = Field(static_cast<std::size_t>(track_col[t]));
      tracks[t] += f.empty() ? '.' : f[0];
    }
  }
  ++count;
  if (predict_) Predict();
}

bool EntryView::IsColourColumn(std::size_t k) const {
  for (int c = 0; c < 3; ++c) {
    if (static_cast<std::size_t>(bg_.cols[c]) == k + 1 || static_cast<std::size_t>(fg_.cols[c]) == k + 1) return true;
  }
  return false;
}

// Foresees the next line: the line just added with each field replaced by
// the value its open run expects next, the residue left open. No line is
// foreseen (predicted_ empty) where a run cannot say its next values in the
// same bytes, or where the colour would change.
void EntryView::Predict() {
  predicted_.clear();
  steps_.clear();
  std::size_t residue = static_cast<std::size_t>(residue_col);
  if (residue < 1 || residue > spans_.size() || !columns[residue - 1].IsResidues()) return;
  for (std::size_t k = 0; k < spans_.size(); ++k) {
    const ColumnRuns& column = columns[k];
    if (k + 1 == residue || column.IsConstant()) continue;
    auto [start, size] = spans_[k];
    std::string_view next = column.Next();
    // Counts step in place: below zero they go the general way. The values
    // of a period take turns in place.
    bool foreseen = next.size() == size && !IsColourColumn(k) &&
                    (column.Step() != 0 ? next[0] != '-' : SameSizes(column.Period(), size));
    if (!foreseen) return;
    steps_.push_back({start, size, k, column.Step(), static_cast<std::size_t>(column.Phase())});
  }
  predicted_.assign(line_);
  for (const Step& step : steps_) {
    std::memcpy(predicted_.data() + step.start, columns[step.column].Next().data(), step.size);
  }
  residue_at_ = spans_[residue - 1].start;
}

// The common case, in one pass: the line is the one foreseen, but for its
// residue. The columns catch up later, all lines at once (Sync).
bool EntryView::AddPredicted(std::string_view line) {
  if (line.size() != predicted_.size()) return false;
  char residue = line[residue_at_];
  if (residue <= ' ' || residue >= 0x7f) return false;
  predicted_[residue_at_] = residue;
  if (std::memcmp(line.data(), predicted_.data(), line.size()) != 0) return false;
  line_ = line;
  if (!previous_.empty()) previous_ = line;
  residues += residue;
  if (coloured) ++background.back().count;
  if (fg_coloured) ++foreground.back().count;
  ++count;
  // The line after this one.
  for (Step& step : steps_) {
    char* field = predicted_.data() + step.start;
    if (step.step == 0) {
      const std::vector<std::string>& period = columns[step.column].Period();
      step.phase = step.phase + 1 == period.size() ? 0 : step.phase + 1;
      std::memcpy(field, period[step.phase].data(), step.size);
    } else if (!StepText(field, step.size, step.step)) {
      predicted_.clear();
      break;
    }
  }
  return true;
}

void EntryView::Finish() {
  for (std::size_t k = 0; k < columns.size(); ++k) {
    if (synced_[k] < count) columns[k].Continue(count - synced_[k]);
    synced_[k] = count;
    columns[k].Finish();
  }
  BuildFeatures();
}

// The lane of the FEATURE lines, and without CDS lines the codons that the
// codonpos and strand columns mark.
void EntryView::BuildFeatures() {
  auto text_of = [&](int col) -> std::string_view {
    return col >= 1 && static_cast<std::size_t>(col) <= columns.size() ? columns[col - 1].Text() : std::string_view();
  };
  bool tracks_there = !text_of(track_col[kCodonPos]).empty() && !text_of(track_col[kStrand]).empty();
  if (feature_lines.empty() && !tracks_there) return;
  PositionIndex index;
  index.Build(text_of(seqpos_col), count);
  lane = BuildLane(feature_lines, index, residues, minus);
  bool cds = std::any_of(feature_lines.begin(), feature_lines.end(),
                         [](const FeatureLine& f) { return ClassOf(f.key) == kCdsClass; });
  if (cds || !tracks_there) return;
  std::string codonpos = FirstCharacters(text_of(track_col[kCodonPos]), residues, count);
  std::string strands = FirstCharacters(text_of(track_col[kStrand]), residues, count);
  lane.track_codons[0] = TranslateTracks(codonpos, strands, residues, minus, '+');
  lane.track_codons[1] = TranslateTracks(codonpos, strands, residues, minus, '-');
}

std::string EntryNames::Next(const EntryView& v, int entryno) {
  std::string base = v.has_name ? v.name : "entry " + std::to_string(entryno);
  if (v.minus) base += " (minus)";
  std::string name = base;
  // "A #2" may itself be an entry's name: count on until the name is free.
  for (int& k = seen_[base]; used_.count(name) != 0;) {
    k = std::max(k + 1, 2);
    name = base + " #" + std::to_string(k);
  }
  used_.insert(name);
  return name;
}

}  // namespace colshow
