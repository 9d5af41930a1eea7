#include "scanner.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdint>
#include <limits>

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#endif

#include "painters.h"
#include "variants.h"
#include "writer.h"

namespace {

bool starts_with(std::string_view line, std::string_view prefix) {
  return line.substr(0, prefix.size()) == prefix;
}

// White space of the POSIX locale: blank, tab, newline, vertical tab, form
// feed, carriage return.
bool is_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool starts_blank(std::string_view line) { return !line.empty() && line[0] == ' '; }

// The line's text without its newline, and without the carriage return
// before it: a CRLF line gives the text of the same line with LF.
std::string_view content(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

bool is_blank_text(std::string_view text) {
  return std::all_of(text.begin(), text.end(), is_space);
}

// "//" followed by nothing but white space up to the newline or the end of
// the input ends a record.
bool is_end_line(std::string_view line) { return starts_with(line, "//") && is_blank_text(line.substr(2)); }

// The character at index i of the fixed-column layout; a line that ends
// before it has a blank there, so a short line never holds a feature key or
// a qualifier slash.
char column(std::string_view line, std::size_t i) {
  std::string_view text = content(line);
  return i < text.size() ? text[i] : ' ';
}

// The next word (a run without white space) at or after `at`; `at` moves
// behind it. Empty when the text holds no further word.
std::string_view next_word(std::string_view text, std::size_t& at) {
  while (at < text.size() && is_space(text[at])) ++at;
  std::size_t start = at;
  while (at < text.size() && !is_space(text[at])) ++at;
  return text.substr(start, at - start);
}

template <class Track>
void release(Track& track) {
  Track().swap(track);
}

// Asks for huge pages over the whole 2 MB pages of a large new track: filling
// hundreds of megabytes page by 4 KB page costs more than the whole output.
void advise_huge_pages([[maybe_unused]] void* data, [[maybe_unused]] std::size_t bytes) {
#ifdef MADV_HUGEPAGE
  constexpr std::uintptr_t kHuge = std::uintptr_t{1} << 21;
  std::uintptr_t begin = (reinterpret_cast<std::uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
  std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(kHuge - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#endif
}

// Makes a track of n elements, all `initial`. The storage of earlier records
// is reused: touching fresh memory for every record costs more than painting
// and writing it, and the peak stays that of the longest record.
template <class Track>
void make_track(Track& track, std::size_t n, typename Track::value_type initial) {
  if (n > track.capacity()) {
    release(track);
    track.reserve(n);
    advise_huge_pages(track.data(), n * sizeof initial);
  }
  track.assign(n, initial);
}

// Record start at a LOCUS line: name, length, fresh tracks and scanner state.
bool start_record(Conversion& run, std::string_view line) {
  Locus& locus = run.locus;
  Scanner& scan = run.scan;
  if (!read_locus_line(line, locus.name, locus.length)) return false;
  std::size_t n = static_cast<std::size_t>(locus.length);
  // Tracks that no output reads stay empty, and the painters skip them.
  const Options& opt = run.opt;
  // The reports need none: they gather the window as the letters stream by
  // and work out the codon position from the features. --variants reads the
  // residues only.
  std::size_t entries = opt.normal ? n : 0;
  make_track(locus.residue, opt.normal || run.variants ? n : 0, '-');
  make_track(locus.region, opt.gene ? entries : 0, '.');
  make_track(locus.strand, opt.gene ? entries : 0, '.');
  make_track(locus.codonpos.cells, opt.gene ? entries : 0, 0);
  locus.codonpos.aside.clear();
  make_track(locus.plusmark, opt.annotate ? entries : 0, '.');
  make_track(locus.minusmark, opt.annotate ? entries : 0, '.');
  std::fill(std::begin(locus.window), std::end(locus.window), '-');
  locus.infocodon = 0;
  locus.report.clear();
  scan.infeatures = scan.inlocation = scan.insequence = false;
  scan.key.clear();
  FreeLoc(scan.loc);
  scan.codonstart = 1;
  scan.seeking = scan.skipped = false;
  return true;
}

// The end line: reports and entries. A feature still open is dropped
// unpainted. The reports were held back until now, so that a record the
// input cuts off reports nothing.
void end_record(Conversion& run) {
  if (run.variants) VariantsRecordEnd(*run.variants, run.locus.residue);  // --variants hook
  if (run.opt.info) info_seq(run);
  run.out.Write(run.locus.report);
  run.locus.report.clear();
  if (run.opt.normal) print_entries(run);
  FreeLoc(run.scan.loc);
  run.scan.seeking = true;
  run.scan.skipped = false;
}

// ACCESSION lines and their continuation lines, joined with "_" for blanks.
void gather_accession(Conversion& run, std::string_view line) {
  Scanner& scan = run.scan;
  std::string& accession = run.locus.accession;
  bool first = starts_with(line, "ACCESSION ");
  if (first) {
    scan.inaccession = true;
    accession.clear();
  }
  if (!scan.inaccession) return;
  if (!first && !starts_blank(line)) {
    scan.inaccession = false;
    return;
  }
  if (accession.size() > kMaxAccession) return;
  if (starts_blank(line)) accession += '_';
  std::string_view text = content(line);
  for (std::size_t i = 12; i < text.size(); ++i) accession += text[i] == ' ' ? '_' : text[i];
}

// A feature key in column 6, or a line that ends the feature table.
bool is_feature_line(std::string_view line) { return !starts_blank(line) || column(line, 5) != ' '; }

// A line while the open feature's location text goes on: either it continues
// the location or the location ends here and is parsed.
void continue_location(Conversion& run, std::string_view line) {
  Scanner& scan = run.scan;
  if (column(line, 21) == '/' || is_feature_line(line)) {
    scan.loc = ReadLoc(scan.loctext);
    scan.inlocation = false;
    if (run.opt.longinfo) longinfo_feature(run);
    return;
  }
  std::size_t at = 0;
  scan.loctext += next_word(line, at);
  scan.feattext += line;
}

// A feature line opens a feature: its key and the first word of its location.
// A feature line without a location word gets an empty location text, which
// paints nothing.
void open_feature(Conversion& run, std::string_view line) {
  Scanner& scan = run.scan;
  std::size_t at = 0;
  scan.key = next_word(line, at);
  scan.loctext = next_word(line, at);
  scan.feattext = line;
  FreeLoc(scan.loc);
  scan.inlocation = true;
  scan.textpending = true;
  scan.inreport = false;
}

// A "/codon_start=" qualifier of a CDS sets the codon start for this and the
// later CDS features of the record.
void read_codon_start(Conversion& run, std::string_view line) {
  std::size_t at = 0;
  while (at < line.size() && is_space(line[at])) ++at;
  constexpr std::string_view qualifier = "/codon_start=";
  if (line.substr(at, qualifier.size()) != qualifier) return;
  int value = 0;
  std::size_t used = 0;
  if (ReadInt(line.substr(at + qualifier.size()), value, used)) run.scan.codonstart = value;
}

void feature_table_line(Conversion& run, std::string_view line) {
  Scanner& scan = run.scan;
  bool feature_line = is_feature_line(line);
  if (feature_line && !scan.key.empty()) {
    close_feature(run);
  } else if (!scan.key.empty() && run.opt.longinfo) {
    longinfo_line(run, line);
  }
  if (!starts_blank(line)) {
    scan.infeatures = false;
  } else if (feature_line) {
    open_feature(run, line);
  } else if (scan.key == "CDS") {
    read_codon_start(run, line);
  }
  if (run.variants && !feature_line && !scan.key.empty()) VariantsQualifier(*run.variants, line);  // --variants hook
}

// Sequence letters from index 10 on; letters beyond the record's length have
// no place in the tracks and are dropped.
void read_sequence(Conversion& run, std::string_view line) {
  Scanner& scan = run.scan;
  Locus& locus = run.locus;
  std::string_view text = content(line);
  long long infopos = run.opt.infopos;
  bool info = run.opt.info;
  for (std::size_t i = 10; i < text.size(); ++i) {
    char c = text[i];
    if (is_space(c)) continue;
    long long pos = scan.seqpos++;
    if (info && pos >= infopos - 2 && pos <= infopos + 2) locus.window[pos - infopos + 2] = c;
    if (pos <= static_cast<long long>(locus.residue.size())) locus.residue[pos - 1] = c;
  }
}

// Whether the annotate option lists the key (exactly, case-sensitively).
// The list becomes a set once, as thousands of keys meet millions of
// features.
bool is_selected(Conversion& run, const std::string& key) {
  if (!run.selected_made) {
    Counter<std::string> keys;
    InitCounter(&keys, run.opt.keys, -1);
    while (const std::string* selected = Next(&keys)) run.selected.insert(*selected);
    run.selected_made = true;
  }
  return run.selected.count(key) != 0;
}

// Region letter painted by each gene-structure key.
char region_letter(const std::string& key) {
  static const struct {
    const char* key;
    char letter;
  } regions[] = {{"exon", 'E'}, {"intron", 'I'}, {"gene", 'G'},
                 {"mRNA", 'M'}, {"3'UTR", '3'},  {"5'UTR", '5'}};
  for (const auto& r : regions) {
    if (key == r.key) return r.letter;
  }
  return 0;
}

}  // namespace

bool read_locus_line(std::string_view line, std::string& name, int& length) {
  std::size_t at = 5;  // behind "LOCUS"
  std::string_view words[4];
  for (auto& word : words) {
    word = next_word(line, at);
    if (word.empty()) return false;
  }
  name = words[0];
  std::string_view digits = words[1];
  bool negative = !digits.empty() && digits[0] == '-';
  if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) digits.remove_prefix(1);
  long long value = 0;
  for (std::size_t i = 0; i < digits.size() && std::isdigit(static_cast<unsigned char>(digits[i])); ++i) {
    value = value * 10 + (digits[i] - '0');
    if (!negative && value > std::numeric_limits<int>::max()) return false;
    if (negative) break;  // a negative length is 0 whatever its size
  }
  length = negative ? 0 : static_cast<int>(value);
  return true;
}

void close_feature(Conversion& run) {
  Scanner& scan = run.scan;
  Locus& locus = run.locus;
  const Options& opt = run.opt;
  const Loc* loc = scan.loc.get();
  if (opt.annotate && is_selected(run, scan.key)) {
    plus_annotate(loc, locus.plusmark, locus.length, 'O', opt.extend);
    minus_annotate(loc, locus.minusmark, locus.length, 'O', opt.extend);
  }
  if (char letter = region_letter(scan.key)) {
    strand_annotate(loc, locus.strand, locus.length);
    annotate(loc, locus.region, locus.length, letter);
  } else if (scan.key == "CDS") {
    strand_annotate(loc, locus.strand, locus.length);
    codon_annotate(loc, locus.codonpos, locus.length, scan.codonstart);
  }
  if (opt.info) info_feature(run);
  if (run.variants) VariantsFeature(*run.variants, scan.key, std::move(scan.loc));  // --variants hook
  FreeLoc(scan.loc);
}

bool scan_line(Conversion& run, const std::string& line) {
  Scanner& scan = run.scan;
  if (scan.seeking) {
    if (!starts_with(line, "LOCUS ")) {
      // White-space-only lines between and after records are no text.
      if (!is_blank_text(line)) scan.skipped = true;
      return true;
    }
    if (!start_record(run, line)) {
      std::fputs("Error in format\n", stderr);
      return false;
    }
  }
  if (is_end_line(line)) {
    end_record(run);
    return true;
  }
  if (run.variants && !scan.infeatures && !scan.insequence) VariantsHeaderLine(*run.variants, line);  // --variants hook
  gather_accession(run, line);
  if (scan.inlocation) continue_location(run, line);
  if (scan.infeatures && !scan.inlocation) {
    feature_table_line(run, line);
  } else if (scan.insequence) {
    read_sequence(run, line);
  }
  if (starts_with(line, "FEATURES ")) scan.infeatures = true;
  if (starts_with(line, "ORIGIN")) {
    scan.seqpos = 1;
    scan.insequence = true;
  }
  return true;
}

bool scan_end(Conversion& run) {
  // A record the input cuts off is not written: its entries and reports
  // would be incomplete.
  if (!run.scan.seeking || run.scan.skipped) {
    std::fputs("Error in format\n", stderr);
    return false;
  }
  return true;
}
