// Composition of e-mail messages: the header block, single- and multipart bodies with
// attachments, transfer encodings, line lengths, dot-stuffing, header folding and
// encoded words, and texts that try to add header lines.
#include "alerts/mail/CBase64.h"
#include "alerts/mail/CSmtpMessage.h"
#include "alerts/mail/MimeText.h"
#include "platform/core/Tick.h"
#include "tests/platform/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

// Every line ends in CR LF: no CR or LF stands alone.
bool OnlyCrLf(const std::string& text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))
            return false;
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            return false;
    }
    return true;
}

struct Parsed {
    std::vector<std::pair<std::string, std::string>> headers;  // unfolded
    std::vector<std::string> rawHeaderLines;
    std::string body;

    std::string Get(const std::string& name) const
    {
        for (const auto& [n, v] : headers)
            if (n == name)
                return v;
        return "<none>";
    }
    int Count(const std::string& name) const
    {
        int count = 0;
        for (const auto& header : headers)
            count += header.first == name;
        return count;
    }
};

Parsed Parse(const std::string& text)
{
    Parsed parsed;
    const size_t end = text.find("\r\n\r\n");
    const std::string head = end == std::string::npos ? text : text.substr(0, end);
    parsed.body = end == std::string::npos ? std::string() : text.substr(end + 4);
    for (const std::string& line : Lines(head)) {
        parsed.rawHeaderLines.push_back(line);
        if (!line.empty() && (line[0] == ' ' || line[0] == '\t')) {
            parsed.headers.back().second += line;  // unfolding drops the CR LF only
            continue;
        }
        const size_t colon = line.find(':');
        parsed.headers.emplace_back(line.substr(0, colon), colon + 2 <= line.size() ? line.substr(colon + 2) : "");
    }
    return parsed;
}

// The parts between the boundary lines.
std::vector<std::string> Parts(const std::string& body, const std::string& boundary)
{
    std::vector<std::string> parts;
    const std::string delimiter = "\r\n--" + boundary;
    size_t at = body.find(delimiter);
    while (at != std::string::npos) {
        size_t start = at + delimiter.size();
        if (body.compare(start, 2, "--") == 0)
            break;
        start += 2;  // CR LF after the boundary
        const size_t next = body.find(delimiter, start);
        parts.push_back(body.substr(start, next - start));
        at = next;
    }
    return parts;
}

// Decodes RFC 2047 "B" words of a header value (the test's own reading).
std::string DecodeWords(const std::string& value)
{
    std::string out;
    size_t at = 0;
    while ((at = value.find("=?", at)) != std::string::npos) {
        const size_t b = value.find("?B?", at);
        const size_t end = value.find("?=", b + 3);
        std::string bytes;
        EXPECT_TRUE(DecodeBase64(value.substr(b + 3, end - b - 3), bytes));
        out += bytes;
        at = end + 2;
    }
    return out;
}

CSmtpMessage PlainMessage(const char* text)
{
    CSmtpMessage message;
    message.m_sender = CSmtpAddress("alerts@example.com");
    message.m_recipient = CSmtpAddress("trader@example.com", "A Trader");
    message.m_subject = "IBM alert";
    message.m_bodies.emplace_back(text, "text/plain", "iso-8859-1", kMimeAuto);
    return message;
}

std::string Build(CSmtpMessage& message)
{
    std::string text;
    CString error;
    EXPECT_TRUE(message.BuildText(text, error)) << error.str();
    return text;
}

} // namespace

TEST(Mime, PlainTextMessageIsOnePartWithItsHeaders)
{
    CSmtpMessage message = PlainMessage("Last >= 500\r\nPrice: 501.50");
    const std::string text = Build(message);
    EXPECT_TRUE(OnlyCrLf(text));
    EXPECT_TRUE(message.GetBoundary().empty());
    const Parsed parsed = Parse(text);
    std::vector<std::string> names;
    for (const auto& header : parsed.headers)
        names.push_back(header.first);
    EXPECT_EQ(names, (std::vector<std::string>{"From", "To", "Subject", "Date", "Importance", "X-MSMail-Priority",
                                               "X-Priority", "MIME-Version", "Content-Type",
                                               "Content-Transfer-Encoding"}));
    EXPECT_EQ(parsed.Get("From"), "<alerts@example.com>");
    EXPECT_EQ(parsed.Get("To"), "\"A Trader\" <trader@example.com>");
    EXPECT_EQ(parsed.Get("Subject"), "IBM alert");
    EXPECT_EQ(parsed.Get("Content-Type"), "text/plain;\tcharset=\"iso-8859-1\"");
    EXPECT_EQ(parsed.Get("Content-Transfer-Encoding"), "7bit");
    EXPECT_EQ(parsed.body, "Last >= 500\r\nPrice: 501.50");
    EXPECT_EQ(text.find("This is a multipart"), std::string::npos);
    // Building again gives the same header block, not a second copy of it.
    EXPECT_EQ(Build(message), text);
}

TEST(Mime, BodyWithTwoAttachmentsIsMixedAndEveryPartReadsBack)
{
    TempFolder folder;
    std::string binary;
    for (int i = 0; i < 5000; ++i)
        binary += static_cast<char>((i * 37) & 0xFF);
    folder.write("report.pdf", binary);
    const std::string csv = "Date,Symbol\n01/02/2026,IBM\n";
    folder.write("trades.csv", csv);

    CSmtpMessage message = PlainMessage("See the attached files.");
    message.m_attachments.emplace_back(folder.file("report.pdf").c_str(), nullptr, 0);
    message.m_attachments.emplace_back(folder.file("trades.csv").c_str(), "my trades.csv", 0, nullptr, "us-ascii");
    message.m_attachments.emplace_back(folder.file("missing.bin").c_str(), nullptr, 0);  // cannot be read
    const std::string text = Build(message);
    EXPECT_TRUE(OnlyCrLf(text));
    const Parsed parsed = Parse(text);
    const std::string boundary = message.GetBoundary();
    ASSERT_FALSE(boundary.empty());
    EXPECT_EQ(parsed.Get("Content-Type"), "multipart/mixed;\tboundary=\"" + boundary + "\"");
    EXPECT_EQ(parsed.Count("Content-Transfer-Encoding"), 0);
    EXPECT_EQ(parsed.body.substr(0, 42), "This is a multipart message in MIME format");
    EXPECT_EQ(text.substr(text.size() - boundary.size() - 8), "\r\n--" + boundary + "--\r\n");

    const std::vector<std::string> parts = Parts("\r\n" + parsed.body, boundary);
    ASSERT_EQ(parts.size(), 4u);
    const Parsed body = Parse(parts[0]);
    EXPECT_EQ(body.Get("Content-Type"), "text/plain;\tcharset=\"iso-8859-1\"");
    EXPECT_EQ(body.body, "See the attached files.");
    // The file that cannot be read keeps its place as a note naming it.
    const Parsed missing = Parse(parts[3]);
    EXPECT_EQ(missing.Get("Content-Type"), "text/plain;\tcharset=\"us-ascii\"");
    EXPECT_EQ(missing.body, "The attachment \"missing.bin\" could not be read and was left out.\r\n");
    EXPECT_EQ(message.GetLeftOut(), std::vector<std::string>{"missing.bin"});

    const Parsed pdf = Parse(parts[1]);
    EXPECT_EQ(pdf.Get("Content-Type"), "application/pdf;\tname=\"report.pdf\"");
    EXPECT_EQ(pdf.Get("Content-Transfer-Encoding"), "base64");
    EXPECT_EQ(pdf.Get("Content-Disposition"), "attachment;\tfilename=\"report.pdf\"");
    std::string decoded;
    ASSERT_TRUE(DecodeBase64(pdf.body, decoded));
    EXPECT_EQ(decoded, binary);

    const Parsed trades = Parse(parts[2]);
    EXPECT_EQ(trades.Get("Content-Type"), "text/csv;\tcharset=\"us-ascii\";\tname=\"my trades.csv\"");
    ASSERT_TRUE(DecodeBase64(trades.body, decoded));
    EXPECT_EQ(decoded, csv);

    // No line of the parts is longer than 76 characters.
    for (const std::string& line : Lines(parsed.body))
        EXPECT_LE(line.size(), 76u) << line;
}

TEST(Mime, TwoBodiesAreAlternativeAndWithAnAttachmentNestInsideMixed)
{
    CSmtpMessage message = PlainMessage("plain");
    message.m_bodies.emplace_back("<b>rich</b>", "text/html", "utf-8", kMimeAuto);
    Parsed parsed = Parse(Build(message));
    EXPECT_EQ(parsed.Get("Content-Type").substr(0, 22), "multipart/alternative;");
    EXPECT_EQ(Parts("\r\n" + parsed.body, message.GetBoundary()).size(), 2u);

    TempFolder folder;
    folder.write("a.txt", "attached");
    CSmtpMessage mixed = PlainMessage("plain");
    mixed.m_bodies.emplace_back("<b>rich</b>", "text/html", "utf-8", kMimeAuto);
    mixed.m_attachments.emplace_back(folder.file("a.txt").c_str(), nullptr, 1);
    parsed = Parse(Build(mixed));
    const std::vector<std::string> outer = Parts("\r\n" + parsed.body, mixed.GetBoundary());
    ASSERT_EQ(outer.size(), 2u);
    const Parsed inner = Parse(outer[0]);
    const std::string value = inner.Get("Content-Type");
    ASSERT_EQ(value.substr(0, 22), "multipart/alternative;");
    const std::string innerBoundary = value.substr(value.find('"') + 1, value.rfind('"') - value.find('"') - 1);
    EXPECT_NE(innerBoundary, mixed.GetBoundary());
    EXPECT_EQ(Parts("\r\n" + inner.body, innerBoundary).size(), 2u);
    EXPECT_EQ(Parse(outer[1]).Get("Content-Disposition"), "inline;\tfilename=\"a.txt\"");

    // One attachment and no body: not multipart, the attachment's lines join the header.
    CSmtpMessage only = PlainMessage("");
    only.m_bodies.clear();
    only.m_attachments.emplace_back(folder.file("a.txt").c_str(), nullptr, 0);
    parsed = Parse(Build(only));
    EXPECT_TRUE(only.GetBoundary().empty());
    EXPECT_EQ(parsed.Get("Content-Type"), "text/plain;\tcharset=\"\";\tname=\"a.txt\"");
    std::string decoded;
    ASSERT_TRUE(DecodeBase64(parsed.body, decoded));
    EXPECT_EQ(decoded, "attached");
}

TEST(Mime, LinesEndInCrLfAndDotsAreStuffedSoNoTextEndsTheMessage)
{
    CSmtpMessage message = PlainMessage(".first\n.\nmiddle\r.\r\nlast\n");
    const Parsed parsed = Parse(Build(message));
    EXPECT_EQ(parsed.body, "..first\r\n..\r\nmiddle\r\n..\r\nlast\r\n");
    // The end-of-data sequence cannot occur inside the body.
    EXPECT_EQ(("\r\n" + parsed.body).find("\r\n.\r\n"), std::string::npos);
    EXPECT_EQ(DotStuff("a\r\n.b"), "a\r\n..b");
}

TEST(Mime, EncodingFollowsTheContent)
{
    EXPECT_EQ(ClassifyContent(""), kMime7Bit);
    std::string mostly(100, 'a');
    for (int i = 0; i < 11; ++i)
        mostly[static_cast<size_t>(i)] = '\x01';
    EXPECT_EQ(ClassifyContent(mostly), kMimeBase64);  // 89 of 100 printable
    // 92 of 102 printable (CR and LF count), short lines.
    EXPECT_EQ(ClassifyContent(std::string(10, '\xE9') + "\r\n" + std::string(40, 'a') + "\r\n" + std::string(48, 'a')),
              kMime8Bit);
    EXPECT_EQ(ClassifyContent(std::string(77, 'x') + "\r\nshort"), kMimeQuotedPrintable);
    EXPECT_EQ(ClassifyContent("short\r\n" + std::string(77, 'x')), kMimeQuotedPrintable);  // the last line too
    EXPECT_EQ(ClassifyContent(std::string(76, 'x') + "\r\nshort"), kMime7Bit);

    EXPECT_EQ(EncodeQuotedPrintable("a=b"), "a=3Db");
    EXPECT_EQ(EncodeQuotedPrintable("ends in blank \r\nnext\t"), "ends in blank=20\r\nnext=09");
    EXPECT_EQ(EncodeQuotedPrintable(""), "");
    // Soft breaks keep every line within 76 characters and never split an escape.
    std::string longLine;
    for (int i = 0; i < 60; ++i)
        longLine += "ab=\xE9";
    const std::string qp = EncodeQuotedPrintable(longLine);
    for (const std::string& line : Lines(qp)) {
        EXPECT_LE(line.size(), 76u);
        const size_t eq = line.rfind('=');
        if (eq != std::string::npos && eq + 1 < line.size()) {
            EXPECT_LE(eq + 3, line.size()) << line;  // a whole escape, or the soft break alone
        }
    }
    std::string back;
    for (size_t i = 0; i < qp.size(); ++i) {
        if (qp[i] != '=') {
            back += qp[i];
        } else if (qp.compare(i, 3, "=\r\n") == 0) {
            i += 2;
        } else {
            back += static_cast<char>(std::stoi(qp.substr(i + 1, 2), nullptr, 16));
            i += 2;
        }
    }
    EXPECT_EQ(back, longLine);
}

TEST(Mime, LongWordsAreCutAtTheWidthNotIntoSingleCharacters)
{
    const std::string word(200, 'w');
    const std::string wrapped = WrapLines(" " + word, 76);
    const std::vector<std::string> lines = Lines(wrapped);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].size(), 76u);
    EXPECT_EQ(lines[1].size(), 76u);
    EXPECT_EQ(lines[2].size(), 49u);
    // Words are kept whole where a break character fits.
    EXPECT_EQ(WrapLines("alpha beta gamma", 12), "alpha beta \r\ngamma");
    // A 7bit body of one long line goes out in lines of at most 76 characters.
    CSmtpMessage message = PlainMessage("");
    message.m_bodies[0] = CSmtpMessageBody(("x " + word + " y").c_str(), "text/plain", "us-ascii", kMime7Bit);
    for (const std::string& line : Lines(Parse(Build(message)).body))
        EXPECT_LE(line.size(), 76u);
}

TEST(Mime, HeadersFoldAndNonAsciiTextIsEncoded)
{
    CSmtpMessage message = PlainMessage("x");
    std::string subject;
    for (int i = 0; i < 40; ++i)
        subject += "word" + std::to_string(i) + " ";
    subject += "end";
    message.m_subject = subject.c_str();
    message.m_recipients.emplace_back("second@example.com", "Second \"Quoted\" Person");
    Parsed parsed = Parse(Build(message));
    for (const std::string& line : parsed.rawHeaderLines)
        EXPECT_LE(line.size(), 78u) << line;
    EXPECT_EQ(parsed.Get("Subject"), subject);
    EXPECT_EQ(parsed.Get("To"), "\"A Trader\" <trader@example.com>,\t\"Second \\\"Quoted\\\" Person\" <second@example.com>");

    const std::string accented = std::string("Alerte d\xC3\xA9") + "clench\xC3\xA9" + "e : march\xC3\xA9 \xE2\x82\xAC " +
                                 std::string(60, 'z');
    message.m_subject = accented.c_str();
    message.m_sender.m_displayName = CString("Jos\xC3\xA9");
    parsed = Parse(Build(message));
    for (const std::string& line : parsed.rawHeaderLines)
        EXPECT_LE(line.size(), 76u) << line;
    const std::string encoded = parsed.Get("Subject");
    EXPECT_EQ(encoded.find_first_of("\x80\xFF"), std::string::npos);
    EXPECT_NE(encoded.find("=?utf-8?B?"), std::string::npos);
    EXPECT_EQ(DecodeWords(encoded), accented);
    EXPECT_EQ(DecodeWords(parsed.Get("From")), std::string("Jos\xC3\xA9"));
    EXPECT_EQ(parsed.Get("From").substr(parsed.Get("From").find('<')), "<alerts@example.com>");
}

TEST(Mime, LineBreaksInTextsNeverBecomeHeaderLines)
{
    CSmtpMessage message = PlainMessage("body");
    message.m_subject = "Alert\r\nBcc: victim@example.com\nX-Evil: 1";
    EXPECT_EQ(message.m_headers.Add("X-Note", "one\r\nBcc: victim@example.com"), 1);
    EXPECT_EQ(message.m_headers.Add("X-Bad\r\nBcc", "x"), 0);
    EXPECT_EQ(message.m_headers.Add("Bad Name", "x"), 0);
    EXPECT_EQ(message.m_headers.Add("", "x"), 0);
    const Parsed parsed = Parse(Build(message));
    EXPECT_EQ(parsed.Count("Bcc"), 0);
    EXPECT_EQ(parsed.Count("X-Evil"), 0);
    EXPECT_EQ(parsed.Get("Subject"), "Alert Bcc: victim@example.com X-Evil: 1");
    EXPECT_EQ(parsed.Get("X-Note"), "one Bcc: victim@example.com");
    for (const std::string& line : parsed.rawHeaderLines)
        EXPECT_NE(line.rfind("Bcc", 0), 0u) << line;

    // Addresses go into header lines and commands: one holding a line break or brackets is
    // refused whole.
    for (const char* bad : {"a@b.com>\r\nRCPT TO:<c@d.com", "a@b.com\r\nBcc: x@y.z", "no-at-sign", "a b@c.d", "<a@b.c>",
                            "a@b.c\n"}) {
        EXPECT_FALSE(IsMailAddress(bad)) << bad;
        CSmtpMessage injected = PlainMessage("body");
        injected.m_recipient.SetAddress(bad);
        std::string text;
        CString error;
        EXPECT_FALSE(injected.BuildText(text, error)) << bad;
        EXPECT_NE(error.Find("cannot be used"), -1);
        EXPECT_EQ(error.Find('\r'), -1);
        EXPECT_EQ(error.Find('\n'), -1);
    }
    EXPECT_TRUE(IsMailAddress("first.last+tag@sub.example.com"));
}

TEST(Mime, EmptyBodyAndDateHeader)
{
    CSmtpMessage message = PlainMessage("");
    const Parsed parsed = Parse(Build(message));
    EXPECT_EQ(parsed.Get("Content-Transfer-Encoding"), "7bit");
    EXPECT_EQ(parsed.body, "");
    std::string name;
    EXPECT_EQ(EncodeContent("", kMimeAuto, name), "");

    message.m_date = {};
    message.m_date.tm_year = 126;
    message.m_date.tm_mon = 11;
    message.m_date.tm_mday = 7;
    message.m_date.tm_wday = 1;
    message.m_date.tm_hour = 9;
    message.m_date.tm_min = 5;
    message.m_nZoneOffset = -500;
    EXPECT_EQ(message.DateText(), "Mon, 7 Dec 2026 09:05:00 -0500");
    message.m_nZoneOffset = 0;
    EXPECT_EQ(message.DateText(), "Mon, 7 Dec 2026 09:05:00 +0000");
    message.m_nZoneOffset = 530;
    EXPECT_EQ(message.DateText(), "Mon, 7 Dec 2026 09:05:00 +0530");
    EXPECT_EQ(Parse(Build(message)).Get("Date"), "Mon, 7 Dec 2026 09:05:00 +0530");

    // A caller's own X-Priority stays; a Date of the caller is replaced.
    message.m_headers.Add("X-Priority", "1 (Highest)");
    message.m_headers.Add("Date", "yesterday");
    const Parsed own = Parse(Build(message));
    EXPECT_EQ(own.Get("X-Priority"), "1 (Highest)");
    EXPECT_EQ(own.Count("X-Priority"), 1);
    EXPECT_EQ(own.Get("Date"), "Mon, 7 Dec 2026 09:05:00 +0530");
}

TEST(Mime, ABoundaryNeverOccursInTheContent)
{
    // Bodies that hold every boundary the next seconds of tick counts would give.
    const unsigned now = static_cast<unsigned>(GetTickCount());
    std::string trap;
    for (unsigned tick = now - 50; tick < now + 5000; ++tick) {
        char line[64];
        std::snprintf(line, sizeof line, "--CSmtpMsgPart123X456_000_%08X\n", tick);
        trap += line;
    }
    CSmtpMessage message = PlainMessage(trap.c_str());
    message.m_bodies.emplace_back(trap.c_str(), "text/plain", "us-ascii", kMime7Bit);
    const std::string text = Build(message);
    const std::string boundary = message.GetBoundary();
    ASSERT_FALSE(boundary.empty());
    const Parsed parsed = Parse(text);
    const std::vector<std::string> parts = Parts("\r\n" + parsed.body, boundary);
    ASSERT_EQ(parts.size(), 2u);
    for (const std::string& part : parts)
        EXPECT_EQ(part.find(boundary), std::string::npos);
}
