// Counts of one differential corpus: cases, agreements, listed exceptions and the rest, which
// fail the run. Prints one summary line and the first disagreements in full.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace wine_diff {

class Tally {
public:
    explicit Tally(std::string corpus) : corpus_(std::move(corpus)) {}

    void agree() { ++cases_, ++agreements_; }
    void listed() { ++cases_, ++listed_; }
    void disagree(std::string what) {
        ++cases_;
        failures_.push_back(std::move(what));
    }

    bool print() const {
        for (std::size_t i = 0; i < failures_.size() && i < kShown; ++i)
            std::printf("DISAGREE %s: %s\n", corpus_.c_str(), failures_[i].c_str());
        std::printf("%-10s cases %6d  agreements %6d  listed exceptions %3d  disagreements %zu\n",
                    corpus_.c_str(), cases_, agreements_, listed_, failures_.size());
        return failures_.empty();
    }

private:
    static constexpr std::size_t kShown = 60;
    std::string corpus_;
    int cases_ = 0, agreements_ = 0, listed_ = 0;
    std::vector<std::string> failures_;
};

// Printable form of a byte string: C escapes for everything outside printable ASCII.
inline std::string escaped(const std::string& s, std::size_t max = 80) {
    std::string out = "\"";
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (i == max) {
            out += "...(" + std::to_string(s.size()) + " bytes)";
            break;
        }
        const auto c = static_cast<unsigned char>(s[i]);
        char buf[8];
        if (c == '"' || c == '\\')
            std::snprintf(buf, sizeof buf, "\\%c", c);
        else if (c >= 0x20 && c < 0x7F)
            std::snprintf(buf, sizeof buf, "%c", c);
        else
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
        out += buf;
    }
    return out + "\"";
}

} // namespace wine_diff
