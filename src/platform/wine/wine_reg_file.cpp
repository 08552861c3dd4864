// A value's data read straight from the file's text: the store's decoders, with fast paths for the
// strings and numbers a scan reads again and again.
#include "platform/wine/wine_reg_file.h"

#include "platform/registry.h"
#include "platform/utf16.h"
#include "platform/wine/wine_reg_escaping.h"
#include "platform/wine/wine_reg_lexer.h"

namespace vx {

using namespace wine_reg;

std::string WineRegFile::DecodeText(const RegValueRecord& value) const {
    std::string bytes;
    uint32_t type = 0;
    size_t end = 0;
    ParseData(value.data(), type, &bytes, end);
    return bytes;
}

namespace {

// A string's inner text whose only escapes are backslashes before backslashes and quotes (paths), as the
// single-byte calls deliver it: unescaped, with its terminating zero.
void UnescapeBackslashes(std::string_view raw, std::string& out) {
    out.resize(raw.size() + 1);
    char* put = out.data();
    for (size_t i = 0; i < raw.size(); ++i)
        *put++ = raw[i] == '\\' ? raw[++i] : raw[i];
    *put++ = '\0';
    out.resize(static_cast<size_t>(put - out.data()));
}

} // namespace

void WineRegFile::AnsiData(const RegValueRecord& value, std::string& out) const {
    // Quoted string data goes straight from the file's text to UTF-8: a scan reads every value several
    // times, and the UTF-16 form in between would cost more than the rest of the read.
    if (value.inText()) {
        const std::string_view text = value.data();
        size_t start = 0;
        if (text.starts_with("\""))
            start = 1;
        else if (text.starts_with("str:\""))
            start = 5;
        else if (text.starts_with("str(2):\"") || text.starts_with("str(7):\""))
            start = 8;
        if (start) {
            // Where the string ends and what it holds: as the loader noted it, else found here. String
            // data never goes past its line.
            Escapes escapes = Escapes::None;
            size_t close = text.size() - 1;
            switch (value.textForm()) {
            case RegValueRecord::TextForm::PlainString:
                break;
            case RegValueRecord::TextForm::BackslashEscapedString:
                escapes = Escapes::BackslashAndQuote;
                break;
            default:
                close = FindStringEnd(text, start, text.size(), '"', escapes);
            }
            if (close != std::string_view::npos) {
                const std::string_view raw = text.substr(start, close - start);
                if (escapes == Escapes::None) {             // ASCII only: each character is its own unit
                    out.assign(raw.data(), raw.size() + 1); // with the closing quote, which becomes the zero
                    out.back() = '\0';
                } else if (escapes == Escapes::BackslashAndQuote) {
                    UnescapeBackslashes(raw, out);
                } else {
                    out.clear();
                    Utf16UnitWriter writer(out);
                    UnescapeUnits(raw, [&](char16_t unit) { writer.Put(unit); });
                    writer.Put(0);
                    writer.Finish();
                }
                return;
            }
        }
    }
    // "dword:" and the eight digits Wine writes: the number's four bytes without a general parse.
    if (value.inText() && value.type() == REG_DWORD) {
        const std::string_view text = value.data();
        constexpr size_t kDigitsEnd = 6 + 8;
        if (text.size() >= kDigitsEnd && text.starts_with("dword:") &&
            (text.size() == kDigitsEnd || !IsHex(text[kDigitsEnd]))) {
            uint32_t v = 0;
            bool digits = true;
            for (size_t i = 6; i < kDigitsEnd && digits; ++i) {
                digits = IsHex(text[i]);
                v = v * 16 + (digits ? HexValue(text[i]) : 0);
            }
            if (digits) {
                const char bytes[4] = {static_cast<char>(v), static_cast<char>(v >> 8),
                                       static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
                out.assign(bytes, 4);
                return;
            }
        }
    }
    RegistryStore::AnsiData(value, out);
}

} // namespace vx
