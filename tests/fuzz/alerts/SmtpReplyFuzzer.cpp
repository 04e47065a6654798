// Arbitrary bytes as what an SMTP server sends, fed to the reply reader in the pieces the
// first bytes choose. The reader never crashes; a complete reply has a three-digit code,
// one text per line read, and a bounded size; the same bytes in other pieces read the same.
#include "alerts/mail/CSmtpReplyReader.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

CSmtpReplyReader Read(const uint8_t* data, size_t size, size_t step)
{
    CSmtpReplyReader reader;
    for (size_t at = 0; at < size; at += step)
        reader.Feed(reinterpret_cast<const char*>(data) + at, std::min(step, size - at));
    return reader;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const size_t step = 1 + data[0] % 64;
    const CSmtpReplyReader whole = Read(data + 1, size - 1, size);
    const CSmtpReplyReader pieces = Read(data + 1, size - 1, step);
    if (whole.GetState() != pieces.GetState() || whole.GetCode() != pieces.GetCode() ||
        whole.GetText() != pieces.GetText() || whole.Leftover() != pieces.Leftover())
        std::abort();
    if (whole.GetState() == CSmtpReplyReader::kComplete) {
        if (whole.GetCode() < 0 || whole.GetCode() > 999 || whole.GetLines().empty())
            std::abort();
        if (whole.GetText().size() > CSmtpReplyReader::kMaxReplyBytes)
            std::abort();
        (void)whole.HasKeyword("STARTTLS");
    } else if (whole.GetCode() != -1 && whole.GetState() != CSmtpReplyReader::kIncomplete) {
        std::abort();
    }
    return 0;
}
