// The tables' own rounding of short fixed numbers against to_chars, which rounds as printf does.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <random>
#include <string>

#include "cli/textbuffer.h"

namespace {

std::string Reference(double v, int decimals) {
    char digits[128];
    const auto r = std::to_chars(digits, digits + sizeof digits, v, std::chars_format::fixed, decimals);
    return std::string(digits, r.ptr);
}

std::string Fixed(double v, int decimals) {
    TextBuffer b;
    b.Fixed(v, decimals);
    return b.Take();
}

TEST(TextBuffer, FixedNumbersRoundAsPrintfDoes) {
    // Exact ties go to even; products that round onto a tie, and values just beside one, do not.
    const double edges[] = {0.0,
                            -0.0,
                            0.125,
                            0.375,
                            2.675,
                            1.005,
                            -1.005,
                            0.0005,
                            -0.0005,
                            0.00049999,
                            -0.004,
                            4.2485,
                            99.995,
                            359.995,
                            1e-300,
                            -1e-300,
                            9.99995e10,
                            -9.99995e10,
                            0.3,
                            1.0 / 3.0,
                            2.0 / 3.0,
                            12345.6789,
                            5e-324,
                            std::nextafter(0.125, 1.0),
                            std::nextafter(0.125, 0.0),
                            std::nextafter(2.5, 3.0),
                            2.5,
                            3.5,
                            -2.5};
    for (double v : edges)
        for (int d = 0; d <= 4; ++d)
            EXPECT_EQ(Fixed(v, d), Reference(v, d)) << v << " to " << d;
    // Random values over the magnitudes the tables print, and halves of the last decimal.
    std::mt19937_64 random(20261210);
    std::uniform_real_distribution<double> exponent(-6, 11), unit(-1, 1);
    for (int i = 0; i < 200000; ++i) {
        const int d = i % 5;
        const double v = unit(random) * std::pow(10.0, exponent(random));
        const double tie = (std::round(v * std::pow(10.0, d)) + 0.5) / std::pow(10.0, d);
        for (double x : {v, tie}) {
            if (std::fabs(x) < 1e11) {
                ASSERT_EQ(Fixed(x, d), Reference(x, d)) << x << " to " << d;
            }
        }
    }
    // Beyond the short path: more decimals and larger numbers, and nothing for what is not a number.
    EXPECT_EQ(Fixed(1.0 / 3.0, 6), "0.333333");
    EXPECT_EQ(Fixed(123456789012.5, 1), "123456789012.5");
    EXPECT_EQ(Fixed(std::nan(""), 2), "");
}

} // namespace
