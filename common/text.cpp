#include "common/text.h"

namespace {

constexpr char16_t replacementChar = 0xFFFD;

void appendCodePoint(Text& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

} // namespace

Text decodeUtf8(const char* data, std::size_t size) {
    Text out;
    out.reserve(size);
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    std::size_t i = 0;
    while (i < size && p[i] != 0) {
        unsigned char b = p[i];
        if (b < 0x80) {
            out.push_back(b);
            ++i;
            continue;
        }
        // Lead byte: number of continuation bytes and the allowed range of the first one,
        // which rules out overlong forms, surrogates and values past U+10FFFF.
        int need = 0;
        unsigned char lo = 0x80, hi = 0xBF;
        char32_t cp = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            need = 1;
            cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            need = 2;
            cp = b & 0x0F;
            if (b == 0xE0) lo = 0xA0;
            if (b == 0xED) hi = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            need = 3;
            cp = b & 0x07;
            if (b == 0xF0) lo = 0x90;
            if (b == 0xF4) hi = 0x8F;
        } else {
            out.push_back(replacementChar);
            ++i;
            continue;
        }
        ++i;
        bool bad = false;
        for (int k = 0; k < need; ++k) {
            // A NUL ends the text even inside a sequence: the bad prefix becomes one U+FFFD.
            if (i >= size || p[i] < lo || p[i] > hi) {
                bad = true;
                break;
            }
            cp = (cp << 6) | (p[i] & 0x3F);
            lo = 0x80;
            hi = 0xBF;
            ++i;
        }
        if (bad)
            out.push_back(replacementChar);
        else
            appendCodePoint(out, cp);
    }
    return out;
}

std::string encodeUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = replacementChar;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

Text decodeLatin1(const char* data, std::size_t size) {
    Text out(size, u'\0');
    for (std::size_t i = 0; i < size; ++i)
        out[i] = static_cast<unsigned char>(data[i]);
    return out;
}

char16_t foldAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }
char16_t upperAscii(char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c; }

Text upperCaseAscii(std::u16string_view text) {
    Text out(text);
    for (auto& c : out)
        c = upperAscii(c);
    return out;
}

int compareFoldAscii(std::u16string_view a, std::u16string_view b) {
    std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        char16_t x = foldAscii(a[i]), y = foldAscii(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool equalsFoldAscii(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && compareFoldAscii(a, b) == 0;
}

bool contains(std::u16string_view text, std::u16string_view part) {
    return text.find(part) != std::u16string_view::npos;
}
