#include "TempFolder.h"

#include "platform/core/CConfigFile.h"
#include "platform/core/CProfile.h"
#include "platform/core/UserDataFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace {
std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Sets or clears an environment variable for one test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name)) {
            m_had = true;
            m_old = old;
        }
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (m_had)
            setenv(m_name.c_str(), m_old.c_str(), 1);
        else
            unsetenv(m_name.c_str());
    }

private:
    std::string m_name;
    bool m_had = false;
    std::string m_old;
};
}  // namespace

TEST(CProfile, MalformedLinesAreSkipped)
{
    CProfile profile;
    profile.LoadFromText("\xEF\xBB\xBF"
                         "orphan=before any section\n"
                         "[Settings]\r\n"
                         "  UserName = alice  \r\n"
                         "no equals sign here\n"
                         "=no key\n"
                         "; comment=ignored\n"
                         "# another=ignored\n"
                         "SmtpPort=25\n"
                         "Bad=12abc\n"
                         "[broken header\n"
                         "Lost=value\n"
                         "[]\n"
                         "AlsoLost=1\n"
                         "[workspace]\n"
                         "Count=-3\n"
                         "Big=4294967295\n"
                         "Huge=99999999999\n"
                         "[SETTINGS]\n"
                         "username=bob\n"
                         "\x01\x02\xff garbage");
    EXPECT_EQ(profile.GetProfileString("Settings", "UserName"), "bob");
    EXPECT_EQ(profile.GetProfileInt("Settings", "SmtpPort", 0), 25);
    EXPECT_EQ(profile.GetProfileInt("Settings", "Bad", 7), 7);
    EXPECT_EQ(profile.GetProfileString("Settings", "comment", "none"), "none");
    EXPECT_EQ(profile.GetProfileString("Settings", "Lost", "none"), "none");
    EXPECT_EQ(profile.GetProfileString("Settings", "AlsoLost", "none"), "none");
    EXPECT_EQ(profile.GetProfileString("", "orphan", "none"), "none");
    EXPECT_EQ(profile.GetProfileInt("WorkSpace", "Count", 0), -3);
    EXPECT_EQ(profile.GetProfileInt("WorkSpace", "Big", 0), -1);
    EXPECT_EQ(profile.GetProfileInt("WorkSpace", "Huge", 5), 5);
    EXPECT_EQ(profile.GetProfileString("RecentFiles", "File1", "dflt"), "dflt");
}

TEST(CProfile, WritesPersistAndRoundTripAwkwardValues)
{
    TempFolder dir;
    const std::string path = dir.file("profile.ini");
    {
        CProfile profile(path.c_str());
        EXPECT_TRUE(profile.WriteProfileString("Settings", "HttpProxy", "proxy:3128"));
        EXPECT_TRUE(profile.WriteProfileInt("Settings", "SmtpPort", 587));
        EXPECT_TRUE(profile.WriteProfileString("RecentFiles", "File1", "/a/b.swp"));
        EXPECT_TRUE(profile.WriteProfileString("WorkSpace", "Note", "line1\nline2\\x\r"));
        EXPECT_TRUE(profile.WriteProfileString("Settings", "Empty", ""));
        EXPECT_FALSE(profile.WriteProfileString("Settings", "bad=key", "x"));
        EXPECT_FALSE(profile.WriteProfileString("Bad]Section", "k", "x"));
        EXPECT_FALSE(profile.WriteProfileString(nullptr, "k", "x"));
    }
    EXPECT_NE(readAll(path).find("[Settings]\nHttpProxy=proxy:3128\n"), std::string::npos);

    CProfile again(path.c_str());
    EXPECT_EQ(again.GetProfileString("settings", "httpproxy"), "proxy:3128");
    EXPECT_EQ(again.GetProfileInt("Settings", "SmtpPort", 25), 587);
    EXPECT_EQ(again.GetProfileString("WorkSpace", "Note"), "line1\nline2\\x\r");
    EXPECT_EQ(again.GetProfileString("Settings", "Empty", "dflt"), "");

    EXPECT_TRUE(again.WriteProfileString("Settings", "HttpProxy", nullptr));
    EXPECT_TRUE(again.WriteProfileString("RecentFiles", nullptr, nullptr));
    CProfile third(path.c_str());
    EXPECT_EQ(third.GetProfileString("Settings", "HttpProxy", "gone"), "gone");
    EXPECT_EQ(third.GetProfileString("RecentFiles", "File1", "gone"), "gone");
    EXPECT_EQ(third.GetProfileInt("Settings", "SmtpPort", 25), 587);

    // A profile whose folder vanished keeps the value in memory and reports failure.
    CProfile orphan(dir.file("missing/profile.ini").c_str());
    EXPECT_FALSE(orphan.WriteProfileString("Settings", "k", "v"));
    EXPECT_EQ(orphan.GetProfileString("Settings", "k"), "v");
}

TEST(CConfigFile, DefaultsCommentsAndMalformedLines)
{
    CConfigFile config;
    EXPECT_EQ(config.GetLoginServer(), "https://127.0.0.1:8443");
    EXPECT_EQ(config.GetApiServer(), "https://127.0.0.1:8443");
    EXPECT_EQ(config.GetStreamerServer(), "127.0.0.1:8444");
    EXPECT_EQ(config.GetHistoryServer(), "https://127.0.0.1:8443");
    EXPECT_EQ(config.GetUpdateFile(), "https://127.0.0.1:8443/update/update.xml");

    config.LoadFromText("# servers\r\n"
                        "\n"
                        "   LoginServer =  https://login.example:443  \r\n"
                        "ApiServer=\n"
                        "just words\n"
                        "=orphan value\n"
                        "   # indented comment = x\n"
                        "StreamerServer=stream.example:9000\n"
                        "StreamerServer=stream2.example:9000\n"
                        "CustomKey=a=b#c\n");
    EXPECT_EQ(config.GetLoginServer(), "https://login.example:443");
    EXPECT_EQ(config.GetApiServer(), "https://127.0.0.1:8443");  // empty keeps the default
    EXPECT_EQ(config.GetStreamerServer(), "stream2.example:9000");
    EXPECT_EQ(config.Get("customkey"), "a=b#c");
    EXPECT_TRUE(config.Has("CustomKey"));
    EXPECT_FALSE(config.Has("UpdateFile"));
    EXPECT_EQ(config.Get("Unknown"), "");
    EXPECT_EQ(config.GetKeys().size(), 3u);

    TempFolder dir;
    EXPECT_FALSE(config.Load(dir.file("config.ini").c_str()));
    EXPECT_EQ(config.GetLoginServer(), "https://127.0.0.1:8443");
    std::ofstream(dir.file("config.ini")) << "HistoryServer=http://hist:80";
    EXPECT_TRUE(config.Load(dir.file("config.ini").c_str()));
    EXPECT_EQ(config.GetHistoryServer(), "http://hist:80");
}

TEST(UserDataFolder, ResolutionOrderAndSubfolders)
{
    {
        ScopedEnv home("HOME", "/home/tester");
        ScopedEnv qx("QX_HOME", nullptr);
        EXPECT_EQ(ResolveUserDataFolder(), "/home/tester/.local/share/Quorvantelix");
        ScopedEnv qx2("QX_HOME", "/data/qx/");
        EXPECT_EQ(ResolveUserDataFolder(), "/data/qx");
        EXPECT_EQ(ResolveUserDataFolder("/opt/mine"), "/opt/mine");
        EXPECT_EQ(ResolveUserDataFolder(""), "/data/qx");
    }

    TempFolder dir;
    const std::string root = dir.file("user/data");
    CString error;
    ASSERT_TRUE(PrepareUserDataFolder(root.c_str(), &error)) << error;
    for (const char* sub : kDataSubfolders)
        EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(root) / sub)) << sub;
    EXPECT_TRUE(PrepareUserDataFolder(root.c_str()));  // again: nothing to do

    std::ofstream(dir.file("plainfile")) << "x";
    EXPECT_FALSE(PrepareUserDataFolder(dir.file("plainfile").c_str(), &error));
    EXPECT_NE(error.Find("plainfile"), -1);
}
