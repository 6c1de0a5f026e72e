#pragma once

// UTF-8 text measured and cut as the courier counts it (UTF-16 code units),
// and made well formed before it goes into a document.

#include <cstddef>
#include <string>
#include <string_view>

namespace qorita {

// Number of UTF-16 code units that the UTF-8 text takes (an invalid byte counts one).
std::size_t Utf16Length(std::string_view AText);

// The first ACodeUnits UTF-16 code units of the UTF-8 text. A character that would
// straddle the cut (a surrogate pair) is left out whole: half a character would
// corrupt the document.
std::string CutUtf16(std::string_view AText, std::size_t ACodeUnits);

// The text with every byte that is not part of a well-formed UTF-8 sequence
// replaced by U+FFFD, so that nothing we write can make the document unreadable.
std::string SanitizeUtf8(std::string_view AText);

// The first ACount characters of AText, as a text from outside may hold them:
// each byte that is not a UTF-8 continuation byte starts a character, whether
// or not its sequence is well formed.
std::string_view FirstCharacters(std::string_view AText, std::size_t ACount);

}  // namespace qorita
