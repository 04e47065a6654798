#include "common/services/ExportFileType.h"

#include <gtest/gtest.h>

TEST(ExportFileType, TheSeparatorFollowsTheExtension)
{
    EXPECT_EQ(ExportSeparatorForPath("/x/orders.csv"), ',');
    EXPECT_EQ(ExportSeparatorForPath("/x/orders.CSV"), ',');
    EXPECT_EQ(ExportSeparatorForPath("/x/orders.Prn"), ' ');
    EXPECT_EQ(ExportSeparatorForPath("/x/orders.txt"), '\t');
    EXPECT_EQ(ExportSeparatorForPath("/x/orders"), '\t');
    EXPECT_EQ(ExportSeparatorForPath("/x.csv/orders"), '\t');
}

TEST(ExportFileType, TheChosenTypeGivesANameWithoutOneItsExtensionAndSeparator)
{
    struct Case {
        const char* typed;
        int filter;
        const char* path;
        char separator;
    };
    const Case cases[] = {
        // "orders" typed with each of the three types chosen.
        {"/s/orders", 1, "/s/orders.csv", ','},
        {"/s/orders", 2, "/s/orders.txt", '\t'},
        {"/s/orders", 3, "/s/orders.prn", ' '},
        // A name already of one of the types keeps it, whatever type the list shows.
        {"/s/orders.csv", 2, "/s/orders.csv", ','},
        {"/s/orders.TXT", 1, "/s/orders.TXT", '\t'},
        {"/s/orders.prn", 1, "/s/orders.prn", ' '},
        // Any other point is part of the name.
        {"/s/q1.2025", 1, "/s/q1.2025.csv", ','},
        {"/s/orders.xls", 3, "/s/orders.xls.prn", ' '},
        {"/s.csv/orders", 2, "/s.csv/orders.txt", '\t'},
        {"/s/.csv", 1, "/s/.csv.csv", ','},
        // No type reported: the first of the list.
        {"/s/orders", 0, "/s/orders.csv", ','},
        {"/s/orders", 7, "/s/orders.csv", ','},
    };
    for (const Case& c : cases) {
        const CExportTarget target = ResolveExportTarget(c.typed, c.filter);
        EXPECT_EQ(target.path, c.path) << c.typed << " type " << c.filter;
        EXPECT_EQ(target.separator, c.separator) << c.typed << " type " << c.filter;
    }
}
