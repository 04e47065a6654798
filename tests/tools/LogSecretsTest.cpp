// The texts a client logs, taken as the test broker really sends and takes them: the
// session id, stream token, history key and password that they carry are gone after
// redaction, and the rest of each text stays readable.
#include "BrokerTestClients.h"

#include "platform/core/LogRedaction.h"

#include <gtest/gtest.h>

using namespace qx::testbroker;
using namespace qx::testbroker::testing;

TEST(LogSecrets, RealRequestsAndRepliesOfTheBrokerLoseEverySecret)
{
    TestBrokerOptions options;
    options.password = "Pw-7c1e-only-here";
    std::unique_ptr<CTestBroker> broker = StartBroker(options);
    ASSERT_TRUE(broker);
    ApiClient api(*broker);

    // The login form as the client posts it, and the broker's reply with its cookie.
    const std::vector<std::pair<std::string, std::string>> form = {
        {"userid", "demo"}, {"password", options.password}, {"source", "QX"}, {"version", "0.1.0"}};
    std::string formText;
    for (const auto& [key, value] : form)
        formText += (formText.empty() ? "" : "&") + key + "=" + UrlEncode(value);
    const HttpReply login = api.Post("/apps/100/LogIn", form, false);
    ASSERT_EQ(login.status, 200);
    ASSERT_FALSE(login.setCookie.empty());
    api.cookie = login.setCookie.substr(0, login.setCookie.find(';'));

    std::vector<std::string> texts = {formText, "Set-Cookie: " + login.setCookie, "Cookie: " + api.cookie,
                                      login.body};
    for (const char* name : {"StreamerInfo", "MessageKey", "KeepAlive"})
        texts.push_back(api.Get(std::string("/apps/100/") + name, {{"source", "QX"}, {"version", "0.1.0"}}).body);

    // The stream login line and a history query, with the token and key of the replies.
    TiXmlDocument doc;
    ASSERT_TRUE(api.Api("StreamerInfo", {}, doc));
    qx::protocol::StreamRequest streamLogin;
    streamLogin.userId = XmlText(&doc, "UserId");
    streamLogin.token = XmlText(&doc, "Token");
    texts.push_back(qx::protocol::FormatStreamRequest(streamLogin));
    TiXmlDocument keyDoc;
    ASSERT_TRUE(api.Api("MessageKey", {}, keyDoc));
    texts.push_back("history MSFT: /history?s=MSFT&i=D&f=dtohlcv&e=0&n=20000&b=0&x=0&k=" + XmlText(&keyDoc, "Key"));

    // What the broker handed out is what must not be written.
    std::vector<std::string> secrets = broker->IssuedSecrets();
    ASSERT_EQ(secrets.size(), 3u);  // session id, stream token, history key
    secrets.push_back(options.password);
    std::string all;
    for (const std::string& text : texts)
        all += text + "\n";
    for (const std::string& secret : secrets)
        ASSERT_NE(all.find(secret), std::string::npos) << "the raw texts hold " << secret;

    const std::string redacted = RedactSecrets(all);
    for (const std::string& secret : secrets)
        EXPECT_EQ(redacted.find(secret), std::string::npos) << secret << " in\n" << redacted;
    for (const char* kept : {"<SessionId>***</SessionId>", "<UserId>demo</UserId>", "<Token>***</Token>",
                             "<Key>***</Key>", "userid=demo&password=***&source=QX", "|userid=demo|token=***",
                             "&k=***", "Set-Cookie: ***", "<KeepAlive><ServerTime>"})
        EXPECT_NE(redacted.find(kept), std::string::npos) << kept << " in\n" << redacted;
    char port[32];
    std::snprintf(port, sizeof port, "<Port>%u</Port>", broker->StreamPort());
    EXPECT_NE(redacted.find(port), std::string::npos);
}
