// The Windows file search's wildcard matcher: "*" and "?" with the DOS rules for dots, without regard
// to case.
#include "platform/wildcard.h"

#include "platform/text.h"
#include "platform/utf8.h"

#include <cstdint>
#include <vector>

namespace vx {
namespace detail {

std::u32string DecodeFolded(std::string_view text) {
    const std::string folded = FoldCase(text);
    std::u32string out;
    out.reserve(folded.size());
    for (size_t i = 0; i < folded.size();) {
        const Utf8Char c = DecodeUtf8At(folded, i, Utf8Rule::Lenient);
        if (c.length == 0) { // a stray byte stands for itself, apart from every real character
            out += static_cast<char32_t>(0xDC00 + static_cast<unsigned char>(folded[i]));
            ++i;
        } else {
            out += c.cp;
            i += c.length;
        }
    }
    return out;
}

std::u32string TranslatePattern(std::string_view pattern) {
    std::u32string p = DecodeFolded(pattern);
    std::u32string out;
    out.reserve(p.size());
    for (size_t i = 0; i < p.size(); ++i) {
        const char32_t next = i + 1 < p.size() ? p[i + 1] : 0;
        if (p[i] == U'?')
            out += kDosQm;
        else if (p[i] == U'*')
            out += next == U'.' ? kDosStar : kStar;
        else if (p[i] == U'.' && (next == 0 || next == U'?' || next == U'*'))
            out += kDosDot;
        else
            out += p[i];
    }
    return out;
}

bool MatchTokens(const std::u32string& name, const std::u32string& pat) {
    const size_t n = name.size();
    const size_t m = pat.size();
    const size_t lastDot = name.rfind(U'.');
    // memo[i * (n + 1) + j]: 0 unknown, 1 match, 2 no match, for pattern from i and name from j.
    std::vector<uint8_t> memo((m + 1) * (n + 1), 0);
    auto match = [&](auto&& self, size_t i, size_t j) -> bool {
        uint8_t& slot = memo[i * (n + 1) + j];
        if (slot != 0)
            return slot == 1;
        bool result = false;
        if (i == m) {
            result = j == n;
        } else {
            const char32_t t = pat[i];
            if (t == kStar) {
                for (size_t k = j; k <= n && !result; ++k)
                    result = self(self, i + 1, k);
            } else if (t == kDosStar) {
                const size_t limit = (lastDot != std::u32string::npos && lastDot >= j) ? lastDot : n;
                for (size_t k = j; k <= limit && !result; ++k)
                    result = self(self, i + 1, k);
            } else if (t == kDosQm) {
                if (j == n || name[j] == U'.') {
                    size_t k = i;
                    while (k < m && pat[k] == kDosQm)
                        ++k;
                    result = self(self, k, j);
                } else {
                    result = self(self, i + 1, j + 1);
                }
            } else if (t == kDosDot) {
                if (j == n)
                    result = self(self, i + 1, j);
                else if (name[j] == U'.')
                    result = self(self, i + 1, j + 1);
            } else {
                result = j < n && name[j] == t && self(self, i + 1, j + 1);
            }
        }
        slot = result ? 1 : 2;
        return result;
    };
    return match(match, 0, 0);
}

} // namespace detail

bool MatchesFilePattern(std::string_view name, std::string_view pattern) {
    return detail::MatchTokens(detail::DecodeFolded(name), detail::TranslatePattern(pattern));
}

} // namespace vx
