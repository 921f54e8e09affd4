#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "common/number_text.h"
#include "common/text.h"

namespace {

struct Utf8Case {
    const char* name;
    std::string bytes;
    Text expected;
};

TEST(DecodeUtf8, Table) {
    const Utf8Case cases[] = {
        {"ascii", "abc", u"abc"},
        {"two-byte", "\xC3\xA9", u"\u00E9"},
        {"three-byte", "\xE2\x82\xAC", u"\u20AC"},
        {"four-byte becomes a surrogate pair", "\xF0\x9F\x8E\xB5", u"\U0001F3B5"},
        {"byte-order mark stays", "\xEF\xBB\xBFx", u"\uFEFFx"},
        {"stops at NUL", std::string("ab\0cd", 5), u"ab"},
        {"lone continuation", "a\x80z", u"a\uFFFDz"},
        {"truncated at end", "a\xE2\x82", u"a\uFFFD"},
        {"overlong", "\xC0\xAF", u"\uFFFD\uFFFD"},
        {"surrogate encoded", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
        {"Latin-1 byte", "caf\xE9!", u"caf\uFFFD!"},
        {"past U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"bad sequence then NUL", std::string("\xE2\x82\0x", 4), u"\uFFFD"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decodeUtf8(c.bytes), c.expected) << c.name;
}

TEST(DecodeUtf8, ReadsNothingPastTheBlock) {
    const char block[] = {'a', '\xE2'};
    EXPECT_EQ(decodeUtf8(block, 2), u"a\uFFFD");
    EXPECT_EQ(decodeUtf8(block, 0), u"");
}

TEST(EncodeUtf8, RoundTripsAndReplacesLoneSurrogates) {
    Text text = u"\u00E9\u20AC\U0001F3B5a";
    EXPECT_EQ(decodeUtf8(encodeUtf8(text)), text);
    EXPECT_EQ(encodeUtf8(u"a\xD800z"), "a\xEF\xBF\xBDz");
}

TEST(DecodeLatin1, EveryByteIsOneCharacter) {
    EXPECT_EQ(decodeLatin1(std::string("\xC3\xA9\xFF\0", 4)), Text(u"\u00C3\u00A9\u00FF\0", 4));
}

TEST(CompareFoldAscii, FoldsOnlyAsciiLetters) {
    EXPECT_EQ(compareFoldAscii(u"ABC", u"abc"), 0);
    EXPECT_LT(compareFoldAscii(u"_", u"a"), 0);         // underscore before the letters
    EXPECT_GT(compareFoldAscii(u"Z", u"_"), 0);         // Z folds to z, after the underscore
    EXPECT_GT(compareFoldAscii(u"\u00C9", u"z"), 0);    // accented letters are not folded
    EXPECT_NE(compareFoldAscii(u"\u00C9", u"\u00E9"), 0);
    EXPECT_LT(compareFoldAscii(u"", u"a"), 0);
    EXPECT_LT(compareFoldAscii(u"ab", u"abc"), 0);
    EXPECT_LT(compareFoldAscii(u"(Pop)", u"1"), 0);
    EXPECT_TRUE(equalsFoldAscii(u"UserPref", u"USERPREF"));
    EXPECT_FALSE(equalsFoldAscii(u"USERPREF ", u"USERPREF"));
}

TEST(ReadInteger, Table) {
    struct {
        const char16_t* text;
        bool radix;
        std::int64_t expected;
    } cases[] = {
        {u"42", true, 42},       {u"  -7x", true, -7},     {u"+5", true, 5},      {u"$ff", true, 255},
        {u"%101", true, 5},      {u"-$10", true, -16},     {u"abc", true, 0},     {u"", true, 0},
        {u"\t12", false, 12},    {u"$ff", false, 0},       {u"1084\r\n", false, 1084},
        {u"9223372036854775807", true, INT64_MAX},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readInteger(c.text, c.radix), c.expected) << std::string(encodeUtf8(c.text));
}

TEST(ReadDecimal, Table) {
    EXPECT_DOUBLE_EQ(readDecimal(u"0.75"), 0.75);
    EXPECT_DOUBLE_EQ(readDecimal(u" 0.5"), 0.5);
    EXPECT_DOUBLE_EQ(readDecimal(u"0,5"), 0.0);
    EXPECT_DOUBLE_EQ(readDecimal(u"5e-1"), 0.5);
    EXPECT_DOUBLE_EQ(readDecimal(u"1E"), 1.0);
    EXPECT_DOUBLE_EQ(readDecimal(u".25"), 0.25);
    EXPECT_DOUBLE_EQ(readDecimal(u"abc"), 0.0);
    EXPECT_DOUBLE_EQ(readDecimal(u"-0.5x"), -0.5);
    EXPECT_TRUE(std::isinf(readDecimal(u"+INFINITY")));
    EXPECT_LT(readDecimal(u"-infinity"), 0);
    EXPECT_TRUE(std::isnan(readDecimal(u"nan")));
}

TEST(FormatDecimal10, DropsTrailingZeros) {
    EXPECT_EQ(formatDecimal10(0.75f), u"0.75");
    EXPECT_EQ(formatDecimal10(1.0f), u"1");
    EXPECT_EQ(formatDecimal10(0.0f), u"0");
    EXPECT_EQ(formatDecimal10(0.3f), u"0.3000000119");
    EXPECT_EQ(formatDecimal10(0.5925f), u"0.5924999714");
}

} // namespace
