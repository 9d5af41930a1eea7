#include "options.h"

#include <cstdio>

#include "scan.h"

namespace morvel {

Options::Options() : keys(col::MakeLList<std::string>()) {}

Options::~Options() {
  while (std::string* key = col::Pop(keys)) delete key;
  col::DestroyLList(keys);
}

void Options::AddKeys(std::string_view list) {
  for (;;) {
    std::size_t comma = list.find(',');
    col::Push(keys, new std::string(list.substr(0, comma)));
    if (comma == std::string_view::npos) return;
    list.remove_prefix(comma + 1);
  }
}

void usage() { std::fputs("Usage: morvel [-g | --gene] [FILE]\n", stderr); }

// The rest after a fixed prefix is one integer that fills it exactly.
static bool WholeInt(std::string_view rest, int& value) {
  std::size_t used = 0;
  return col::ReadInt(rest, value, used) && used == rest.size();
}

// "%d-%d" filling the rest exactly.
static bool IntRange(std::string_view rest, int& from, int& to) {
  std::size_t used = 0;
  if (!col::ReadInt(rest, from, used) || used >= rest.size() || rest[used] != '-') return false;
  rest.remove_prefix(used + 1);
  return WholeInt(rest, to);
}

bool ApplyOption(Options& opt, std::string_view piece) {
  if (piece == "g" || piece == "-gene") {
    opt.gene = true;
  } else if (piece == "-bothstrand") {
    opt.bothstrand = true;
  } else if (piece == "-posname") {
    opt.posname = true;
  } else if (piece == "-features") {
    opt.features = true;
  } else if (col::StartsWith(piece, "i") || col::StartsWith(piece, "-info=")) {
    std::size_t prefix = piece[0] == 'i' ? 1 : 6;
    if (!WholeInt(piece.substr(prefix), opt.infopos)) return false;
    opt.info = true;
    opt.normal = false;
  } else if (col::StartsWith(piece, "-longinfo=")) {
    if (!IntRange(piece.substr(10), opt.longfrom, opt.longto)) return false;
    opt.longinfo = true;
    opt.normal = false;
  } else if (col::StartsWith(piece, "-extend=")) {
    if (!WholeInt(piece.substr(8), opt.extend)) return false;
  } else if (col::StartsWith(piece, "-mutation=") && piece.size() == 11) {
    opt.mutation = piece[10];
  } else if (col::StartsWith(piece, "-variants=") && piece.size() > 10) {
    opt.variants = piece.substr(10);
    opt.normal = false;
  } else if (piece == "-ann") {
    opt.ann = true;
  } else if (col::StartsWith(piece, "-annotate=")) {
    opt.annotate = true;
    opt.AddKeys(piece.substr(10));
  } else {
    return false;
  }
  return true;
}

std::string RefusalOf(std::string_view piece) {
  // What an option with an argument takes, by the piece that names it:
  // the long ones with or without "=", "i" with whatever follows it.
  static const struct {
    std::string_view piece, name, takes;
  } kArguments[] = {
      {"-info", "--info", "a number, as in --info=100"},
      {"-longinfo", "--longinfo", "two numbers, as in --longinfo=100-200"},
      {"-extend", "--extend", "a number, as in --extend=10"},
      {"-mutation", "--mutation", "one base, as in --mutation=t"},
      {"-variants", "--variants", "a file name, as in --variants=calls.vcf"},
      {"-annotate", "--annotate", "feature keys, as in --annotate=CDS,exon"},
      {"i", "-i", "a number, as in -i100"},
  };
  std::string text;
  for (const auto& a : kArguments) {
    bool named = a.piece == "i" ? col::StartsWith(piece, "i")
                                : piece == a.piece || col::StartsWith(piece, std::string(a.piece) + "=");
    if (!named) continue;
    text.append("'").append(a.name).append("' takes ").append(a.takes);
    return text;
  }
  // Every piece was typed with one dash more than it arrives with.
  text.append("unknown option '-").append(piece).append("'");
  return text;
}

}  // namespace morvel
