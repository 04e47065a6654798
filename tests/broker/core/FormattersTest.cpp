#include "broker/core/Formatters.h"
#include "broker/core/SymbolText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <utility>
#include <limits>

TEST(FormatNumber, TrimsToTheMinimumAndScales)
{
    EXPECT_EQ(FormatNumber(12.5, 2, 4), "12.50");
    EXPECT_EQ(FormatNumber(12.0, 0, 4), "12");
    EXPECT_EQ(FormatNumber(12.34567, 0, 4), "12.3457");
    EXPECT_EQ(FormatNumber(-1234.5, 0, 1), "-1234.5");
    EXPECT_EQ(FormatNumber(-0.00001, 0, 2), "0");
    EXPECT_EQ(FormatNumber(-0.004, 2, 2), "0.00"); // a change that rounds to nothing has no sign
    EXPECT_EQ(FormatNumber(-0.006, 2, 2), "-0.01");
    EXPECT_EQ(FormatNumber(999999.0, 0, 2), "999999");
    EXPECT_EQ(FormatNumber(1e6, 0, 2), "1M");
    EXPECT_EQ(FormatNumber(1234567.0, 0, 2), "1.23M");
    EXPECT_EQ(FormatNumber(-2.5e9, 0, 2), "-2.5B");
    EXPECT_EQ(FormatNumber(std::numeric_limits<double>::quiet_NaN(), 0, 2), "");
}

// Below a million, the same texts as printf's "%.*f" cut by hand, over values with every
// kind of last digit and halves that round either way.
TEST(FormatNumber, WritesWhatPrintfWritesCutToItsDecimals)
{
    const auto plain = [](double value, int minDecimals, int maxDecimals) {
        char buffer[512];
        std::snprintf(buffer, sizeof buffer, "%.*f", maxDecimals, value);
        std::string text = buffer;
        if (const auto point = text.find('.'); point != std::string::npos) {
            while (text.size() > point + 1 + static_cast<size_t>(minDecimals) && text.back() == '0')
                text.pop_back();
            if (text.back() == '.')
                text.pop_back();
        }
        if (text.size() > 1 && text[0] == '-' && text.find_first_of("123456789") == std::string::npos)
            text.erase(0, 1);
        return text;
    };
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    int compared = 0;
    for (int i = 0; i < 20000; ++i) {
        const double scale = std::pow(10.0, static_cast<double>(i % 10) - 4);
        double value = unit(random) * scale;
        if (i % 3 == 0)
            value = std::round(value * 64) / 64; // exact binary halves and quarters
        for (const auto& [minDecimals, maxDecimals] : {std::pair{0, 2}, {2, 2}, {0, 4}, {2, 6}, {0, 12}}) {
            ASSERT_EQ(FormatNumber(value, minDecimals, maxDecimals).str(), plain(value, minDecimals, maxDecimals))
                << value << " " << minDecimals << " " << maxDecimals;
            ++compared;
        }
    }
    EXPECT_EQ(compared, 100000);
    for (const double edge : {4.9e-324, -4.9e-324, 0.5, 2.5, -2.5, 999999.995, -999999.4999})
        EXPECT_EQ(FormatNumber(edge, 0, 12).str(), plain(edge, 0, 12)) << edge;
}

TEST(FormatThousands, GroupsDigitsFromTheRight)
{
    EXPECT_EQ(FormatIntThousands(0), "0");
    EXPECT_EQ(FormatIntThousands(999), "999");
    EXPECT_EQ(FormatIntThousands(1000), "1,000");
    EXPECT_EQ(FormatIntThousands(-1234567), "-1,234,567");
    EXPECT_EQ(FormatIntThousands(std::numeric_limits<int64_t>::min()), "-9,223,372,036,854,775,808");
    EXPECT_EQ(FormatDoubleThousands(-1234.567, 2), "-1,234.57");
    EXPECT_EQ(FormatDoubleThousands(-0.004, 2), "0.00");
    EXPECT_EQ(FormatDoubleThousands(-0.4, 0), "0");
    EXPECT_EQ(FormatDoubleThousands(123456.0, 0), "123,456");
    EXPECT_EQ(FormatDoubleThousands(0.5, 1), "0.5");
}

TEST(FormatStudyValue, KindsAndDecimalTypes)
{
    CString out;
    FormatStudyValue(out, 12.3456, kValueKindPrice, 4);
    EXPECT_EQ(out, "12.35");
    FormatStudyValue(out, 12.3456, kValueKindPlain, 2);
    EXPECT_EQ(out, "12");
    FormatStudyValue(out, 0.12345678, kValueKindPlain, 0);
    EXPECT_EQ(out, "0.1235");
    FormatStudyValue(out, 1500.0, kValueKindVolume, 4);
    EXPECT_EQ(out, "1,500");
    FormatStudyValue(out, 25e6, kValueKindVolume, 0);
    EXPECT_EQ(out, "25M");
    FormatStudyValue(out, std::numeric_limits<double>::infinity(), kValueKindPrice, 4);
    EXPECT_EQ(out, "");
}

TEST(NormalizeSymbol, DropsTheExchangePrefix)
{
    EXPECT_EQ(NormalizeSymbol("nasd:msft"), "MSFT");
    EXPECT_EQ(NormalizeSymbol(" ibm "), "IBM");
    EXPECT_EQ(NormalizeSymbol("L2:$indu"), "$INDU");
    EXPECT_EQ(NormalizeSymbol(""), "");
}
