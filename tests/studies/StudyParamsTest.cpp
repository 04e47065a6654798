// The dialog readers: accepted texts and their normalised form, refusals with their
// messages, defaults and focus.
#include "FakeStudyDialog.h"

#include <gtest/gtest.h>

TEST(StudyParams, IntegerTextsAreReadAsCDoesAndNormalised)
{
    CFakeStudyDialog dlg;
    CString length = "20";
    dlg.texts[kCtlLength] = " 15";
    EXPECT_TRUE(ReadLength(dlg, length));
    EXPECT_EQ(length, "15");
    dlg.texts[kCtlLength] = "15abc";
    EXPECT_TRUE(ReadLength(dlg, length));
    EXPECT_EQ(length, "15");
    dlg.texts[kCtlLength] = "+0007";
    EXPECT_TRUE(ReadLength(dlg, length));
    EXPECT_EQ(length, "7");
    EXPECT_TRUE(dlg.messages.empty());
}

TEST(StudyParams, OutOfRangeIntegersAreRefusedWithTheDefault)
{
    CFakeStudyDialog dlg;
    CString length = "20";
    dlg.texts[kCtlLength] = "0";
    dlg.focus = kCtlLength;
    EXPECT_FALSE(ReadLength(dlg, length));
    EXPECT_EQ(length, "14");
    ASSERT_EQ(dlg.messages.size(), 1u);
    EXPECT_EQ(dlg.messages[0], "Length must be an integer between 1 and 1000");
    EXPECT_EQ(dlg.focus, 0) << "the dialog window takes the focus";

    // No digits read as 0; a number beyond any int is refused, not wrapped.
    dlg.texts[kCtlLength] = "abc";
    EXPECT_FALSE(ReadLength(dlg, length));
    dlg.texts[kCtlLength] = "4294967311";  // 2^32 + 15
    EXPECT_FALSE(ReadLength(dlg, length));
    EXPECT_EQ(dlg.messages.size(), 3u);

    CString offset;
    dlg.texts[kCtlOffset] = "-1000";
    EXPECT_TRUE(ReadOffset(dlg, offset));
    EXPECT_EQ(offset, "-1000");
    dlg.texts[kCtlOffset] = "1000";
    EXPECT_TRUE(ReadOffset(dlg, offset));
    dlg.texts[kCtlOffset] = "-1001";
    EXPECT_FALSE(ReadOffset(dlg, offset));
    EXPECT_EQ(offset, "3");
    EXPECT_EQ(dlg.messages.back(), "Offset must be an integer between -1000 and 1000");

    int thickness = 5;
    dlg.texts[kCtlThickness2] = "16";
    EXPECT_FALSE(ReadThickness2(dlg, thickness));
    EXPECT_EQ(thickness, 1);
    EXPECT_EQ(dlg.messages.back(), "Thickness must be an integer between 1 and 15");

    int band = 0;
    dlg.texts[kCtlUpperBand] = "1001";
    EXPECT_FALSE(ReadUpperBand(dlg, band));
    EXPECT_EQ(band, 70);
    EXPECT_EQ(dlg.messages.back(), "Upper band must be an integer between -1000 and 1000");
    dlg.texts[kCtlLowerBand] = "-1001";
    EXPECT_FALSE(ReadLowerBand(dlg, band));
    EXPECT_EQ(band, 30);
    EXPECT_EQ(dlg.messages.back(), "Lower band must be an integer between -1000 and 1000");
}

TEST(StudyParams, RealTextsAreBoundedAndWrittenWithG)
{
    CFakeStudyDialog dlg;
    CString deviation;
    dlg.texts[kCtlLength2] = "10";
    EXPECT_TRUE(ReadStdDeviation(dlg, deviation));
    EXPECT_EQ(deviation, "10");
    dlg.texts[kCtlLength2] = "2.50";
    EXPECT_TRUE(ReadStdDeviation(dlg, deviation));
    EXPECT_EQ(deviation, "2.5");
    dlg.texts[kCtlLength2] = "10.5";
    EXPECT_FALSE(ReadStdDeviation(dlg, deviation));
    EXPECT_EQ(deviation, "2");
    ASSERT_EQ(dlg.messages.size(), 1u);
    EXPECT_EQ(dlg.messages[0], "Standard deviation must be a real number between 0 and 10");
    dlg.texts[kCtlLength2] = "nan";
    EXPECT_FALSE(ReadStdDeviation(dlg, deviation));

    CString multiplier;
    dlg.texts[kCtlReal1] = "100.5";
    EXPECT_FALSE(ReadMultiplier(dlg, multiplier));
    EXPECT_EQ(multiplier, "1");
    EXPECT_EQ(dlg.messages.back(), "Multiplier must be a real number between 0 and 100");

    double upper = 0;
    dlg.texts[kCtlRealUpper] = "0.75";
    EXPECT_TRUE(ReadRealUpperBand(dlg, upper, 0, 0.8, 1));
    EXPECT_EQ(upper, 0.75);
    dlg.texts[kCtlRealUpper] = "1.25";
    EXPECT_FALSE(ReadRealUpperBand(dlg, upper, 0, 0.8, 1));
    EXPECT_EQ(upper, 0.8);
    EXPECT_EQ(dlg.messages.back(), "Upper band must be a real number between 0 and 1");
}

TEST(StudyParams, UnboundedRealsTakeOnlyNumberTexts)
{
    CFakeStudyDialog dlg;
    double value = 7;
    dlg.texts[kCtlRealUpper] = "-12.5";
    EXPECT_TRUE(ReadRealUnbounded(dlg, value, kCtlRealUpper, "Line Value", 0));
    EXPECT_EQ(value, -12.5);
    dlg.texts[kCtlRealUpper] = "";
    EXPECT_TRUE(ReadRealUnbounded(dlg, value, kCtlRealUpper, "Line Value", 0));
    EXPECT_EQ(value, 0.0);
    dlg.texts[kCtlRealUpper] = "1e5";
    value = 7;
    EXPECT_FALSE(ReadRealUnbounded(dlg, value, kCtlRealUpper, "Line Value", 0));
    EXPECT_EQ(value, 0.0);
    ASSERT_EQ(dlg.messages.size(), 1u);
    EXPECT_EQ(dlg.messages[0], "Line Value must be a real number");
}

TEST(StudyParams, ColourSourceCheckAndOverride)
{
    CFakeStudyDialog dlg;
    COLORREF color = RGB(1, 2, 3);
    EXPECT_FALSE(ReadColor(dlg, color, kCtlColor2));
    EXPECT_EQ(color, 0u);
    ASSERT_EQ(dlg.messages.size(), 1u);
    EXPECT_EQ(dlg.messages[0], "Please select a color");
    EXPECT_EQ(dlg.focus, kCtlColor2) << "the combo takes the focus";
    dlg.colors[kCtlColor2] = RGB(9, 8, 7);
    EXPECT_TRUE(ReadColor(dlg, color, kCtlColor2));
    EXPECT_EQ(color, RGB(9, 8, 7));

    CString source = "High";
    EXPECT_FALSE(ReadSource(dlg, source));
    EXPECT_EQ(source, "Close");
    EXPECT_EQ(dlg.messages.back(), "Please select a source");
    EXPECT_EQ(dlg.focus, kCtlSource);

    bool check = true;
    EXPECT_TRUE(ReadCheck(dlg, check, kCtlCheck2));
    EXPECT_FALSE(check);

    CString symbol;
    dlg.texts[kCtlSymbolOverride] = "  ms ft\t ";
    EXPECT_TRUE(ReadSymbolOverride(dlg, symbol));
    EXPECT_EQ(symbol, "MSFT");
}

TEST(StudyParams, SpinnerRangesAreTheReadersBounds)
{
    int lo = 0;
    int hi = 0;
    // The readers' table: what a spinner reaches is what OK accepts.
    const struct {
        int id, lo, hi;
    } expected[] = {{kCtlLength, 1, 1000},       {kCtlLength2, 1, 1000},     {kCtlSmoothing, 1, 1000},
                    {kCtlOffset, -1000, 1000},   {kCtlLowerBand, -1000, 1000}, {kCtlUpperBand, -1000, 1000},
                    {kCtlThickness1, 1, 15},     {kCtlThickness2, 1, 15},    {kCtlThickness3, 1, 15}};
    for (const auto& e : expected) {
        ASSERT_TRUE(GetIntegerControlRange(e.id, lo, hi)) << e.id;
        EXPECT_EQ(lo, e.lo) << e.id;
        EXPECT_EQ(hi, e.hi) << e.id;
    }
    EXPECT_FALSE(GetIntegerControlRange(kCtlReal1, lo, hi));
}
