#pragma once

// The number in an icon source ("file,-154"): plain text work, apart from any widget.

#include <string_view>

namespace lxtv::media {

// A text read as a decimal number: full-width forms count as their ASCII characters, leading
// blanks are skipped, reading stops at the first character that cannot continue the number;
// 0 when there is none.
double readNumber(std::string_view text);
// readNumber cut toward zero, held to the 32-bit range.
int iconIndexOf(std::string_view text);

}  // namespace lxtv::media
