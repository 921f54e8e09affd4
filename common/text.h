// Text helpers shared by every subsystem: UTF-16 text in memory, UTF-8 and Latin-1 decoding,
// UTF-8 encoding, and the comparison that folds ASCII letters only.
// Depends on nothing; callable from any thread.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

using Text = std::u16string;

// Decodes UTF-8 bytes up to `size` or the first NUL byte, whichever comes first. Malformed
// sequences become U+FFFD (one per maximal bad subpart); a byte-order mark is kept as U+FEFF.
Text decodeUtf8(const char* data, std::size_t size);
inline Text decodeUtf8(std::string_view bytes) { return decodeUtf8(bytes.data(), bytes.size()); }

// Encodes to UTF-8; a lone surrogate becomes U+FFFD.
std::string encodeUtf8(std::u16string_view text);

// Every byte is one character U+0000..U+00FF; NUL bytes are kept.
Text decodeLatin1(const char* data, std::size_t size);
inline Text decodeLatin1(std::string_view bytes) { return decodeLatin1(bytes.data(), bytes.size()); }

// Plain ASCII (or UTF-8) literal to text, for names and constants.
inline Text textOf(std::string_view utf8) { return decodeUtf8(utf8); }

char16_t foldAscii(char16_t c);
char16_t upperAscii(char16_t c);
Text upperCaseAscii(std::u16string_view text);

// Compares code unit by code unit after folding A-Z to a-z on both sides; a prefix sorts first.
int compareFoldAscii(std::u16string_view a, std::u16string_view b);
bool equalsFoldAscii(std::u16string_view a, std::u16string_view b);

bool contains(std::u16string_view text, std::u16string_view part);
