#include "vcf.h"

#include <algorithm>
#include <climits>

#include "scan.h"

namespace morvel {

namespace {

// Whether an INFO item is `name`, as a flag or with a value.
bool IsItem(std::string_view item, std::string_view name) {
  return col::StartsWith(item, name) && (item.size() == name.size() || item[name.size()] == '=');
}

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
  // Cut here rather than by col::CutAt: its memchr call per column costs the
  // --variants run a fifth of its time on these short columns.
  std::string_view text = col::WithoutLineEnd(line);
  std::string_view* columns[] = {&f.chrom, &f.pos, &f.id, &f.ref, &f.alt, &f.qual, &f.filter, &f.info};
  const char* at = text.data();
  const char* end = at + text.size();
  for (std::string_view* column : columns) {
    if (at > end) return false;
    const char* stop = at;
    while (stop != end && *stop != '\t') ++stop;
    *column = std::string_view(at, static_cast<std::size_t>(stop - at));
    at = stop + 1;
  }
  return !f.chrom.empty() && !f.pos.empty() && !f.ref.empty() && !f.alt.empty();
}

bool ReadVcfPos(std::string_view line, std::string_view text, int& pos) {
  // Up to 8 digits with 8 bytes of the line ending with them: one word read.
  std::size_t end = static_cast<std::size_t>(text.data() - line.data()) + text.size();
  if (!text.empty() && text.size() <= 8 && end >= 8 && col::ReadDigitWord(line.data() + end, text.size(), pos))
    return true;
  if (col::ReadDecimal(text, INT_MAX, pos)) return true;
  std::size_t used;
  col::ReadLeadingDigits(text, INT_MAX, used);
  if (text.empty() || used != text.size()) return false;
  pos = INT_MAX;  // digits only, too many for an int
  return true;
}

int CountSamples(std::string_view chrom_line) {
  std::string_view text = col::WithoutLineEnd(chrom_line);
  int columns = 1 + static_cast<int>(std::count(text.begin(), text.end(), '\t'));
  return columns > 9 ? columns - 9 : 0;
}

bool IsGbcsqInfoLine(std::string_view line) { return col::StartsWith(line, "##INFO=<ID=GBCSQ,"); }

void WriteVcfLine(col::Output& out, std::string_view line, const VcfLine& f, std::string_view value,
                  std::string_view name) {
  std::size_t info_at = static_cast<std::size_t>(f.info.data() - line.data());
  out.Write(line.substr(0, info_at));
  std::string_view info = f.info;
  bool written = false;
  auto put_item = [&] {
    out.Write(name);
    out.Put('=');
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
      bool gbcsq = IsItem(item, name);
      if (gbcsq && written) continue;  // a second such item goes
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

}  // namespace morvel
