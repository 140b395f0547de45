// Hand-picked limits and halves, then random combinations of blanks, signs, digits, fractions,
// exponents and &H / &O literals.
#include "number_corpus.h"

#include <cstdint>
#include <random>

namespace wine_diff {
namespace {

class Generator {
public:
    explicit Generator(std::vector<NumberCase>& out) : out_(out) {}

    void add(const char* group, std::vector<std::string> texts) {
        for (auto& t : texts)
            out_.push_back({group, std::move(t)});
    }

    std::uint32_t below(std::uint32_t n) { return static_cast<std::uint32_t>(rng_() % n); }
    std::string blanks() {
        static const char* const kBlanks[] = {"", "", "", " ", "  ", "\t", " \t"};
        return kBlanks[below(7)];
    }
    std::string digits(std::uint32_t count, const char* alphabet, std::uint32_t radix) {
        std::string s;
        for (std::uint32_t i = 0; i < count; ++i)
            s += alphabet[below(radix)];
        return s;
    }

    void random_decimals(int n) {
        for (int i = 0; i < n; ++i) {
            std::string t = blanks();
            const std::uint32_t sign = below(4);
            if (sign == 1)
                t += "-" + blanks();
            else if (sign == 2)
                t += "+" + blanks();
            const std::uint32_t int_len = below(12);
            const std::uint32_t frac_len = int_len == 0 ? 1 + below(4) : below(4);
            t += digits(int_len, "0123456789", 10);
            if (frac_len > 0 || below(6) == 0)
                t += "." + digits(frac_len, "0123456789", 10);
            if (below(4) == 0) {
                t += below(2) ? "e" : "E";
                const std::uint32_t es = below(3);
                t += es == 0 ? "" : es == 1 ? "-" : "+";
                t += std::to_string(below(12));
            }
            out_.push_back({"random decimal", t + blanks()});
        }
    }

    void random_literals(int n) {
        for (int i = 0; i < n; ++i) {
            std::string t = blanks();
            if (below(2) == 0) {
                t += below(2) ? "&H" : "&h";
                t += digits(1 + below(8), "0123456789abcdefABCDEF", 22);
            } else {
                t += below(2) ? "&O" : "&o";
                // Eleven octal digits reach 33 bits: some of these overflow.
                const std::uint32_t len = 1 + below(11);
                t += len == 11 ? digits(1, "0123", 4) + digits(10, "01234567", 8)
                               : digits(len, "01234567", 8);
            }
            out_.push_back({"random literal", t + blanks()});
        }
    }

private:
    std::vector<NumberCase>& out_;
    std::mt19937 rng_{20240917u};
};

} // namespace

std::vector<NumberCase> number_corpus() {
    std::vector<NumberCase> out;
    Generator g(out);
    g.add("integers", {"0",
                       "1",
                       "-1",
                       "+1",
                       "7",
                       "42",
                       "-42",
                       "600",
                       "3100",
                       "450",
                       "255",
                       "14",
                       "32767",
                       "-32767",
                       "-32768",
                       "32768",
                       "-32769",
                       "65535",
                       "65536",
                       "2147483647",
                       "-2147483647",
                       "-2147483648",
                       "2147483648",
                       "-2147483649",
                       "4294967295",
                       "4294967296",
                       "9223372036854775807",
                       "9223372036854775808",
                       "18446744073709551615",
                       "18446744073709551616",
                       "99999999999999999999",
                       "-99999999999999999999",
                       "100000000000000000000000000000"});
    g.add("leading zeros", {"00", "007", "-007", "+0", "-0", "0000000000000000000000000012",
                            "00032767", "00032768", "0.0", "-0.0", "000.5", "0001.5", "0e0"});
    g.add("blanks", {" 12", "12 ", "\t12", "12\t", " \t12 \t", "- 12", "-\t12", "+ 12", "+\t\t12",
                     "  -  3.5  ", "\t-\t2.5\t", " &H10 ", "\t&O17\t", "- 32768", "-  2147483648"});
    g.add("fractions", {"1.25",     "1.75",     ".5",        ".25",          "5.",
                        "-.5",      "-5.",      "0.4999",    "0.5001",       "0.1",
                        "-0.1",     "-0.9",     "99.99",     "12345.678",    "32767.4",
                        "32767.49", "-32768.4", "-32768.49", "2147483647.4", "-2147483648.4"});
    g.add("below 0.1", {"0.09", "-0.09", "0.05", "-0.05", "0.0500", "0.049", "0.01", "-0.01",
                        "0.001", "0.0999", ".06", "6e-2", "4e-2", "-7E-3", "0.00000001"});
    g.add("halves",
          {"0.5",           "1.5",           "2.5",          "3.5",          "4.5",
           "-0.5",          "-1.5",          "-2.5",         "-3.5",         "10.5",
           "11.5",          "32766.5",       "32767.5",      "-32767.5",     "-32768.5",
           "-32769.5",      "65534.5",       "2147483646.5", "2147483647.5", "-2147483647.5",
           "-2147483648.5", "-2147483649.5", "0.50",         "2.500",        "-3.5000"});
    g.add("exponents", {"1e3",           "1E3",           "1e+3",           "1E-3",      "25e-1",
                        "35E-1",         "-25e-1",        "15e-1",          "5e-1",      "1e4",
                        "3.2767e4",      "3.2768e4",      "-3.2768e4",      "-3.2769e4", "32767e0",
                        "327670e-1",     "327675e-1",     "327685e-1",      "1e9",       "2e9",
                        "2.147483647e9", "2.147483648e9", "-2.147483648e9", "1e10",      "1e-10",
                        "0e999",         "1e0",           "1.e2",           ".5e1",      "5e+00",
                        "1e400",         "1e-400",        "123456789e-4",   "0.000015e6"});
    g.add("hex", {"&H0",        "&h0",        "&HF",        "&hf",        "&Hff",
                  "&HFF",       "&H7FFF",     "&H8000",     "&H8001",     "&HFFFF",
                  "&H0FFFF",    "&H10000",    "&H12345",    "&H7FFFFFFF", "&H80000000",
                  "&H8000000E", "&H80000005", "&HFFFFFFFF", "&HFFFFFFFE", "&H00000001",
                  "&HabCD12",   "&HFF0000",   "&HFFFF0000", "&H0000FFFF", "&H00008000"});
    g.add("octal", {"&O0", "&o0", "&O7", "&o17", "&O377", "&O77777", "&O100000", "&O177777",
                    "&O200000", "&O17777777777", "&O20000000000", "&O37777777777", "&O40000000000",
                    "&O000000000000017", "&O0000000000077777"});
    g.add("precision",
          {"0.50000000000000000001", "2.50000000000000000001", "1.49999999999999999999",
           "32767.4999999999999999", "32767.5000000000000001", "-32768.5000000000000001",
           "2147483647.49999999", "2147483647.50000001", "0.4999999999999999999",
           "12345678901234567890e-15"});
    g.add("not numeric",
          {"",      " ",    "+",    "-",           ".",    "-.",    "e5",   "1e",   "1e+",
           "&H",    "&O",   "&",    "&H123456789", "&HG",  "&O8",   "&O9",  "&H 1", "& H1",
           "- &H1", "-&H1", "+&H1", "-&HFFFF",     "-&O7", "1.2.3", "--1",  "+-1",  "1 2",
           "1e2.5", "1-",   "1+",   "12a",         "0x10", "&B101", "1.5.", "e",    "1ee2"});
    g.random_decimals(500);
    g.random_literals(200);
    return out;
}

} // namespace wine_diff
