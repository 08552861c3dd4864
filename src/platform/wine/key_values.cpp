// Steam's KeyValues text: a tolerant reader that refuses only what it cannot make sense of.
#include "platform/wine/key_values.h"

#include "platform/text.h"

namespace vx {
namespace {

class KeyValuesLexer {
  public:
    explicit KeyValuesLexer(std::string_view text) : text_(text) {
        if (text_.starts_with("\xEF\xBB\xBF"))
            pos_ = 3;
    }

    enum class Kind { End, Text, Open, Close, Bad };
    struct Token {
        Kind kind = Kind::End;
        std::string text;
    };

    Token Next() {
        SkipSpaceAndComments();
        if (pos_ >= text_.size())
            return {};
        const char c = text_[pos_];
        if (c == '{' || c == '}') {
            ++pos_;
            return {c == '{' ? Kind::Open : Kind::Close, {}};
        }
        if (c == '"')
            return Quoted();
        return Bare();
    }
    size_t line() const { return line_; }

  private:
    void SkipSpaceAndComments() {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '\n') {
                ++line_;
                ++pos_;
            } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
                ++pos_;
            } else if (text_.substr(pos_, 2) == "//") {
                while (pos_ < text_.size() && text_[pos_] != '\n')
                    ++pos_;
            } else if (c == '[') {
                // A platform condition such as [$WIN32] after a value: it does not matter on this host.
                const size_t close = text_.find(']', pos_);
                const size_t eol = text_.find('\n', pos_);
                if (close == std::string_view::npos || (eol != std::string_view::npos && eol < close))
                    return;
                pos_ = close + 1;
            } else {
                return;
            }
        }
    }

    Token Quoted() {
        Token token{Kind::Text, {}};
        for (++pos_; pos_ < text_.size(); ++pos_) {
            const char c = text_[pos_];
            if (c == '"') {
                ++pos_;
                return token;
            }
            if (c == '\n')
                ++line_;
            if (c == '\\' && pos_ + 1 < text_.size()) {
                const char next = text_[++pos_];
                token.text += next == 'n' ? '\n' : next == 't' ? '\t' : next;
                continue;
            }
            token.text += c;
        }
        return {Kind::Bad, "an unclosed quote"};
    }

    Token Bare() {
        Token token{Kind::Text, {}};
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '"' || c == '{' || c == '}')
                break;
            token.text += c;
            ++pos_;
        }
        return token;
    }

    std::string_view text_;
    size_t pos_ = 0;
    size_t line_ = 1;
};

} // namespace

const KeyValues* KeyValues::Find(std::string_view wanted) const {
    for (const auto& child : children)
        if (EqualsNoCase(child.key, wanted))
            return &child;
    return nullptr;
}

std::optional<std::vector<KeyValues>> ReadKeyValues(std::string_view text, std::string& why) {
    using Kind = KeyValuesLexer::Kind;
    KeyValuesLexer lexer(text);
    // The open blocks, outermost first; a stack of our own, so that no nesting exhausts the machine's.
    std::vector<KeyValues> open(1);
    const auto fail = [&](const std::string& what) {
        why = "line " + std::to_string(lexer.line()) + ": " + what;
        return std::nullopt;
    };
    for (;;) {
        auto key = lexer.Next();
        if (key.kind == Kind::Bad)
            return fail(key.text);
        if (key.kind == Kind::End) {
            if (open.size() != 1)
                return fail("a block is not closed");
            return std::move(open.front().children);
        }
        if (key.kind == Kind::Close) {
            if (open.size() == 1)
                return fail("a \"}\" closes no block");
            KeyValues done = std::move(open.back());
            open.pop_back();
            open.back().children.push_back(std::move(done));
            continue;
        }
        if (key.kind == Kind::Open)
            return fail("a block has no key");
        auto value = lexer.Next();
        if (value.kind == Kind::Bad)
            return fail(value.text);
        if (value.kind == Kind::Text) {
            open.back().children.push_back({std::move(key.text), std::move(value.text), {}, false});
        } else if (value.kind == Kind::Open) {
            open.push_back({std::move(key.text), {}, {}, true});
        } else {
            return fail("\"" + key.text + "\" has no value");
        }
    }
}

} // namespace vx
