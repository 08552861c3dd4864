#pragma once
// Conversions between the UTF-16 that registries store and the UTF-8 that the program's single-byte
// calls pass, as the A functions of the registry convert them.
#include "platform/utf8.h"

#include <string>
#include <string_view>

namespace vx {

// UTF-16LE bytes → UTF-8. An odd trailing byte is dropped; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::string_view utf16le);
// The same, appended to `out` (no allocation when `out` has room).
void AppendUtf16AsUtf8(std::string_view utf16le, std::string& out);
// UTF-8 → UTF-16LE bytes. Bytes that are not valid UTF-8 become U+FFFD.
std::string Utf8ToUtf16(std::string_view utf8);
// UTF-16LE bytes → WTF-8: as Utf16ToUtf8, but an unpaired surrogate is kept as a three-byte sequence of
// its own, so that a name converted back (Wtf8ToUtf16) has the very same units. Names are held so.
std::string Utf16ToWtf8(std::string_view utf16le);
// WTF-8 → UTF-16LE bytes; UTF-8 is WTF-8 without unpaired surrogates. Other bytes that are not UTF-8 become
// U+FFFD.
std::string Wtf8ToUtf16(std::string_view wtf8);
// Appends one code point as UTF-8.
void AppendUtf8(char32_t cp, std::string& out);

// UTF-16 code units fed one at a time, appended to `out` exactly as Utf16ToUtf8 converts them all at
// once; for decoders that produce units, so that they need no UTF-16 text in between.
class Utf16UnitWriter {
  public:
    explicit Utf16UnitWriter(std::string& out) : out_(out) {}
    void Put(char16_t unit) {
        if (unit < 0x80 && high_ == 0)
            out_ += static_cast<char>(unit);
        else
            PutSlow(unit);
    }
    // Ends the text: a high surrogate still waiting for its pair becomes U+FFFD.
    void Finish();

  private:
    void PutSlow(char16_t unit);

    std::string& out_;
    char16_t high_ = 0; // a high surrogate waiting for the unit after it
};

// The UTF-16 code units of WTF-8 text, one at a time (as Wtf8ToUtf16 converts them all at once), for
// readers that compare names unit by unit without converting them first.
class Wtf8UnitReader {
  public:
    explicit Wtf8UnitReader(std::string_view wtf8) : text_(wtf8) {}
    // False at the end of the text.
    bool Next(char16_t& unit) {
        if (low_ != 0) {
            unit = low_;
            low_ = 0;
            return true;
        }
        if (at_ == text_.size())
            return false;
        const Utf8Char c = DecodeUtf8At(text_, at_, Utf8Rule::Wtf8);
        at_ += c.length == 0 ? 1 : c.length;
        const char32_t cp = c.length == 0 ? char32_t{0xFFFD} : c.cp;
        if (cp < 0x10000) {
            unit = static_cast<char16_t>(cp);
        } else {
            unit = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            low_ = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        }
        return true;
    }

  private:
    std::string_view text_;
    size_t at_ = 0;
    char16_t low_ = 0; // the second unit of a pair, still to come
};

} // namespace vx
