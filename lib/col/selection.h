// Entry selections of col files: entries chosen by number or by ENTRY name,
// with the item syntax of lib/support/ranges.h ("2-3,demo").
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "col.h"
#include "ranges.h"

namespace col {

// The entry's name: the ENTRY value as ReadText gives it (at most 999
// characters, exactly as written, less the CR of a CR LF line end); nothing
// for an entry without ENTRY line.
std::optional<std::string> EntryName(const Entry& e);

// True when the selection covers entry number `entryno` or names the entry.
bool SelectsEntry(const Selection& selection, const Entry& e, int entryno);

// 1 when some item of the selection text covers the entry number or names the
// entry (its ENTRY value, exactly), else 0.
int inseqrange(const Entry& e, int entryno, std::string_view selection);

}  // namespace col
