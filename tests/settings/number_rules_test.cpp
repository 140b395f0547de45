#include "settings/number_rules.h"

#include <gtest/gtest.h>

#include <optional>

using settings::to_int16;
using settings::to_int32;

namespace {

struct Case {
    const char* text;
    std::optional<std::int32_t> value; // nullopt: not numeric or out of range
};

TEST(NumberRules, DecimalForms) {
    const Case cases[] = {
        {"0", 0},
        {"42", 42},
        {"  42\t", 42},
        {"+7", 7},
        {"-7", -7},
        {"- 7", -7},
        {"+ \t7", 7},
        {"007", 7},
        {"1.", 1},
        {".4", 0},
        {"1e3", 1000},
        {"1E+3", 1000},
        {"15e-1", 2},
        {"2.5", 2},
        {"3.5", 4},
        {"-2.5", -2},
        {"-3.5", -4},
        {"2.5000001", 3},
        {"0.5", 0},
        {"1.49999", 1},
        {"2500e-3", 2},
        {"0.000e99999", 0},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {".", std::nullopt},
        {"1e", std::nullopt},
        {"e3", std::nullopt},
        {"--1", std::nullopt},
        {"1 000", std::nullopt},
        {"1,000", std::nullopt},
        {"$5", std::nullopt},
        {"(5)", std::nullopt},
        {"5-", std::nullopt},
        {"1,5", std::nullopt},
        {"abc", std::nullopt},
        {"12abc", std::nullopt},
        {"1.2.3", std::nullopt},
        {"+", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(to_int32(c.text), c.value) << '"' << c.text << '"';
}

TEST(NumberRules, SixteenBitRange) {
    EXPECT_EQ(to_int16("32767"), 32767);
    EXPECT_EQ(to_int16("-32768"), -32768);
    EXPECT_EQ(to_int16("32767.5"), std::nullopt); // rounds to 32768: overflow
    EXPECT_EQ(to_int16("32766.5"), 32766);        // half to even stays inside
    EXPECT_EQ(to_int16("-32768.5"), -32768);
    EXPECT_EQ(to_int16("40000"), std::nullopt);
    EXPECT_EQ(to_int16("1e5"), std::nullopt);
    EXPECT_EQ(to_int16("99999999999999999999999999"), std::nullopt);
}

TEST(NumberRules, ThirtyTwoBitRange) {
    EXPECT_EQ(to_int32("2147483647"), 2147483647);
    EXPECT_EQ(to_int32("-2147483648"), INT32_MIN);
    EXPECT_EQ(to_int32("2147483648"), std::nullopt);
    EXPECT_EQ(to_int32("70000"), 70000);
    EXPECT_EQ(to_int32("1e400"), std::nullopt);
}

TEST(NumberRules, HexAndOctalAreBitPatterns) {
    const Case cases[] = {
        {"&H3", 3},
        {"&h1f", 31},
        {" &HFF ", 255},
        {"&HFF0000", 0xFF0000},
        {"&HFFFF", 0xFFFF},
        {"&H8000", 0x8000},
        {"&H7FFF", 32767},
        {"&H10000", 65536},
        {"&H8000000E", static_cast<std::int32_t>(0x8000000E)},
        {"&HFFFFFFFF", -1},
        {"&O17", 15},
        {"&o177777", 0xFFFF},
        {"&O37777777777", -1},
        {"&O40000000000", std::nullopt},
        {"&H", std::nullopt},
        {"&H123456789", std::nullopt},
        {"&HG", std::nullopt},
        {"&O8", std::nullopt},
        {"-&H5", std::nullopt},
        {"&X5", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(to_int32(c.text), c.value) << '"' << c.text << '"';
    // The same literal is a 16-bit pattern in a 16-bit target: &HFFFF is yellow as a colour,
    // but -1 as a position.
    EXPECT_EQ(to_int16("&HFFFF"), -1);
    EXPECT_EQ(to_int16("&H8000"), -32768);
    EXPECT_EQ(to_int16("&o177777"), -1);
    EXPECT_EQ(to_int16("&H10000"), std::nullopt);
    EXPECT_EQ(to_int16("&HFFFFFFFF"), std::nullopt);
}

TEST(NumberRules, NarrowingForFontSize) {
    EXPECT_EQ(settings::narrow_to_int16(70000), std::nullopt);
    EXPECT_EQ(settings::narrow_to_int16(-32768), -32768);
    EXPECT_EQ(settings::narrow_to_int16(14), 14);
}

} // namespace
