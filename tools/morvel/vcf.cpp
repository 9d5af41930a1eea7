#include "vcf.h"

#include <algorithm>
#include <climits>

#include "scan.h"

namespace {

bool IsGbcsqItem(std::string_view item) { return item == "GBCSQ" || col::StartsWith(item, "GBCSQ="); }

}  // namespace

std::string EscapeInfo(std::string_view text) {
  std::string out;
  for (char c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u <= ' ' || u >= 0x7f || c == ';' || c == '=' || c == ',' || c == '|' || c == '%') {
      static const char hex[] = "0123456789ABCDEF";
      out += '%';
      out += hex[u >> 4];
      out += hex[u & 15];
    } else {
      out += c;
    }
  }
  return out;
}

bool SplitVcfLine(std::string_view line, VcfLine& f) {
  // Nine parts: the eighth column ends at the tab before the samples.
  std::string_view columns[9];
  if (col::CutAt(col::WithoutLineEnd(line), '\t', columns, 9) < 8) return false;
  f = {columns[0], columns[1], columns[2], columns[3], columns[4], columns[5], columns[6], columns[7]};
  return !f.chrom.empty() && !f.pos.empty() && !f.ref.empty() && !f.alt.empty();
}

bool ReadVcfPos(std::string_view text, int& pos) {
  std::size_t used;
  long long value = col::ReadLeadingDigits(text, INT_MAX, used);
  if (text.empty() || used != text.size()) return false;
  pos = static_cast<int>(value);
  return true;
}

int CountSamples(std::string_view chrom_line) {
  std::string_view text = col::WithoutLineEnd(chrom_line);
  int columns = 1 + static_cast<int>(std::count(text.begin(), text.end(), '\t'));
  return columns > 9 ? columns - 9 : 0;
}

bool IsGbcsqInfoLine(std::string_view line) { return col::StartsWith(line, "##INFO=<ID=GBCSQ,"); }

void WriteVcfLine(col::Output& out, std::string_view line, const VcfLine& f, std::string_view value) {
  std::size_t info_at = static_cast<std::size_t>(f.info.data() - line.data());
  out.Write(line.substr(0, info_at));
  std::string_view info = f.info;
  bool written = false;
  auto put_item = [&] {
    out.Write("GBCSQ=");
    out.Write(value);
    written = true;
  };
  if (info.empty() || info == ".") {
    put_item();
  } else {
    bool first = true;
    std::string_view rest = info;
    for (bool more = true; more;) {
      std::string_view parts[2];  // the next item, and the items after it
      more = col::CutAt(rest, ';', parts, 2) == 2;
      std::string_view item = parts[0];
      rest = parts[1];
      bool gbcsq = IsGbcsqItem(item);
      if (gbcsq && written) continue;  // a second GBCSQ item goes
      if (!first) out.Put(';');
      first = false;
      if (gbcsq) {
        put_item();
      } else {
        out.Write(item);
      }
    }
    if (!written) {
      out.Put(';');
      put_item();
    }
  }
  out.Write(line.substr(info_at + info.size()));
}
