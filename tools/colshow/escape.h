// Input text made safe for the page and the figure. Text from a col file may
// hold any bytes: markup, quotes, NUL, bytes that are no UTF-8. Nothing of it
// may become markup or script.
#pragma once

#include <string_view>

#include "output.h"

namespace colshow {

// Text content or a quoted attribute value in HTML or XML: & < > " ' become
// character references; control characters other than tab and newline become
// their Unicode control pictures (NUL shows as U+2400), so that XML stays
// well-formed and nothing is silently dropped; bytes that are no UTF-8 become
// U+FFFD.
void PutMarkup(col::Output& out, std::string_view text);

// The inside of a double-quoted JavaScript string in a <script> element:
// backslash, quotes and control characters are escaped, and "<" and ">" are
// written as \x3c and \x3e so that no "</script" or "<!--" can appear. Bytes
// that are no UTF-8 become \ufffd. The string decodes to the text itself
// wherever the text is UTF-8.
void PutScriptString(col::Output& out, std::string_view text);

// The length of the UTF-8 sequence that starts text[i] (1 to 4), or 0 when
// the bytes there are no valid UTF-8 (overlong forms and surrogates included).
int Utf8Length(std::string_view text, std::size_t i);

}  // namespace colshow
