// Base64: RFC 4648's test vectors, random round trips checked against OpenSSL's coder,
// white space, and text that is not Base64.
#include "alerts/mail/CBase64.h"

#include <openssl/evp.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// OpenSSL's encoder: a second implementation to compare with.
std::string OpenSslEncode(const std::string& bytes)
{
    std::vector<unsigned char> out(4 * ((bytes.size() + 2) / 3) + 1);
    const int n = EVP_EncodeBlock(out.data(), reinterpret_cast<const unsigned char*>(bytes.data()),
                                  static_cast<int>(bytes.size()));
    return std::string(reinterpret_cast<char*>(out.data()), static_cast<size_t>(n));
}

} // namespace

TEST(Base64, Rfc4648TestVectorsBothWays)
{
    const std::pair<const char*, const char*> vectors[] = {
        {"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},         {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
    };
    for (const auto& [plain, encoded] : vectors) {
        EXPECT_EQ(EncodeBase64(plain), encoded) << plain;
        std::string decoded = "garbage";
        ASSERT_TRUE(DecodeBase64(encoded, decoded)) << encoded;
        EXPECT_EQ(decoded, plain) << encoded;
    }
    // The login prompts of AUTH LOGIN.
    std::string prompt;
    ASSERT_TRUE(DecodeBase64("VXNlcm5hbWU6", prompt));
    EXPECT_EQ(prompt, "Username:");
    ASSERT_TRUE(DecodeBase64("UGFzc3dvcmQ6", prompt));
    EXPECT_EQ(prompt, "Password:");
}

TEST(Base64, RandomBytesRoundTripAndMatchOpenSsl)
{
    std::mt19937 random(20261207);
    for (int round = 0; round < 500; ++round) {
        std::string bytes(random() % 700, '\0');
        for (char& c : bytes)
            c = static_cast<char>(random() & 0xFF);
        const std::string encoded = EncodeBase64(bytes);
        EXPECT_EQ(encoded, OpenSslEncode(bytes)) << round;
        std::string decoded;
        ASSERT_TRUE(DecodeBase64(encoded, decoded)) << round;
        EXPECT_EQ(decoded, bytes) << round;
        // Line breaks and blanks inside change nothing.
        std::string broken;
        for (size_t i = 0; i < encoded.size(); ++i) {
            broken += encoded[i];
            if (i % 19 == 18)
                broken += i % 2 ? "\r\n" : " ";
        }
        ASSERT_TRUE(DecodeBase64(broken, decoded)) << round;
        EXPECT_EQ(decoded, bytes) << round;
    }
}

TEST(Base64, DecodingRefusesWhatIsNotBase64)
{
    std::string out;
    for (const char* bad : {"Zm9v!", "Zm9v-", "Zm=v", "Z===", "Zg==Zg==", "Zg=", "Zm9vY", "Zg==x", "Zm9v\xC1", "=Zm9"}) {
        out = "kept";
        EXPECT_FALSE(DecodeBase64(bad, out)) << bad;
        EXPECT_EQ(out, "kept") << bad;
    }
    CBase64 coder;
    EXPECT_FALSE(coder.Decode(nullptr));
    // A last group without its padding is taken as padded; white space may follow padding.
    ASSERT_TRUE(DecodeBase64("YWI", out));
    EXPECT_EQ(out, "ab");
    ASSERT_TRUE(DecodeBase64("YWI=\r\n", out));
    EXPECT_EQ(out, "ab");
    EXPECT_EQ(EncodeBase64(std::string("\0\xFF", 2)), "AP8=");
}
