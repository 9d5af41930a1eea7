#include "options.h"

#include <cctype>
#include <cstdio>

Options::Options() : keys(MakeLList<std::string>()) {}

Options::~Options() {
  while (std::string* key = Pop(keys)) delete key;
  DestroyLList(keys);
}

void Options::AddKeys(std::string_view list) {
  for (;;) {
    std::size_t comma = list.find(',');
    Push(keys, new std::string(list.substr(0, comma)));
    if (comma == std::string_view::npos) return;
    list.remove_prefix(comma + 1);
  }
}

void usage() { std::fputs("Usage: morvel [-g | --gene] [FILE]\n", stderr); }

// The rest after a fixed prefix is one integer that fills it exactly.
static bool whole_int(std::string_view rest, int& value) {
  std::size_t used = 0;
  return ReadInt(rest, value, used) && used == rest.size();
}

// "%d-%d" filling the rest exactly.
static bool int_range(std::string_view rest, int& from, int& to) {
  std::size_t used = 0;
  if (!ReadInt(rest, from, used) || used >= rest.size() || rest[used] != '-') return false;
  rest.remove_prefix(used + 1);
  return whole_int(rest, to);
}

static bool starts(std::string_view piece, std::string_view prefix) {
  return piece.substr(0, prefix.size()) == prefix;
}

bool apply_option(Options& opt, std::string_view piece) {
  if (piece == "g" || piece == "-gene") {
    opt.gene = true;
  } else if (piece == "-bothstrand") {
    opt.bothstrand = true;
  } else if (piece == "-posname") {
    opt.posname = true;
  } else if (starts(piece, "i") || starts(piece, "-info=")) {
    std::size_t prefix = piece[0] == 'i' ? 1 : 6;
    if (!whole_int(piece.substr(prefix), opt.infopos)) return false;
    opt.info = true;
    opt.normal = false;
  } else if (starts(piece, "-longinfo=")) {
    if (!int_range(piece.substr(10), opt.longfrom, opt.longto)) return false;
    opt.longinfo = true;
    opt.normal = false;
  } else if (starts(piece, "-extend=")) {
    if (!whole_int(piece.substr(8), opt.extend)) return false;
  } else if (starts(piece, "-mutation=") && piece.size() == 11) {
    opt.mutation = piece[10];
  } else if (starts(piece, "-variants=") && piece.size() > 10) {
    opt.variants = piece.substr(10);
    opt.normal = false;
  } else if (starts(piece, "-annotate=")) {
    opt.annotate = true;
    opt.AddKeys(piece.substr(10));
  } else {
    return false;
  }
  return true;
}
