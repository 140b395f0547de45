#include "fuzz/mini_json.h"

#include <cstdlib>

namespace fuzz {
namespace {

class Reader {
public:
    explicit Reader(std::string_view s) : s_(s) {}

    bool value(JsonValue& out, int depth) {
        if (depth > 16)
            return false;
        skip();
        if (i_ >= s_.size())
            return false;
        const char c = s_[i_];
        if (c == '{')
            return object(out, depth);
        if (c == '[')
            return array(out, depth);
        if (c == '"') {
            out.kind = JsonValue::Kind::String;
            return string(out.text);
        }
        if (literal("true") || literal("false")) {
            out.kind = JsonValue::Kind::Bool;
            out.boolean = s_[i_ - 1] == 'e' && s_[i_ - 2] == 'u';
            return true;
        }
        if (literal("null"))
            return true;
        return number(out);
    }

    bool at_end() {
        skip();
        return i_ == s_.size();
    }

private:
    void skip() {
        while (i_ < s_.size() &&
               (s_[i_] == ' ' || s_[i_] == '\n' || s_[i_] == '\r' || s_[i_] == '\t'))
            ++i_;
    }
    bool eat(char c) {
        skip();
        if (i_ >= s_.size() || s_[i_] != c)
            return false;
        ++i_;
        return true;
    }
    bool literal(std::string_view word) {
        if (s_.substr(i_, word.size()) != word)
            return false;
        i_ += word.size();
        return true;
    }
    bool object(JsonValue& out, int depth) {
        out.kind = JsonValue::Kind::Object;
        ++i_;
        if (eat('}'))
            return true;
        do {
            std::string name;
            skip();
            if (i_ >= s_.size() || s_[i_] != '"' || !string(name) || !eat(':'))
                return false;
            JsonValue v;
            if (!value(v, depth + 1))
                return false;
            out.names.push_back(std::move(name));
            out.items.push_back(std::move(v));
        } while (eat(','));
        return eat('}');
    }
    bool array(JsonValue& out, int depth) {
        out.kind = JsonValue::Kind::Array;
        ++i_;
        if (eat(']'))
            return true;
        do {
            JsonValue v;
            if (!value(v, depth + 1))
                return false;
            out.items.push_back(std::move(v));
        } while (eat(','));
        return eat(']');
    }
    // Control characters must be escaped; \u escapes are kept as written (the targets compare
    // only texts that have none).
    bool string(std::string& out) {
        for (++i_; i_ < s_.size(); ++i_) {
            const char c = s_[i_];
            if (c == '"') {
                ++i_;
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20)
                return false;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (++i_ >= s_.size())
                return false;
            switch (s_[i_]) {
            case '"':
                out += '"';
                break;
            case '\\':
                out += '\\';
                break;
            case '/':
                out += '/';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u':
                if (s_.size() - i_ < 5)
                    return false;
                for (std::size_t k = 1; k <= 4; ++k)
                    if (std::string_view("0123456789abcdefABCDEF").find(s_[i_ + k]) ==
                        std::string_view::npos)
                        return false;
                out += "\\u";
                out += s_.substr(i_ + 1, 4);
                i_ += 4;
                break;
            default:
                return false;
            }
        }
        return false;
    }
    bool number(JsonValue& out) {
        const std::size_t start = i_;
        auto digits = [&] {
            const std::size_t from = i_;
            while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9')
                ++i_;
            return i_ - from;
        };
        if (i_ < s_.size() && s_[i_] == '-')
            ++i_;
        const std::size_t first = i_;
        const std::size_t n = digits();
        if (n == 0 || (n > 1 && s_[first] == '0'))
            return false;
        if (i_ < s_.size() && s_[i_] == '.' && (++i_, digits() == 0))
            return false;
        if (i_ < s_.size() && (s_[i_] == 'e' || s_[i_] == 'E')) {
            ++i_;
            if (i_ < s_.size() && (s_[i_] == '+' || s_[i_] == '-'))
                ++i_;
            if (digits() == 0)
                return false;
        }
        out.kind = JsonValue::Kind::Number;
        out.number = std::strtod(std::string(s_.substr(start, i_ - start)).c_str(), nullptr);
        return true;
    }

    std::string_view s_;
    std::size_t i_ = 0;
};

} // namespace

const JsonValue* JsonValue::get(std::string_view name) const {
    if (kind != Kind::Object)
        return nullptr;
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] == name)
            return &items[i];
    return nullptr;
}

std::optional<JsonValue> parse_json(std::string_view text) {
    Reader reader(text);
    JsonValue v;
    if (!reader.value(v, 0) || !reader.at_end())
        return std::nullopt;
    return v;
}

} // namespace fuzz
