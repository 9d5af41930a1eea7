// The painters' consumer and the col entry writer: each finished feature is
// painted into the record's per-position tracks, and at the record's end
// line its entries are written.
#pragma once

#include <set>
#include <string>
#include <unordered_set>

#include "feature_table.h"
#include "genbank.h"
#include "options.h"
#include "output.h"
#include "painters.h"

namespace morvel {

// The per-position tracks of one record (position p is element p - 1), made
// once at the LOCUS line in storage that later records reuse. Tracks that the
// output never reads are empty.
struct Locus {
  int length = 0;
  std::string residue;    // sequence letter per position, "-" where none was read
  std::string region;     // "E", "I", "G", "M", "3", "5" or "." (only with gene)
  std::string strand;     // "+", "-" or "." (only with gene)
  CodonTrack codonpos;    // codon position inside CDS features, 0 elsewhere (only with gene)
  std::string plusmark;   // "O" in selected plus-strand regions (only with annotate)
  std::string minusmark;  // "O" in selected minus-strand regions (only with annotate)
};

// Paints every finished feature into the tracks and writes the record's
// entries at its end line.
class ColWriter : public RecordConsumer {
 public:
  // `features`, when given, holds the record's FEATURE lines for the entry
  // texts; it must see each record's lines before this writer does.
  ColWriter(const Options& opt, col::Output& out, const FeatureTable* features = nullptr)
      : opt_(opt), out_(out), features_(features) {}

  void RecordStart(const Record& record) override;
  void FeatureEnd(const Feature& feature) override;
  void Letters(long long pos, std::string_view letters) override;
  void RecordEnd(const Record& record, const Feature* open) override;

  const Locus& GetLocus() const { return locus_; }
  int CodonStart() const { return codonstart_; }

  // After the run: the warning line about --annotate keys that no feature
  // of the input had (naming a key of the input that matches case-blind),
  // or empty when every key was used or no record was read. Empty keys are
  // not named.
  std::string UnusedKeysWarning() const;

 private:
  bool IsSelected(const std::string& key);
  const std::string* CaseBlindMatch(const std::string& key) const;

  const Options& opt_;
  col::Output& out_;
  const FeatureTable* features_;
  Locus locus_;
  int codonstart_ = 1;  // kept across the CDS features of one record
  std::unordered_set<std::string> selected_;  // opt.keys as a set, made at the first feature
  bool selected_made_ = false;
  bool protein_ = false;  // the record is a protein record
  bool any_record_ = false;
  // Keys of the input that matched a selected key, and some that did not.
  static constexpr std::size_t kMaxOtherKeys = 1000;
  std::set<std::string> used_;        // both sorted, so the hint is the same every run
  std::set<std::string> other_keys_;
};

// Writes the record's entries: the plus-strand entry (or, with annotate, one
// entry per selected plus-strand region), then the minus-strand entries when
// bothstrand or annotate asks for them.
// With `features`, each entry's text holds the FEATURE lines of the features
// that overlap its positions.
void print_entries(const Options& opt, const Record& record, const Locus& locus, col::Output& out,
                   const FeatureTable* features = nullptr);

// The entry text of one entry; `pos` is its first written position.
// `feature_lines` go last, before the separator line.
void print_entry_text(const Options& opt, const Record& record, bool minus, int pos, col::Output& out,
                      std::string_view feature_lines = {});

}  // namespace morvel
