#include "escape.h"

#include <cstdint>

using namespace col;

namespace colshow {

namespace {

// The three bytes of U+2400 + c, the control picture of control character c.
void PutControlPicture(Output& out, unsigned char c) {
  int code = 0x2400 + (c == 0x7f ? 0x21 : c);
  out.Put(static_cast<char>(0xe0 | (code >> 12)));
  out.Put(static_cast<char>(0x80 | ((code >> 6) & 0x3f)));
  out.Put(static_cast<char>(0x80 | (code & 0x3f)));
}

constexpr std::string_view kReplacement = "\xef\xbf\xbd";  // U+FFFD

// Writes a run of bytes that need no escaping, then returns where it ended.
template <class Plain>
std::size_t PutPlainRun(Output& out, std::string_view text, std::size_t i, Plain plain) {
  std::size_t j = i;
  while (j < text.size() && plain(static_cast<unsigned char>(text[j]))) ++j;
  out.Write(text.substr(i, j - i));
  return j;
}

}  // namespace

int Utf8Length(std::string_view text, std::size_t i) {
  auto byte = [&](std::size_t k) { return k < text.size() ? static_cast<unsigned char>(text[k]) : 0u; };
  unsigned c = byte(i);
  if (c < 0x80) return 1;
  auto cont = [&](std::size_t k) { return (byte(k) & 0xc0) == 0x80; };
  if (c >= 0xc2 && c <= 0xdf) return cont(i + 1) ? 2 : 0;
  if (c >= 0xe0 && c <= 0xef) {
    unsigned c1 = byte(i + 1);
    if (c == 0xe0 && c1 < 0xa0) return 0;  // overlong
    if (c == 0xed && c1 >= 0xa0) return 0;  // surrogates
    return cont(i + 1) && cont(i + 2) ? 3 : 0;
  }
  if (c >= 0xf0 && c <= 0xf4) {
    unsigned c1 = byte(i + 1);
    if (c == 0xf0 && c1 < 0x90) return 0;  // overlong
    if (c == 0xf4 && c1 >= 0x90) return 0;  // beyond U+10FFFF
    return cont(i + 1) && cont(i + 2) && cont(i + 3) ? 4 : 0;
  }
  return 0;
}

void PutMarkup(Output& out, std::string_view text) {
  auto plain = [](unsigned char c) {
    return c >= 0x20 && c < 0x7f && c != '&' && c != '<' && c != '>' && c != '"' && c != '\'';
  };
  for (std::size_t i = 0; i < text.size();) {
    i = PutPlainRun(out, text, i, plain);
    if (i == text.size()) break;
    unsigned char c = static_cast<unsigned char>(text[i]);
    switch (c) {
      case '&': out.Write("&amp;"); break;
      case '<': out.Write("&lt;"); break;
      case '>': out.Write("&gt;"); break;
      case '"': out.Write("&quot;"); break;
      case '\'': out.Write("&#39;"); break;
      case '\t':
      case '\n': out.Put(static_cast<char>(c)); break;
      default:
        if (c < 0x20 || c == 0x7f) {
          PutControlPicture(out, c);
        } else if (int n = Utf8Length(text, i); n > 0) {
          out.Write(text.substr(i, n));
          i += n;
          continue;
        } else {
          out.Write(kReplacement);
        }
    }
    ++i;
  }
}

void PutScriptString(Output& out, std::string_view text) {
  static const char kHex[] = "0123456789abcdef";
  auto plain = [](unsigned char c) {
    return c >= 0x20 && c < 0x7f && c != '\\' && c != '"' && c != '\'' && c != '<' && c != '>';
  };
  for (std::size_t i = 0; i < text.size();) {
    i = PutPlainRun(out, text, i, plain);
    if (i == text.size()) break;
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      out.Put('\\');
      if (c == '\\' || c == '"' || c == '\'') {
        out.Put(static_cast<char>(c));
      } else {
        out.Put('x');
        out.Put(kHex[c >> 4]);
        out.Put(kHex[c & 15]);
      }
      ++i;
    } else if (int n = Utf8Length(text, i); n > 0) {
      out.Write(text.substr(i, n));
      i += n;
    } else {
      out.Write("\\ufffd");
      ++i;
    }
  }
}

}  // namespace colshow
