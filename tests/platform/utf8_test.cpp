// The one UTF-8 decoder, under both of its rules, and what its callers make of bytes it refuses.
#include "platform/text.h"
#include "platform/utf16.h"
#include "platform/utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace vx {
namespace {

struct DecodeCase {
    std::string_view what;
    std::string_view bytes;
    size_t at;
    Utf8Char strict;
    Utf8Char lenient;
};

const DecodeCase kDecodeCases[] = {
    {"ASCII", "A", 0, {0x41, 1}, {0x41, 1}},
    {"two bytes", "\xC3\xA9", 0, {0xE9, 2}, {0xE9, 2}},
    {"three bytes", "\xE2\x82\xAC", 0, {0x20AC, 3}, {0x20AC, 3}},
    {"four bytes", "\xF0\x9F\x98\x80", 0, {0x1F600, 4}, {0x1F600, 4}},
    {"highest code point", "\xF4\x8F\xBF\xBF", 0, {0x10FFFF, 4}, {0x10FFFF, 4}},
    {"after ASCII", "a\xC3\xA9", 1, {0xE9, 2}, {0xE9, 2}},
    {"two bytes cut short", "\xC3", 0, {}, {}},
    {"three bytes cut short", "\xE2\x82", 0, {}, {}},
    {"four bytes cut short", "\xF0\x9F\x98", 0, {}, {}},
    {"ASCII where a continuation belongs", "\xE2\x41\xAC", 0, {}, {}},
    {"lead byte where a continuation belongs", "\xC3\xC3\xA9", 0, {}, {}},
    {"lone continuation byte", "\x80", 0, {}, {}},
    {"overlong two bytes (C0)", "\xC0\xAF", 0, {}, {}},
    {"overlong two bytes (C1)", "\xC1\xBF", 0, {}, {}},
    {"overlong three bytes", "\xE0\x80\xAF", 0, {}, {0x2F, 3}},
    {"overlong four bytes", "\xF0\x80\x80\xAF", 0, {}, {0x2F, 4}},
    {"high surrogate", "\xED\xA0\x80", 0, {}, {0xD800, 3}},
    {"low surrogate", "\xED\xBF\xBF", 0, {}, {0xDFFF, 3}},
    {"above U+10FFFF", "\xF4\x90\x80\x80", 0, {}, {0x110000, 4}},
    {"lead byte F5", "\xF5\x80\x80\x80", 0, {}, {}},
    {"byte FF", "\xFF", 0, {}, {}},
};

TEST(Utf8DecoderTest, DecodesOrRefusesEachSequenceByItsRule) {
    for (const DecodeCase& c : kDecodeCases) {
        SCOPED_TRACE(std::string(c.what));
        const Utf8Char strict = DecodeUtf8At(c.bytes, c.at, Utf8Rule::Strict);
        EXPECT_EQ(strict.length, c.strict.length);
        if (c.strict.length != 0) {
            EXPECT_EQ(strict.cp, c.strict.cp);
        }
        const Utf8Char lenient = DecodeUtf8At(c.bytes, c.at, Utf8Rule::Lenient);
        EXPECT_EQ(lenient.length, c.lenient.length);
        if (c.lenient.length != 0) {
            EXPECT_EQ(lenient.cp, c.lenient.cp);
        }
    }
}

// The callers keep their own ways with refused bytes: the UTF-16 conversion makes each one U+FFFD, case
// folding keeps it and anything the lenient rule accepts as it was.
TEST(Utf8DecoderTest, CallersTreatRefusedBytesTheirOwnWay) {
    constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
    const struct {
        std::string_view text;
        std::string throughUtf16;
        std::string folded;
    } cases[] = {
        {"\xC3\xA9x", "\xC3\xA9x", "\xC3\x89X"},
        {"a\xC3", std::string("a") + std::string(kReplacement), "A\xC3"},
        {"\xED\xA0\x80z",
         std::string(kReplacement) + std::string(kReplacement) + std::string(kReplacement) + "z",
         "\xED\xA0\x80Z"},
        {"\xF4\x90\x80\x80",
         std::string(kReplacement) + std::string(kReplacement) + std::string(kReplacement) +
             std::string(kReplacement),
         "\xF4\x90\x80\x80"},
        {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::string(c.text)));
        EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(c.text)), c.throughUtf16);
        EXPECT_EQ(FoldCase(c.text), c.folded);
    }
}

// Names go through WTF-8: any UTF-16 units, unpaired surrogates included, come back as they were, while
// UTF-8 text (no surrogates of its own) reads as it always did.
TEST(Wtf8Test, EveryUnitSequenceComesBackExactly) {
    const struct {
        std::string_view what;
        std::u16string units;
        std::string wtf8;
    } cases[] = {
        {"ASCII", u"keep", "keep"},
        {"unpaired high surrogate", u"keep\xD800", "keep\xED\xA0\x80"},
        {"another one", u"keep\xD801", "keep\xED\xA0\x81"},
        {"unpaired low surrogate first", u"\xDC00x", "\xED\xB0\x80x"},
        {"pair reversed", u"\xDC00\xD800", "\xED\xB0\x80\xED\xA0\x80"},
        {"pair", u"\xD83D\xDE00", "\xF0\x9F\x98\x80"},
        {"high surrogate before a pair", u"\xD800\xD83D\xDE00", "\xED\xA0\x80\xF0\x9F\x98\x80"},
        {"basic plane", u"\x00C4\xFFFF", "\xC3\x84\xEF\xBF\xBF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.what));
        const std::string utf16(reinterpret_cast<const char*>(c.units.data()), c.units.size() * 2);
        EXPECT_EQ(Utf16ToWtf8(utf16), c.wtf8);
        EXPECT_EQ(Wtf8ToUtf16(c.wtf8), utf16);
        std::u16string read;
        Wtf8UnitReader reader(c.wtf8);
        for (char16_t unit = 0; reader.Next(unit);)
            read += unit;
        EXPECT_EQ(read, c.units);
    }
    // Bytes that are neither UTF-8 nor an encoded surrogate still become U+FFFD, one each.
    EXPECT_EQ(Wtf8ToUtf16("a\xC3\xE0\x80\xAF"), std::string("a\0\xFD\xFF\xFD\xFF\xFD\xFF\xFD\xFF", 10));
}

} // namespace
} // namespace vx
