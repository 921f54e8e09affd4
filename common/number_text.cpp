#include "common/number_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

std::int64_t readInteger(std::u16string_view text, bool radixPrefixes) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    unsigned base = 10;
    if (radixPrefixes && i < text.size() && (text[i] == u'$' || text[i] == u'%')) {
        base = text[i] == u'$' ? 16 : 2;
        ++i;
    }
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        char16_t c = text[i];
        unsigned digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            break;
        if (digit >= base) break;
        value = value * base + digit;
    }
    if (negative) value = ~value + 1;
    return static_cast<std::int64_t>(value);
}

double readDecimal(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    // Only the ASCII prefix can be part of a number; strtod would also accept hex and locales.
    std::string ascii;
    for (; i < text.size() && text[i] < 0x80; ++i)
        ascii.push_back(static_cast<char>(text[i]));

    std::size_t p = 0;
    bool negative = false;
    if (p < ascii.size() && (ascii[p] == '+' || ascii[p] == '-')) {
        negative = ascii[p] == '-';
        ++p;
    }
    auto startsWithWord = [&](const char* word) {
        std::size_t k = 0;
        for (; word[k]; ++k) {
            if (p + k >= ascii.size()) return false;
            char c = ascii[p + k];
            if (c >= 'A' && c <= 'Z') c = char(c + 32);
            if (c != word[k]) return false;
        }
        return true;
    };
    if (startsWithWord("infinity"))
        return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    if (startsWithWord("nan")) return std::numeric_limits<double>::quiet_NaN();

    std::string number = negative ? "-" : "";
    std::size_t digits = 0;
    while (p < ascii.size() && ascii[p] >= '0' && ascii[p] <= '9') {
        number.push_back(ascii[p++]);
        ++digits;
    }
    if (p < ascii.size() && ascii[p] == '.') {
        number.push_back(ascii[p++]);
        while (p < ascii.size() && ascii[p] >= '0' && ascii[p] <= '9') {
            number.push_back(ascii[p++]);
            ++digits;
        }
    }
    if (digits == 0) return 0.0;
    if (p < ascii.size() && (ascii[p] == 'e' || ascii[p] == 'E')) {
        std::size_t q = p + 1;
        if (q < ascii.size() && (ascii[q] == '+' || ascii[q] == '-')) ++q;
        if (q < ascii.size() && ascii[q] >= '0' && ascii[q] <= '9') {
            number.append(ascii, p, q - p);
            while (q < ascii.size() && ascii[q] >= '0' && ascii[q] <= '9')
                number.push_back(ascii[q++]);
        }
    }
    // The number holds only digits, ".", "e" and signs, which strtod reads the same in any locale
    // that uses "." as its point; the C locale is what the program runs in.
    return std::strtod(number.c_str(), nullptr);
}

Text formatDecimal10(float value) {
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.10f", static_cast<double>(value));
    std::string s = buffer;
    if (!s.empty() && s.back() == '0') {
        while (!s.empty() && s.back() == '0')
            s.pop_back();
        if (!s.empty() && s.back() == '.') s.pop_back();
    }
    if (s.empty() || s == "-") s = "0";
    return textOf(s);
}

Text formatInteger(std::int64_t value) { return textOf(std::to_string(value)); }
