#include "vcf.h"

#include <climits>

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool IsGbcsqItem(std::string_view item) { return item == "GBCSQ" || StartsWith(item, "GBCSQ="); }

}  // namespace

std::string_view VcfContent(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

bool SplitVcfLine(std::string_view line, VcfLine& f) {
  std::string_view text = VcfContent(line);
  std::string_view* columns[] = {&f.chrom, &f.pos, &f.id, &f.ref, &f.alt, &f.qual, &f.filter, &f.info};
  const char* at = text.data();
  const char* end = at + text.size();
  for (std::size_t i = 0; i < 8; ++i) {
    if (at > end) return false;
    const char* stop = at;
    while (stop != end && *stop != '\t') ++stop;  // columns are short: no memchr call
    *columns[i] = std::string_view(at, static_cast<std::size_t>(stop - at));
    at = stop + 1;
  }
  return !f.chrom.empty() && !f.pos.empty() && !f.ref.empty() && !f.alt.empty();
}

bool ReadVcfPos(std::string_view text, int& pos) {
  if (text.empty()) return false;
  long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    if (value <= INT_MAX) value = value * 10 + (c - '0');
  }
  pos = value > INT_MAX ? INT_MAX : static_cast<int>(value);
  return true;
}

int CountSamples(std::string_view chrom_line) {
  std::string_view text = VcfContent(chrom_line);
  int columns = 1;
  for (char c : text) columns += c == '\t';
  return columns > 9 ? columns - 9 : 0;
}

bool IsGbcsqInfoLine(std::string_view line) { return StartsWith(line, "##INFO=<ID=GBCSQ,"); }

void WriteVcfLine(Output& out, std::string_view line, const VcfLine& f, std::string_view value) {
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
    for (std::size_t at = 0; at <= info.size();) {
      std::size_t semi = info.find(';', at);
      std::size_t end = semi == std::string_view::npos ? info.size() : semi;
      std::string_view item = info.substr(at, end - at);
      at = end + 1;
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
