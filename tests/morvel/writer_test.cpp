#include "writer.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "reports.h"

using namespace col;
using namespace morvel;

namespace {

struct CloseFile {
  void operator()(FILE* f) const { std::fclose(f); }
};

// A record, its tracks and report text, and output to a temporary file.
struct Writer {
  Options opt;
  std::unique_ptr<FILE, CloseFile> file{std::tmpfile()};  // outlives `out`
  Output out;
  Record record;
  Locus locus;
  std::string report;
  long taken = 0;

  explicit Writer(std::size_t capacity = 1 << 20) : out(file.get(), capacity) {}

  // Everything written since the last call, the held report text first.
  std::string Take() {
    out.Write(report);
    report.clear();
    out.Flush();
    std::string text;
    std::fseek(file.get(), taken, SEEK_SET);
    for (int c; (c = std::fgetc(file.get())) != EOF;) text += static_cast<char>(c);
    taken = std::ftell(file.get());
    std::fseek(file.get(), 0, SEEK_END);
    return text;
  }
  void MakeTracks(int length) {
    record.name = "REC";
    record.accession = "ACC";
    record.length = length;
    Locus& l = locus;
    l.length = length;
    l.residue.assign(length, 'a');
    l.region.assign(length, '.');
    l.strand.assign(length, '.');
    l.codonpos.Reset(length);
    l.plusmark.assign(length, '.');
    l.minusmark.assign(length, '.');
  }
};

// A body line as printf would write it.
std::string BodyLine(const Locus& l, int p, char residue, bool gene) {
  char buf[128];
  int n = std::snprintf(buf, sizeof buf, "N     %c %5d", residue, p);
  std::string line(buf, n);
  if (gene) {
    int codon = l.codonpos.At(p - 1);
    n = std::snprintf(buf, sizeof buf, "     %c", l.region[p - 1]);
    line.append(buf, n);
    n = codon ? std::snprintf(buf, sizeof buf, " %5d", codon) : std::snprintf(buf, sizeof buf, "     .");
    line.append(buf, n);
    n = std::snprintf(buf, sizeof buf, "     %c", l.strand[p - 1]);
    line.append(buf, n);
  }
  return line + "\n";
}

std::string BodyLinesOf(const std::string& text) {
  std::string body;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at) + 1;
    if (text[at] == 'N') body.append(text, at, end - at);
    at = end;
  }
  return body;
}

TEST(Writer, BodyLinesMatchPrintf) {
  const int length = 1000002;
  const std::vector<std::pair<int, int>> runs = {
      {1, 3}, {9998, 10001}, {99998, 100001}, {999998, 1000002}};
  const std::string residues = "acgtuN-x";
  const std::string complements = "tgcaannn";
  const int codons[] = {0, 1, 2, 3, 4, 9, 10, -1, -4, 12345, 123456, INT_MIN, INT_MAX};
  for (int variant = 0; variant < 3; ++variant) {
    bool gene = variant > 0;
    Writer w(variant == 2 ? 16 : 1 << 20);  // also an output buffer smaller than a line
    w.opt.gene = gene;
    w.opt.annotate = true;
    w.MakeTracks(length);
    Locus& l = w.locus;
    std::string plus, minus;
    int k = 0;
    for (auto [from, to] : runs) {
      for (int p = from; p <= to; ++p, ++k) {
        l.residue[p - 1] = residues[k % residues.size()];
        l.region[p - 1] = "EIGM35."[k % 7];
        l.strand[p - 1] = "+-."[k % 3];
        l.codonpos.Set(p - 1, codons[k % std::size(codons)]);
        l.plusmark[p - 1] = l.minusmark[p - 1] = 'O';
        plus += BodyLine(l, p, l.residue[p - 1], gene);
      }
    }
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
      for (int p = run->second; p >= run->first; --p) {
        char c = complements[residues.find(l.residue[p - 1])];
        minus += BodyLine(l, p, c, gene);
      }
    }
    print_entries(w.opt, w.record, w.locus, w.out);
    std::string text = w.Take();
    EXPECT_EQ(BodyLinesOf(text), plus + minus) << "variant " << variant;
  }
}

TEST(Writer, InfoSeq) {
  struct Case {
    const char* window;
    int infocodon;
    char mutation;
    const char* report;
    const char* window_after;
  } cases[] = {
      {"ccaaa", 0, 't', "seq ccaaa\n", "ccaaa"},
      {"ccaaa", 1, 0, "seq ccaaa (K)\n", "ccaaa"},
      {"ccaaa", 1, 't', "seq ccaaa (K -> -) (a -> t)\n", "cctaa"},
      {"atgca", 2, 0, "seq atgca (C)\n", "atgca"},  // codon tgc
      {"atgca", 3, 'A', "seq atgca (M -> I) (g -> A)\n", "atAca"},
      {"acgta", -1, 't', "seq acgta (R -> C) (g -> a)\n", "acata"},  // codon comp(g, c, a)
      {"ttcaa", -2, 0, "seq ttcaa (-)\n", "ttcaa"},                  // comp(a, c, t): tga
      {"ttcaa", -3, 0, "seq ttcaa (L)\n", "ttcaa"},                  // comp(a, a, c): ttg
      {"--atg", 1, 0, "seq --atg (M)\n", "--atg"},
      {"-atgc", 3, 0, "seq -atgc (.)\n", "-atgc"},
  };
  for (const auto& c : cases) {
    PositionReport r;
    r.mutation = c.mutation;
    std::copy(c.window, c.window + 5, r.window);
    r.infocodon = c.infocodon;
    std::string text;
    info_seq(r, text);
    EXPECT_EQ(text, c.report) << c.window << " " << c.infocodon;
    EXPECT_EQ(std::string(r.window, 5), c.window_after);
  }
}

TEST(Writer, InfoFeature) {
  struct Case {
    const char* key;
    const char* location;
    int infopos;
    int codonstart;
    const char* report;
    int infocodon;
  } cases[] = {
      {"exon", "1..5", 3, 1, "exon (+), ", 9},
      {"CDS", "1..5", 3, 1, "CDS 3 (+), ", 3},
      {"CDS", "complement(1..5)", 3, 3, "CDS 2 (-), ", -2},
      {"CDS", "3..5", 3, 7, "CDS 7 (+), ", 0},   // no codon around the position
      {"CDS", "2..5", 3, -5, "CDS -1 (+), ", 0},
      {"CDS", "1..20", 9, 1, "CDS 0 (+), ", 0},  // beyond the sequence
      {"source", "1..5", 3, 0, "", 9},
      {"exon", "1..>5", 9, 0, "", 9},            // only the uncertain part covers 9
      {"exon", "4..5", 3, 0, "", 9},
  };
  for (const auto& c : cases) {
    PositionReport r;
    r.length = 5;
    r.infopos = c.infopos;
    r.codonstart = c.codonstart;
    r.infocodon = 9;
    Feature f;
    f.key = c.key;
    f.loc = ReadLoc(c.location);
    std::string text;
    info_feature(r, f, text);
    EXPECT_EQ(text, c.report) << c.key << " " << c.location;
    EXPECT_EQ(r.infocodon, c.infocodon) << c.key << " " << c.location;
  }
}

}  // namespace
