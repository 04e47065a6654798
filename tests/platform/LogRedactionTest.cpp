// Secrets taken out of logged texts (the protocol document's own request and reply
// texts), and the log file: redacted, bounded, rotated, private.
#include "TempFolder.h"

#include "platform/core/AppLog.h"
#include "platform/core/CRotatingLog.h"
#include "platform/core/LogRedaction.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <thread>
#include <vector>

TEST(LogRedaction, TheProtocolsSecretsGoWhereverTheyStand)
{
    // Replies of LogIn, StreamerInfo and MessageKey as the protocol shows them.
    EXPECT_EQ(RedactSecrets("<LogIn>\n  <SessionId>5f2c9e</SessionId>\n  <UserId>demo</UserId>\n"),
              "<LogIn>\n  <SessionId>***</SessionId>\n  <UserId>demo</UserId>\n");
    EXPECT_EQ(RedactSecrets("<StreamerInfo><Host>127.0.0.1</Host><Port>8444</Port><Token>9ad1</Token>"
                            "<UserId>demo</UserId></StreamerInfo>"),
              "<StreamerInfo><Host>127.0.0.1</Host><Port>8444</Port><Token>***</Token>"
              "<UserId>demo</UserId></StreamerInfo>");
    EXPECT_EQ(RedactSecrets("<MessageKey><Key>3b7e</Key></MessageKey>"), "<MessageKey><Key>***</Key></MessageKey>");
    // Element names are read without regard to case; a reply cut short keeps nothing of it.
    EXPECT_EQ(RedactSecrets("<sessionid>abc</sessionid><TOKEN attr=\"1\">xyz"),
              "<sessionid>***</sessionid><TOKEN attr=\"1\">***");
    // Names that only begin like a secret's stay.
    EXPECT_EQ(RedactSecrets("<KeyWord>a</KeyWord><Tokens>b</Tokens><Key/>"), "<KeyWord>a</KeyWord><Tokens>b</Tokens><Key/>");

    // The stream login clause and the history query.
    EXPECT_EQ(RedactSecrets("|control=false|source=QX|userid=demo|token=9ad1"),
              "|control=false|source=QX|userid=demo|token=***");
    EXPECT_EQ(RedactSecrets("|control=false|source=QX|userid=demo|token=9ad1|S=QUOTE&C=SUBS&P=MSFT"),
              "|control=false|source=QX|userid=demo|token=***|S=QUOTE&C=SUBS&P=MSFT");
    EXPECT_EQ(RedactSecrets("GET /history?s=MSFT&i=D&f=dtohlcv&e=0&n=500&k=3b7e&x=0"),
              "GET /history?s=MSFT&i=D&f=dtohlcv&e=0&n=500&k=***&x=0");
    // The login form, whatever the case of the names; a name inside another word is no key.
    EXPECT_EQ(RedactSecrets("userid=demo&Password=s3cr%20et&source=QX"), "userid=demo&Password=***&source=QX");
    EXPECT_EQ(RedactSecrets("monkey=1&pwd=x"), "monkey=1&pwd=***");
    EXPECT_EQ(RedactSecrets("password=\"two words\" next"), "password=\"***\" next");

    // The session cookie in headers and on its own.
    EXPECT_EQ(RedactSecrets("Set-Cookie: KELVTRADING=5f2c9e; Path=/; Secure; HttpOnly\r\nContent-Type: text/xml"),
              "Set-Cookie: ***\r\nContent-Type: text/xml");
    EXPECT_EQ(RedactSecrets("cookie: KELVTRADING=5f2c9e"), "cookie: ***");
    EXPECT_EQ(RedactSecrets("Authorization: Basic ZGVtbzpkZW1v"), "Authorization: ***");
    EXPECT_EQ(RedactSecrets("sent KELVTRADING=5f2c9e; other=1"), "sent KELVTRADING=***; other=1");

    // Texts without secrets are left alone.
    const std::string plain = "response OrderStatus: 200 <Orders><Order><OrderId>1002</OrderId></Order></Orders>";
    EXPECT_EQ(RedactSecrets(plain), plain);
    EXPECT_EQ(RedactSecrets(""), "");
    EXPECT_EQ(RedactSecrets("token="), "token=");
}

namespace {

std::vector<std::string> LinesOf(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

} // namespace

TEST(RotatingLog, EntriesAreRedactedStampedAndTheFilesStayWithinTheirBounds)
{
    TempFolder folder;
    const std::string path = folder.file("Quorvantelix.log");
    {
        CRotatingLog log(CString(path), 4096, 2);
        ASSERT_TRUE(log.IsOpen());
        log.Write("response LogIn: 200 <SessionId>5f2c9e</SessionId>\n\n");
        const std::string text = folder.read("Quorvantelix.log");
        // "YYYY-MM-DD HH:MM:SS.mmm " and the entry without its trailing line ends.
        ASSERT_EQ(LinesOf(text).size(), 1u);
        EXPECT_EQ(text.substr(24), "response LogIn: 200 <SessionId>***</SessionId>\n");
        EXPECT_EQ(text[4], '-');
        EXPECT_EQ(text[13], ':');
        // Readable by its owner only: it names accounts and orders.
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);

        // Entries of about 120 bytes: some 30 fit a file; 300 of them fill it and two old ones.
        for (int i = 0; i < 300; ++i) {
            char entry[128];
            std::snprintf(entry, sizeof entry, "entry %04d token=%d fill=%070d", i, i, i);
            log.Write(entry);
        }
    }
    namespace fs = std::filesystem;
    EXPECT_TRUE(fs::exists(path + ".1"));
    EXPECT_TRUE(fs::exists(path + ".2"));
    EXPECT_FALSE(fs::exists(path + ".3"));
    for (const std::string& name : {path, path + ".1", path + ".2"})
        EXPECT_LE(fs::file_size(name), 4096u) << name;
    // The newest entries are in the file, the ones before them in ".1", then ".2".
    const std::vector<std::string> current = LinesOf(folder.read("Quorvantelix.log"));
    const std::vector<std::string> older = LinesOf(folder.read("Quorvantelix.log.1"));
    ASSERT_FALSE(current.empty());
    ASSERT_FALSE(older.empty());
    EXPECT_NE(current.back().find("entry 0299 token=***"), std::string::npos) << current.back();
    const int lastOld = std::stoi(older.back().substr(older.back().find("entry ") + 6, 4));
    const int firstNew = std::stoi(current.front().substr(current.front().find("entry ") + 6, 4));
    EXPECT_EQ(firstNew, lastOld + 1);

    // A log opened again appends and rotates on the size it finds.
    CRotatingLog again(CString(path), 4096, 2);
    again.Write("after the restart");
    EXPECT_NE(folder.read("Quorvantelix.log").find("after the restart"), std::string::npos);
}

TEST(RotatingLog, LongEntriesAreCutAndThreadsDoNotMixTheirLines)
{
    TempFolder folder;
    const std::string path = folder.file("q.log");
    auto log = std::make_shared<CRotatingLog>(CString(path), 8 * 1024 * 1024, 1);
    log->Write(std::string(CRotatingLog::kMaxEntryBytes + 500, 'x'));
    std::string text = folder.read("q.log");
    EXPECT_EQ(text.size(), 24 + CRotatingLog::kMaxEntryBytes + std::string(" [cut]\n").size());

    // Lines of the application log go to the installed file from any thread.
    const std::shared_ptr<CRotatingLog> previous = InstallAppLog(log);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 200; ++i)
                AppLog("thread %d line %d password=pw%d", t, i, i);
        });
    for (std::thread& t : threads)
        t.join();
    InstallAppLog(previous);
    text = folder.read("q.log");
    int lines = 0;
    for (const std::string& line : LinesOf(text)) {
        if (line.find("thread ") == std::string::npos)
            continue;
        ++lines;
        EXPECT_NE(line.find(" password=***"), std::string::npos) << line;
    }
    EXPECT_EQ(lines, 800);
    EXPECT_EQ(text.find("pw1"), std::string::npos);
}
