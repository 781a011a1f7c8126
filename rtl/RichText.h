#pragma once
// Plain text of a rich-text (RTF) string, as a rich-text control shows it.
#include <string>

namespace veskin {

// Drops control words, destinations such as the font and colour tables and groups
// marked "\*"; \par and \line become CR LF, \tab a tab, \'hh and \uN their characters
// (UTF-8). Text that is not well formed is read as far as it goes.
std::string RichTextToPlain(const std::string& rtf);

}  // namespace veskin
