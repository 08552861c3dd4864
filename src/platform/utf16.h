#pragma once
// Conversions between the UTF-16 that registries store and the UTF-8 that the program's single-byte
// calls pass, as the A functions of the registry convert them.
#include <string>
#include <string_view>

namespace vx {

// UTF-16LE bytes → UTF-8. An odd trailing byte is dropped; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::string_view utf16le);
// The same, appended to `out` (no allocation when `out` has room).
void AppendUtf16AsUtf8(std::string_view utf16le, std::string& out);
// UTF-8 → UTF-16LE bytes. Bytes that are not valid UTF-8 become U+FFFD.
std::string Utf8ToUtf16(std::string_view utf8);
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

} // namespace vx
