#include "broker/protocol/StreamRequest.h"

#include <gtest/gtest.h>

using namespace qx::protocol;

TEST(StreamRequest, FormatsTheDocumentedLine)
{
    StreamRequest req;
    req.clauses.push_back({"QUOTE", "SUBS", {"MSFT", "+MSFT260116C00300000", "$SPX"}, {0, 1, 2, 3}});
    req.clauses.push_back({"NEWS", "UNSUBS", {"*ALL*"}, {}});
    EXPECT_EQ(FormatStreamRequest(req),
              "|control=false|source=QX|S=QUOTE&C=SUBS&P=MSFT+%2BMSFT260116C00300000+$SPX&T=0+1+2+3"
              "|S=NEWS&C=UNSUBS&P=*ALL*\n");
    StreamRequest back;
    std::string error;
    ASSERT_TRUE(ParseStreamRequest(FormatStreamRequest(req), back, error)) << error;
    EXPECT_EQ(back, req);
}

TEST(StreamRequest, LoginClauseAndControlStreamRoundTrip)
{
    StreamRequest req;
    req.control = true;
    req.userId = "demo user";
    req.token = "ab12";
    const std::string line = FormatStreamRequest(req);
    EXPECT_EQ(line, "|control=true|source=QX|userid=demo%20user|token=ab12\n");
    StreamRequest back;
    std::string error;
    ASSERT_TRUE(ParseStreamRequest(line, back, error)) << error;
    EXPECT_EQ(back, req);
}

TEST(StreamRequest, RefusesMalformedLines)
{
    StreamRequest out;
    std::string error;
    const char* bad[] = {
        "",
        "control=false|source=QX",
        "|source=QX",
        "|control=maybe|source=QX",
        "|control=false|source=QX|S=NOPE&C=SUBS&P=A",
        "|control=false|source=QX|S=QUOTE&C=GRAB&P=A",
        "|control=false|source=QX|S=QUOTE&C=SUBS&P=",
        "|control=false|source=QX|S=QUOTE&C=SUBS&P=A++B",
        "|control=false|source=QX|S=QUOTE&C=SUBS&P=A%2",
        "|control=false|source=QX|S=QUOTE&C=SUBS&P=A%ZZ",
        "|control=false|source=QX|S=QUOTE&C=SUBS&P=A&T=1+999",
        "|control=false|source=QX|S=QUOTE&C=SUBS&P=A&T=x",
        "|control=false|source=QX|S=QUOTE&P=A",
        "|control=false|source=QX|bogus=1",
    };
    for (const char* line : bad) {
        error.clear();
        EXPECT_FALSE(ParseStreamRequest(line, out, error)) << line;
        EXPECT_FALSE(error.empty()) << line;
    }
    EXPECT_FALSE(ParseStreamRequest("|control=false|source=QX|S=QUOTE&C=SUBS&P=" + std::string(70000, 'A'), out, error));
    // UNSUBS without symbols drops the whole service.
    ASSERT_TRUE(ParseStreamRequest("|control=false|source=QX|S=LEVELII&C=UNSUBS&P=\r\n", out, error)) << error;
    EXPECT_TRUE(out.clauses[0].symbols.empty());
}

TEST(StreamRequest, ServiceNamesCoverTheTwelveServices)
{
    for (int i = 0; i < 12; ++i) {
        ASSERT_NE(ServiceName(i), nullptr);
        EXPECT_EQ(ServiceIndex(ServiceName(i)), i);
    }
    EXPECT_EQ(ServiceName(12), nullptr);
    EXPECT_EQ(ServiceIndex("quote"), -1);
}
