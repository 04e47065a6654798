// The SMTP session and the mail thread against a real SMTP server on loopback (aiosmtpd):
// plain, STARTTLS and implicit TLS with AUTH LOGIN, messages read back by Python's e-mail
// package, and each kind of failure reported within the time-out.
#include "alerts/mail/CMailQueue.h"
#include "alerts/mail/CSmtp.h"
#include "alerts/mail/CSmtpMessage.h"
#include "tests/alerts/mail/SmtpTestServer.h"
#include "tests/platform/TempFolder.h"
#include "tools/testbroker/SelfSignedCertificate.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// Records what the session tells its handlers.
class RecordingSmtp : public CSmtp {
public:
    struct Call {
        std::string what;
        int code;
    };
    std::vector<Call> calls;
    std::vector<std::string> commands;
    std::string everything;  // every command and reply shown to the handlers

protected:
    int OnWarning(int code, const char* reply) override
    {
        calls.push_back({"warning", code});
        everything += reply;
        return 0;
    }
    int OnError(int code, const char* reply) override
    {
        calls.push_back({"error", code});
        everything += reply;
        return 0;
    }
    void OnResponse(const char* command, int code, const char* reply) override
    {
        (void)code;
        if (command)
            commands.push_back(command);
        everything += std::string(command ? command : "") + reply;
    }
};

class SmtpSession : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(qx::testbroker::WriteSelfSignedCertificate(m_folder.file("tls"), m_cert, m_key, error)) << error;
    }
    void StartServer(SmtpTestServer::Options options)
    {
        if (options.mode == "starttls" || options.mode == "implicit") {
            options.cert = m_cert;
            options.key = m_key;
        }
        ASSERT_TRUE(m_server.Start(options, m_folder.file("mail")));
    }
    static std::unique_ptr<CSmtpMessage> Message(const char* subject, const char* text)
    {
        auto message = MakeTextMessage("trader@example.com", subject, text);
        return message;
    }
    bool SentBy(const RecordingSmtp& smtp, const char* prefix) const
    {
        for (const std::string& command : smtp.commands)
            if (command.rfind(prefix, 0) == 0)
                return true;
        return false;
    }

    TempFolder m_folder;
    std::string m_cert;
    std::string m_key;
    SmtpTestServer m_server;
};

SmtpTestServer::Options Server(const char* mode, const char* user = "", const char* password = "",
                               std::vector<std::string> refused = {})
{
    SmtpTestServer::Options options;
    options.mode = mode;
    options.user = user;
    options.password = password;
    options.refused = std::move(refused);
    return options;
}

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

TEST_F(SmtpSession, PlainServerTakesAMessageThatReadsBackUnchanged)
{
    StartServer(Server("plain"));
    const std::string text = "Symbol: IBM\n.\nA line with a dot:\n.hidden\r\nPrice: 501.50\n";
    const std::string subject = "Alerte d\xC3\xA9" "clench\xC3\xA9" "e \xE2\x82\xAC IBM";
    auto message = Message(subject.c_str(), text.c_str());
    message->m_recipients.emplace_back("second@example.com", "Second");
    RecordingSmtp smtp;
    ASSERT_EQ(smtp.Connect("127.0.0.1", static_cast<unsigned>(m_server.Port())), 1) << smtp.GetErrorText().str();
    EXPECT_FALSE(smtp.IsEncrypted());
    ASSERT_EQ(smtp.SendMessage(*message), 0) << smtp.GetErrorText().str();
    smtp.Close();
    EXPECT_TRUE(SentBy(smtp, "MAIL FROM:<trader@example.com>"));
    EXPECT_TRUE(SentBy(smtp, "QUIT"));
    ASSERT_TRUE(m_server.WaitForMail(1, 10000));
    auto mail = m_server.Received()[0];
    EXPECT_EQ(mail["mail_from"], "trader@example.com");
    EXPECT_EQ(mail["rcpt_tos"], "trader@example.com\nsecond@example.com");
    EXPECT_EQ(mail["tls"], "0");
    EXPECT_EQ(mail["subject"], subject);  // RFC 2047 read back by Python
    EXPECT_EQ(mail["defects"], "");
    EXPECT_EQ(mail["parts"], "1");
    EXPECT_EQ(mail["part-1.type"], "text/plain");
    // Line ends become CR LF; the dots arrive as they were written.
    EXPECT_EQ(mail["part-1.payload"], "Symbol: IBM\r\n.\r\nA line with a dot:\r\n.hidden\r\nPrice: 501.50\r\n");
}

TEST_F(SmtpSession, AttachmentsAndLongLinesReadBackThroughPythonsParser)
{
    StartServer(Server("plain"));
    std::string binary;
    for (int i = 0; i < 3000; ++i)
        binary += static_cast<char>((i * 131 + 7) & 0xFF);
    m_folder.write("chart.png", binary);
    m_folder.write("notes.txt", "first line\r\n" + std::string(300, 'n') + "\r\n.\r\n");
    auto message = Message("Two attachments", "Body text");
    message->m_attachments.emplace_back(m_folder.file("chart.png").c_str(), nullptr, 0);
    message->m_attachments.emplace_back(m_folder.file("notes.txt").c_str(), nullptr, 0, nullptr, "us-ascii",
                                        kMimeAuto);
    CSmtp smtp;
    ASSERT_EQ(smtp.Connect("127.0.0.1", static_cast<unsigned>(m_server.Port())), 1);
    ASSERT_EQ(smtp.SendMessage(*message), 0) << smtp.GetErrorText().str();
    smtp.Close();
    ASSERT_TRUE(m_server.WaitForMail(1, 10000));
    auto mail = m_server.Received()[0];
    EXPECT_EQ(mail["defects"], "");
    ASSERT_EQ(mail["parts"], "3");
    EXPECT_EQ(mail["part-1.payload"], "Body text");
    EXPECT_EQ(mail["part-2.type"], "image/png");
    EXPECT_EQ(mail["part-2.filename"], "chart.png");
    EXPECT_EQ(mail["part-2.payload"], binary);
    EXPECT_EQ(mail["part-3.type"], "text/plain");
    EXPECT_EQ(mail["part-3.payload"], "first line\r\n" + std::string(300, 'n') + "\r\n.\r\n");
    // On the wire no line is longer than 76 characters past the header block.
    const std::string raw = mail["raw"];
    size_t start = raw.find("\r\n\r\n");
    for (size_t end; (end = raw.find("\r\n", start)) != std::string::npos; start = end + 2)
        EXPECT_LE(end - start, 76u);
}

TEST_F(SmtpSession, AuthLoginOverStartTlsWithTheTestCertificate)
{
    StartServer(Server("starttls", "alice", "s3cret-pa55"));
    RecordingSmtp smtp;
    smtp.m_caFile = m_cert.c_str();
    smtp.m_userName = "alice";
    smtp.m_password = "s3cret-pa55";
    ASSERT_EQ(smtp.Connect("127.0.0.1", static_cast<unsigned>(m_server.Port())), 1) << smtp.GetErrorText().str();
    EXPECT_TRUE(smtp.IsEncrypted());
    EXPECT_TRUE(smtp.IsAuthenticated());
    auto message = Message("Over TLS", "hello");
    ASSERT_EQ(smtp.SendMessage(*message), 0) << smtp.GetErrorText().str();
    smtp.Close();
    EXPECT_TRUE(SentBy(smtp, "STARTTLS"));
    EXPECT_TRUE(SentBy(smtp, "AUTH LOGIN"));
    // The credentials are never shown to a handler, plain or in Base64.
    EXPECT_EQ(smtp.everything.find("s3cret-pa55"), std::string::npos);
    EXPECT_EQ(smtp.everything.find("czNjcmV0LXBhNTU="), std::string::npos);
    ASSERT_TRUE(m_server.WaitForMail(1, 10000));
    auto mail = m_server.Received()[0];
    EXPECT_EQ(mail["tls"], "1");
    EXPECT_EQ(mail["authenticated"], "1");
    EXPECT_EQ(mail["part-1.payload"], "hello\r\n");  // the last line ends with the data
}

TEST_F(SmtpSession, ImplicitTlsFromTheFirstByte)
{
    StartServer(Server("implicit", "bob", "pw"));
    CMailSettings settings;
    settings.server = "127.0.0.1";
    settings.port = static_cast<unsigned>(m_server.Port());
    settings.implicitTls = true;
    settings.login = true;
    settings.userName = "bob";
    settings.password = "pw";
    settings.caFile = m_cert.c_str();
    auto message = Message("Implicit", "over 465");
    CSmtp smtp;
    const CMailResult result = SendMail(settings, *message, smtp);
    EXPECT_TRUE(result.sent) << result.text.str();
    EXPECT_EQ(result.text, "The e-mail was sent.");
    ASSERT_TRUE(m_server.WaitForMail(1, 10000));
    EXPECT_EQ(m_server.Received()[0]["tls"], "1");
    EXPECT_EQ(m_server.Received()[0]["authenticated"], "1");
}

TEST_F(SmtpSession, WrongPasswordAndUntrustedCertificateAreReported)
{
    StartServer(Server("starttls", "alice", "right"));
    CMailSettings settings;
    settings.server = "127.0.0.1";
    settings.port = static_cast<unsigned>(m_server.Port());
    settings.login = true;
    settings.userName = "alice";
    settings.password = "wrong-one";
    settings.caFile = m_cert.c_str();
    settings.timeout = 5;
    auto message = Message("x", "y");
    RecordingSmtp smtp;
    const auto start = Clock::now();
    const CMailResult result = SendMail(settings, *message, smtp);
    EXPECT_LT(SecondsSince(start), 5.0);
    EXPECT_FALSE(result.sent);
    EXPECT_NE(result.text.Find("refused the user name or password"), -1) << result.text.str();
    EXPECT_EQ(result.text.Find("wrong-one"), -1);
    EXPECT_EQ(smtp.everything.find("wrong-one"), std::string::npos);
    // A 535 is a warning; the login is tried again only a bounded number of times.
    int logins = 0;
    for (const std::string& command : smtp.commands)
        logins += command == "AUTH LOGIN\r\n";
    EXPECT_GE(logins, 1);
    EXPECT_LE(logins, 3);
    EXPECT_TRUE(m_server.Received().empty());

    // Without the test certificate the server is not trusted: nothing is sent.
    settings.password = "right";
    settings.caFile.Empty();
    CSmtp untrusted;
    const CMailResult refused = SendMail(settings, *message, untrusted);
    EXPECT_FALSE(refused.sent);
    EXPECT_NE(refused.text.Find("certificate was not accepted"), -1) << refused.text.str();
}

TEST_F(SmtpSession, TheLoginIsNotSentWithoutEncryptionUnlessAllowed)
{
    StartServer(Server("plain", "carol", "pw"));
    CMailSettings settings;
    settings.server = "127.0.0.1";
    settings.port = static_cast<unsigned>(m_server.Port());
    settings.login = true;
    settings.userName = "carol";
    settings.password = "pw";
    auto message = Message("x", "y");
    RecordingSmtp refused;
    const CMailResult result = SendMail(settings, *message, refused);
    EXPECT_FALSE(result.sent);
    EXPECT_FALSE(SentBy(refused, "AUTH"));
    EXPECT_NE(result.text.Find("not sent without"), -1) << result.text.str();

    settings.allowLoginWithoutTls = true;
    RecordingSmtp allowed;
    const CMailResult sent = SendMail(settings, *message, allowed);
    EXPECT_TRUE(sent.sent) << sent.text.str();
    EXPECT_TRUE(SentBy(allowed, "AUTH LOGIN"));
    ASSERT_TRUE(m_server.WaitForMail(1, 10000));
    EXPECT_EQ(m_server.Received()[0]["authenticated"], "1");
}

TEST_F(SmtpSession, AQuestionOtherThanUserNameOrPasswordCancelsTheLogin)
{
    StartServer(Server("oddauth"));
    CSmtp smtp;
    smtp.m_userName = "dave";
    smtp.m_password = "pw";
    smtp.m_bAllowLoginWithoutTls = true;
    EXPECT_EQ(smtp.Connect("127.0.0.1", static_cast<unsigned>(m_server.Port())), 1);  // the session stays open
    EXPECT_FALSE(smtp.IsAuthenticated());
    auto message = Message("x", "y");
    EXPECT_EQ(smtp.SendMessage(*message), 530);
    EXPECT_NE(smtp.GetErrorText().Find("something other than the user name"), -1) << smtp.GetErrorText().str();
    smtp.Close();
    const std::string lines = m_folder.read("mail/lines.txt");
    // AUTH LOGIN, "*" at once, and never the user name: after each 530 a bounded number
    // of further attempts.
    EXPECT_EQ(lines.find("ZGF2ZQ=="), std::string::npos) << lines;
    EXPECT_NE(lines.find("AUTH LOGIN\r\n*\r\n"), std::string::npos) << lines;
    size_t attempts = 0;
    for (size_t at = lines.find("AUTH LOGIN"); at != std::string::npos; at = lines.find("AUTH LOGIN", at + 1))
        ++attempts;
    EXPECT_EQ(attempts, 3u);
    EXPECT_NE(lines.find("QUIT\r\n"), std::string::npos);
}

TEST_F(SmtpSession, AServerWithoutEsmtpIsGreetedWithHeloAndAGreetingRefusalEndsTheSession)
{
    StartServer(Server("helo"));
    RecordingSmtp smtp;
    smtp.m_userName = "eve";  // no login follows HELO
    smtp.m_password = "pw";
    smtp.m_bAllowLoginWithoutTls = true;
    ASSERT_EQ(smtp.Connect("127.0.0.1", static_cast<unsigned>(m_server.Port())), 1);
    auto message = Message("Old server", "line one\n.\nline three");
    EXPECT_EQ(smtp.SendMessage(*message), 0) << smtp.GetErrorText().str();
    smtp.Close();
    EXPECT_FALSE(SentBy(smtp, "AUTH"));
    const std::string lines = m_folder.read("mail/lines.txt");
    EXPECT_EQ(lines.rfind("EHLO ", 0), 0u);
    EXPECT_NE(lines.find("\r\nHELO "), std::string::npos);
    EXPECT_NE(lines.find("MAIL FROM:<trader@example.com>\r\nRCPT TO:<trader@example.com>\r\nDATA\r\n"),
              std::string::npos);
    // The lone dot of the text is stuffed; the message ends with the one end-of-data line.
    EXPECT_NE(lines.find("\r\nline one\r\n..\r\nline three\r\n.\r\nQUIT\r\n"), std::string::npos) << lines;

    SmtpTestServer refusing;
    ASSERT_TRUE(refusing.Start(Server("refuse"), m_folder.file("refuse")));
    RecordingSmtp refused;
    EXPECT_EQ(refused.Connect("127.0.0.1", static_cast<unsigned>(refusing.Port())), 0);
    ASSERT_EQ(refused.calls.size(), 1u);
    EXPECT_EQ(refused.calls[0].what, "error");
    EXPECT_EQ(refused.calls[0].code, 554);
    EXPECT_NE(refused.GetErrorText().Find("554 No SMTP service here"), -1) << refused.GetErrorText().str();
}

TEST_F(SmtpSession, RefusedRecipientsAreSkippedAndNoneLeftEndsBeforeData)
{
    StartServer(Server("plain", "", "", {"nobody@example.com"}));
    RecordingSmtp smtp;
    ASSERT_EQ(smtp.Connect("127.0.0.1", static_cast<unsigned>(m_server.Port())), 1);
    auto message = Message("x", "y");
    message->m_recipient = CSmtpAddress("nobody@example.com");
    EXPECT_EQ(smtp.SendMessage(*message), 550);
    EXPECT_FALSE(SentBy(smtp, "DATA"));
    ASSERT_EQ(smtp.calls.size(), 2u);
    EXPECT_EQ(smtp.calls[0].what, "warning");
    EXPECT_EQ(smtp.calls[0].code, 550);
    EXPECT_EQ(smtp.calls[1].what, "error");
    EXPECT_EQ(smtp.calls[1].code, 550);
    EXPECT_NE(smtp.GetErrorText().Find("nobody@example.com"), -1) << smtp.GetErrorText().str();

    // One refused among two: the other gets the message.
    message->m_recipients.emplace_back("someone@example.com");
    EXPECT_EQ(smtp.SendMessage(*message), 0) << smtp.GetErrorText().str();
    smtp.Close();
    ASSERT_TRUE(m_server.WaitForMail(1, 10000));
    EXPECT_EQ(m_server.Received()[0]["rcpt_tos"], "someone@example.com");

    // A message without sender or recipient, or with an address that would add a
    // command, sends nothing at all.
    CSmtp closed;
    auto bad = Message("x", "y");
    bad->m_recipient = CSmtpAddress("a@b.com>\r\nRCPT TO:<c@d.com");
    EXPECT_EQ(closed.SendMessage(*bad), -1);
    bad->m_sender = CSmtpAddress();
    EXPECT_EQ(closed.SendMessage(*bad), -1);
}

TEST_F(SmtpSession, StallingSilentAndClosingServersEndWithinTheTimeOut)
{
    for (const char* mode : {"stall", "silent", "close"}) {
        SmtpTestServer server;
        ASSERT_TRUE(server.Start(Server(mode), m_folder.file(mode)));
        CSmtp smtp;
        smtp.m_nTimeout = 2;
        const auto start = Clock::now();
        EXPECT_EQ(smtp.Connect("127.0.0.1", static_cast<unsigned>(server.Port())), 0) << mode;
        const double took = SecondsSince(start);
        EXPECT_LT(took, 2.0 + 1.5) << mode;
        const CString error = smtp.GetErrorText();
        if (std::string(mode) == "close")
            EXPECT_NE(error.Find("closed the connection"), -1) << error.str();
        else
            EXPECT_NE(error.Find("did not answer within 2 seconds"), -1) << mode << ": " << error.str();
        EXPECT_FALSE(smtp.IsOpen());
    }
    // Nobody listening: told at once.
    CSmtp nobody;
    EXPECT_EQ(nobody.Connect("127.0.0.1", 1), 0);
    EXPECT_NE(nobody.GetErrorText().Find("Cannot connect"), -1);
    EXPECT_EQ(nobody.Connect("no such host.invalid", 25), 0);
    EXPECT_EQ(nobody.Connect("", 25), 0);
}

TEST_F(SmtpSession, TheMailThreadSendsInOrderAndStopsAtOnce)
{
    StartServer(Server("plain"));
    SmtpTestServer stalling;
    ASSERT_TRUE(stalling.Start(Server("stall"), m_folder.file("stall")));
    CMailSettings good;
    good.server = "127.0.0.1";
    good.port = static_cast<unsigned>(m_server.Port());

    std::mutex lock;
    std::condition_variable told;
    std::vector<CMailResult> results;
    const auto record = [&](const CMailResult& result) {
        std::lock_guard<std::mutex> guard(lock);
        results.push_back(result);
        told.notify_all();
    };
    auto queue = std::make_unique<CMailQueue>();
    ASSERT_TRUE(queue->Send(good, Message("first", "1"), record));
    ASSERT_TRUE(queue->Send(good, Message("second", "2"), record));
    {
        std::unique_lock<std::mutex> guard(lock);
        ASSERT_TRUE(told.wait_for(guard, std::chrono::seconds(20), [&] { return results.size() == 2; }));
    }
    EXPECT_TRUE(results[0].sent) << results[0].text.str();
    EXPECT_TRUE(results[1].sent);
    ASSERT_TRUE(m_server.WaitForMail(2, 10000));
    EXPECT_EQ(m_server.Received()[0]["subject"], "first");
    EXPECT_EQ(m_server.Received()[1]["subject"], "second");

    // A session stuck on a stalling server, and one waiting behind it: stopping the
    // thread ends both at once, long before the 30-second time-out.
    CMailSettings stuck = good;
    stuck.port = static_cast<unsigned>(stalling.Port());
    ASSERT_TRUE(queue->Send(stuck, Message("stuck", "3"), record));
    ASSERT_TRUE(queue->Send(good, Message("behind", "4"), record));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(queue->Pending(), 2u);
    const auto start = Clock::now();
    queue->Stop();
    EXPECT_LT(SecondsSince(start), 5.0);
    EXPECT_FALSE(queue->Send(good, Message("late", "5"), record));
    queue.reset();
    std::lock_guard<std::mutex> guard(lock);
    EXPECT_EQ(results.size(), 2u);
    EXPECT_EQ(m_server.Received().size(), 2u);
}

TEST_F(SmtpSession, DisplayNamesWithCommasParenthesesOrAddressesStayOneMailboxEach)
{
    StartServer(Server("plain"));
    const std::string longName = "Equity Trading Desk, Second Floor (North Wing), Attn: Night Shift";
    ASSERT_GT(longName.size(), 58u);
    auto message = Message("Names", "text");
    message->m_sender.m_displayName = "Alerts (QX), Desk";
    message->m_recipient = CSmtpAddress("to@example.com", "Smith, John (Desk)");
    message->m_recipients.emplace_back("bob@example.com", "Bob, victim@example.net");
    message->m_recipients.emplace_back("desk@example.com", longName.c_str());
    RecordingSmtp smtp;
    ASSERT_EQ(smtp.Connect("127.0.0.1", static_cast<unsigned>(m_server.Port())), 1);
    ASSERT_EQ(smtp.SendMessage(*message), 0) << smtp.GetErrorText().str();

    // A line break in a name could start a header line of its own: refused, nothing sent.
    auto broken = Message("Names", "text");
    broken->m_recipient.m_displayName = "Smith\r\nBcc: victim@example.net";
    const size_t commands = smtp.commands.size();
    EXPECT_EQ(smtp.SendMessage(*broken), -1);
    EXPECT_NE(smtp.GetErrorText().Find("cannot be used"), -1) << smtp.GetErrorText().str();
    EXPECT_EQ(smtp.commands.size(), commands);
    smtp.Close();

    ASSERT_TRUE(m_server.WaitForMail(1, 10000));
    auto mail = m_server.Received()[0];
    EXPECT_EQ(mail["defects"], "");
    EXPECT_EQ(mail["rcpt_tos"], "to@example.com\nbob@example.com\ndesk@example.com");
    EXPECT_EQ(mail["to_addresses"], "Smith, John (Desk)|to@example.com\nBob, victim@example.net|bob@example.com\n" +
                                        longName + "|desk@example.com");
    EXPECT_EQ(mail["from_addresses"], "Alerts (QX), Desk|trader@example.com");
    EXPECT_EQ(m_server.Received().size(), 1u);
}

TEST_F(SmtpSession, BlindRecipientsAloneSendNothing)
{
    StartServer(Server("plain"));
    auto message = Message("Hidden", "text");
    message->m_recipient = CSmtpAddress();
    message->m_blindRecipients.emplace_back("hidden@example.com");
    RecordingSmtp smtp;
    ASSERT_EQ(smtp.Connect("127.0.0.1", static_cast<unsigned>(m_server.Port())), 1);
    EXPECT_EQ(smtp.SendMessage(*message), -1);
    EXPECT_FALSE(SentBy(smtp, "MAIL FROM"));

    // With a recipient to name, the blind one gets the message too and is named nowhere.
    message->m_recipients.emplace_back("seen@example.com");
    EXPECT_EQ(smtp.SendMessage(*message), 0) << smtp.GetErrorText().str();
    smtp.Close();
    ASSERT_TRUE(m_server.WaitForMail(1, 10000));
    auto mail = m_server.Received()[0];
    EXPECT_EQ(mail["rcpt_tos"], "seen@example.com\nhidden@example.com");
    EXPECT_EQ(mail["to_addresses"], "|seen@example.com");
    EXPECT_EQ(mail["raw"].find("hidden@"), std::string::npos);
}

TEST_F(SmtpSession, AnUnreadableAttachmentKeepsTheMessageMixedAndIsNamed)
{
    StartServer(Server("plain"));
    m_folder.write("fills.csv", "symbol,price\r\nIBM,101.5\r\n");
    CMailSettings settings;
    settings.server = "127.0.0.1";
    settings.port = static_cast<unsigned>(m_server.Port());

    // A body and an attachment whose file is gone.
    auto message = Message("Report", "See the attachment.");
    message->m_attachments.emplace_back(m_folder.file("missing.pdf").c_str(), nullptr, 0);
    CSmtp smtp;
    CMailResult result = SendMail(settings, *message, smtp);
    EXPECT_TRUE(result.sent) << result.text.str();
    EXPECT_NE(result.text.Find("\"missing.pdf\""), -1) << result.text.str();

    // A body, a readable attachment and an unreadable one between them: the order stays.
    auto three = Message("Report", "See the attachments.");
    three->m_attachments.emplace_back(m_folder.file("gone/chart.png").c_str(), "chart.png", 0);
    three->m_attachments.emplace_back(m_folder.file("fills.csv").c_str(), nullptr, 0);
    CSmtp again;
    result = SendMail(settings, *three, again);
    EXPECT_TRUE(result.sent) << result.text.str();

    ASSERT_TRUE(m_server.WaitForMail(2, 10000));
    auto mail = m_server.Received()[0];
    EXPECT_EQ(mail["defects"], "");
    EXPECT_NE(mail["raw"].find("Content-Type: multipart/mixed"), std::string::npos);
    ASSERT_EQ(mail["parts"], "2");
    EXPECT_EQ(mail["part-1.payload"], "See the attachment.");
    EXPECT_EQ(mail["part-2.type"], "text/plain");
    EXPECT_NE(mail["part-2.payload"].find("\"missing.pdf\" could not be read"), std::string::npos)
        << mail["part-2.payload"];

    mail = m_server.Received()[1];
    ASSERT_EQ(mail["parts"], "3");
    EXPECT_NE(mail["part-2.payload"].find("\"chart.png\" could not be read"), std::string::npos);
    EXPECT_EQ(mail["part-3.filename"], "fills.csv");
    EXPECT_EQ(mail["part-3.payload"], "symbol,price\r\nIBM,101.5\r\n");
}
