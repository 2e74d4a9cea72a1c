// Text comparison as the database's default collation does it: letters
// compare without regard to case (ASCII, the accented letters of Latin-1
// and Latin Extended-A, Cyrillic), accents count, and trailing blanks are
// ignored, so 'abc' = 'ABC  '. Ordering puts an accented letter right after
// its base letter ('e' < 'é' < 'f').
//
// Text is UTF-8; a byte that does not start a valid sequence stands for the
// Latin-1 character of the same value, so text from an 8-bit source still
// compares sensibly.
#ifndef ZV_DATA_TEXT_COMPARE_H_
#define ZV_DATA_TEXT_COMPARE_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace zv::text {

// The text without its trailing blanks (spaces only).
std::string_view TrimTrailingBlanks(std::string_view s);

// The lower-case form of one character (code point).
char32_t FoldCase(char32_t c);

// True when the texts are equal under the collation.
bool TextEquals(std::string_view a, std::string_view b);

// <0, 0, >0 as a sorts before, with, or after b under the collation.
int CompareText(std::string_view a, std::string_view b);

// A hash consistent with TextEquals.
uint64_t HashText(std::string_view s);

// The text with every character case-folded (still UTF-8, trailing blanks
// kept); two texts are equal under the collation exactly when their folded,
// trimmed forms are equal byte for byte. Used for pattern matching.
std::string FoldText(std::string_view s);

// Number of characters (code points) in the text.
size_t CharCount(std::string_view s);

// Decodes the character at s[*i] and advances *i past it. A byte that does
// not start a valid UTF-8 sequence (a stray continuation byte, an overlong
// form, a sequence cut short) decodes alone as the Latin-1 character of that
// value. Precondition: *i < s.size().
char32_t DecodeChar(std::string_view s, size_t* i);

// Appends the UTF-8 encoding of one character (code point up to 0x10FFFF).
void AppendChar(char32_t c, std::string* out);

}  // namespace zv::text

#endif  // ZV_DATA_TEXT_COMPARE_H_
