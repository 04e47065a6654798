// SMTP replies read in pieces: multi-line replies, lines of any length, and what is no
// reply.
#include "alerts/mail/CSmtpReplyReader.h"

#include <gtest/gtest.h>

#include <string>

TEST(SmtpReplyReader, MultiLineReplyArrivingInPiecesIsReadWhole)
{
    const std::string reply =
        "250-mail.example.com greets you\r\n250-PIPELINING\r\n250-STARTTLS\r\n250-AUTH PLAIN LOGIN\r\n250 8BITMIME\r\n";
    CSmtpReplyReader reader;
    for (size_t i = 0; i < reply.size(); ++i) {
        const auto state = reader.Feed(&reply[i], 1);
        EXPECT_EQ(state, i + 1 < reply.size() ? CSmtpReplyReader::kIncomplete : CSmtpReplyReader::kComplete) << i;
    }
    EXPECT_EQ(reader.GetCode(), 250);
    ASSERT_EQ(reader.GetLines().size(), 5u);
    EXPECT_EQ(reader.GetLines()[3], "AUTH PLAIN LOGIN");
    EXPECT_TRUE(reader.HasKeyword("STARTTLS"));
    EXPECT_TRUE(reader.HasKeyword("auth"));
    EXPECT_FALSE(reader.HasKeyword("STARTTL"));
    EXPECT_EQ(reader.GetText(), reply.substr(0, reply.size() - 2));
}

TEST(SmtpReplyReader, LongRepliesBareLineFeedsAndLeftoverBytes)
{
    // Far beyond a kilobyte: every line is kept.
    std::string reply;
    for (int i = 0; i < 200; ++i)
        reply += "250-" + std::string(100, 'a' + i % 26) + "\n";
    reply += "250 done\nextra";
    CSmtpReplyReader reader;
    EXPECT_EQ(reader.Feed(reply.data(), reply.size()), CSmtpReplyReader::kComplete);
    EXPECT_EQ(reader.GetLines().size(), 201u);
    EXPECT_EQ(reader.Leftover(), 5u);
    // A code alone on its line ends a reply too.
    reader.Reset();
    EXPECT_EQ(reader.Feed("354\r\n", 5), CSmtpReplyReader::kComplete);
    EXPECT_EQ(reader.GetCode(), 354);
}

TEST(SmtpReplyReader, WhatIsNoReplyIsRefused)
{
    for (const char* bad : {"hello\r\n", "25\r\n", "2500 x\r\n", "250-ok\r\nxyz\r\n", "-250 x\r\n"}) {
        CSmtpReplyReader reader;
        EXPECT_EQ(reader.Feed(bad, std::char_traits<char>::length(bad)), CSmtpReplyReader::kMalformed) << bad;
        EXPECT_EQ(reader.GetCode(), -1) << bad;
    }
    CSmtpReplyReader endless;
    const std::string line = "250-" + std::string(4000, 'x') + "\r\n";
    CSmtpReplyReader::EState state = CSmtpReplyReader::kIncomplete;
    for (int i = 0; i < 400 && state == CSmtpReplyReader::kIncomplete; ++i)
        state = endless.Feed(line.data(), line.size());
    EXPECT_EQ(state, CSmtpReplyReader::kTooLong);
}
