#include "selection.h"

namespace col {

std::optional<std::string> EntryName(const Entry& e) {
  std::string name;
  if (ReadText(e, "ENTRY", 1000, name) != 0) return std::nullopt;
  if (!name.empty() && name.back() == '\r') name.pop_back();  // of a CR LF line end
  return name;
}

bool SelectsEntry(const Selection& selection, const Entry& e, int entryno) {
  std::optional<std::string> name = selection.HasNames() ? EntryName(e) : std::nullopt;
  return selection.Selects(entryno, name ? std::optional<std::string_view>(*name) : std::nullopt);
}

int inseqrange(const Entry& e, int entryno, std::string_view selection) {
  return SelectsEntry(Selection(selection), e, entryno) ? 1 : 0;
}

}  // namespace col
