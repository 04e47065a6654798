#include "imaging/CQxImageWMF.h"

#include "imaging/CQxImageWMFCanvas.h"
#include "imaging/CQxImageWMFPlayer.h"

#include <algorithm>
#include <vector>

namespace {

constexpr DWORD kWmf = QXIMAGE_FORMAT_WMF;
constexpr DWORD kPlaceableKey = 0x9AC6CDD7;
constexpr LONG kMaxSide = 4000;
// Logical pixels per inch of the screen the pictures are rendered for.
constexpr LONG kScreenDpi = 96;
constexpr DWORD kEmfSignature = 0x464D4520;  // " EMF"

}  // namespace

CQxImageWMF::CQxImageWMF() : CQxImage(kWmf) {}

CQxImageWMF::~CQxImageWMF() = default;

bool CQxImageWMF::Fail(const char* text)
{
    SetLastErrorText(text);
    return false;
}

bool CQxImageWMF::IsPlaceableHeader(const PlaceableHeader& h, WORD computedChecksum)
{
    return h.key == kPlaceableKey && h.checksum == computedChecksum && h.inch >= 1 && h.inch <= 2540;
}

void CQxImageWMF::ClampMetafileSize(LONG& cx, LONG& cy)
{
    if (cx > kMaxSide) {
        cy = static_cast<LONG>(static_cast<int64_t>(cy) * kMaxSide / cx);
        cx = kMaxSide;
    }
    if (cy > kMaxSide) {
        cx = static_cast<LONG>(static_cast<int64_t>(cx) * kMaxSide / cy);
        cy = kMaxSide;
    }
}

bool CQxImageWMF::Encode(CQxFile* hFile)
{
    if (hFile == nullptr)
        return false;
    return Fail("Save WMF not supported");
}

bool CQxImageWMF::Decode(CQxFile* hFile, LONG nForceWidth, LONG nForceHeight)
{
    if (hFile == nullptr)
        return false;
    m_skipped.clear();
    const int32_t start = hFile->Tell();
    const int32_t total = hFile->Size();
    if (start < 0 || total < start)
        return Fail("corrupted WMF");
    const size_t available = static_cast<size_t>(total - start);

    // Placeable WMF: 22-byte header, then the standard 18-byte header.
    bool isWmf = false;
    std::vector<BYTE> data;
    LONG width = 0;
    LONG height = 0;
    PlaceableHeader ph{};
    int objectCount = 0;
    BYTE raw[40];
    if (hFile->Read(raw, 1, 40) == 40) {
        ph.key = QxGetLE32(raw);
        ph.handle = QxGetLE16(raw + 4);
        ph.left = static_cast<int16_t>(QxGetLE16(raw + 6));
        ph.top = static_cast<int16_t>(QxGetLE16(raw + 8));
        ph.right = static_cast<int16_t>(QxGetLE16(raw + 10));
        ph.bottom = static_cast<int16_t>(QxGetLE16(raw + 12));
        ph.inch = QxGetLE16(raw + 14);
        ph.reserved = QxGetLE32(raw + 16);
        ph.checksum = QxGetLE16(raw + 20);
        WORD sum = 0;
        for (int i = 0; i < 10; ++i)
            sum ^= QxGetLE16(raw + 2 * i);
        const WORD type = QxGetLE16(raw + 22);
        const DWORD words = QxGetLE32(raw + 28);
        if (IsPlaceableHeader(ph, sum) && (type == 1 || type == 2)) {
            // Records beyond the stream are not read; what is there is played.
            const uint64_t bytes = std::min<uint64_t>(static_cast<uint64_t>(words) * 2, available - 22);
            if (bytes >= 18) {
                data.resize(static_cast<size_t>(bytes));
                if (hFile->Seek(start + 22, 0) && hFile->Read(data.data(), 1, data.size()) == data.size()) {
                    isWmf = true;
                    objectCount = QxGetLE16(data.data() + 10);
                    width = static_cast<LONG>((static_cast<int64_t>(ph.right) - ph.left) * kScreenDpi / ph.inch);
                    height = static_cast<LONG>((static_cast<int64_t>(ph.bottom) - ph.top) * kScreenDpi / ph.inch);
                    width = std::abs(width);
                    height = std::abs(height);
                }
            }
        }
    }

    int32_t emfBounds[4] = {};
    if (!isWmf) {
        // Enhanced metafile: the whole stream, header record first.
        if (!hFile->Seek(start, 0) || available < 88)
            return Fail("corrupted WMF");
        data.resize(available);
        if (hFile->Read(data.data(), 1, data.size()) != data.size())
            return Fail("corrupted WMF");
        const DWORD type = QxGetLE32(data.data());
        const DWORD headerSize = QxGetLE32(data.data() + 4);
        if (type != 1 || headerSize < 88 || headerSize > available || QxGetLE32(data.data() + 40) != kEmfSignature)
            return Fail("corrupted WMF");
        for (int i = 0; i < 4; ++i)
            emfBounds[i] = static_cast<int32_t>(QxGetLE32(data.data() + 8 + 4 * i));
        width = static_cast<LONG>(std::clamp<int64_t>(static_cast<int64_t>(emfBounds[2]) - emfBounds[0], 0, 1 << 30));
        height = static_cast<LONG>(std::clamp<int64_t>(static_cast<int64_t>(emfBounds[3]) - emfBounds[1], 0, 1 << 30));
    }

    if (GetEscape())
        return Fail("Cancelled");
    if (width == 0 || height == 0)
        return Fail("empty WMF");
    if (nForceWidth > 0)
        width = nForceWidth;
    if (nForceHeight > 0)
        height = nForceHeight;
    ClampMetafileSize(width, height);
    if (width <= 0 || height <= 0)
        return Fail("empty WMF");

    if (!DecodeSizeAllowed(static_cast<uint64_t>(width), static_cast<uint64_t>(height)))
        return false;
    if (Create(static_cast<DWORD>(width), static_cast<DWORD>(height), 24, kWmf) == nullptr)
        return false;
    Clear(255);  // the window colour
    CQxImageWMFCanvas canvas(*this);
    CQxImageWMFPlayer player(canvas);
    if (isWmf) {
        const size_t headerBytes = static_cast<size_t>(QxGetLE16(data.data() + 2)) * 2;
        if (headerBytes >= 18 && headerBytes <= data.size())
            player.PlayWmf(data.data() + headerBytes, data.size() - headerBytes, objectCount, ph.left, ph.top,
                           ph.right, ph.bottom);
    } else {
        player.PlayEmf(data.data(), data.size());
    }
    m_skipped = player.Skipped();
    if (GetEscape())
        return Fail("Cancelled");
    // Playing costs at most the canvas's work budget, whatever the records ask for.
    if (canvas.BudgetExceeded())
        return Fail("WMF too complex: playback stopped at its work budget");
    return true;
}
