// GIF codec (format id 2): single and multi-frame files, transparency,
// comments, loop count, and 24-bit images written as a mosaic of palette tiles.
#pragma once

#include "imaging/CQxImage.h"

#include <cstdio>

class CQxImageGIF : public CQxImage {
public:
    CQxImageGIF();
    CQxImageGIF(const CQxImageGIF& src) = default;
    CQxImageGIF& operator=(const CQxImageGIF& src) = default;
    ~CQxImageGIF() override;

    bool Decode(CQxFile* fp);
    bool Decode(FILE* fp);
    bool Encode(CQxFile* fp);
    bool Encode(FILE* fp);
    bool Encode(CQxFile* fp, CQxImage** pImages, int pagecount, bool bLocalColorMap = false);
    bool Encode(FILE* fp, CQxImage** pImages, int pagecount, bool bLocalColorMap = false);

    void SetLoops(int loops) { m_loops = loops; }
    int GetLoops() const { return m_loops; }
    void SetDisposalMethod(int dm) { m_dispmeth = dm; }
    int GetDisposalMethod() const { return m_dispmeth; }
    void SetComment(const char* sz_comment_in);
    void GetComment(char* sz_comment_out) const;

    // Work of reaching the frame asked for (pixels decoded and painted): a late frame costs
    // every earlier one. Decode fails once the frames up to it would cost more. The default
    // covers about 8 frames of a 4000 x 4000 screen, or 134 of a 1000 x 1000 one.
    static constexpr uint64_t kDefaultFrameWorkBudget = uint64_t{1} << 28;
    void SetFrameWorkBudget(uint64_t units) { m_workBudget = units ? units : kDefaultFrameWorkBudget; }

    struct GraphicControl {
        BYTE flags = 0;
        WORD delay = 0;
        BYTE transIndex = 0;
    };

private:
    struct ScreenInfo;
    bool DecodeFrames(CQxFile* fp, const ScreenInfo& screen);
    bool ReadExtension(CQxFile* fp, bool& haveGce);
    bool SkipStray(CQxFile* fp, int c);
    enum class Block { Image, Other, End };
    // Reads one block: an image descriptor (its 9 bytes go to d), an extension or a
    // stray byte (Other), or End at the trailer, the end of the data or a broken block.
    Block ReadBlock(CQxFile* fp, bool& haveGce, BYTE (&d)[9]);
    bool ComposeFrame(CQxImageGIF& result, CQxImageGIF& frame, const RGBQUAD* pal, DWORD left, DWORD top,
                      int frameTrans, BYTE clearIndex, bool first, int prevDisposal, const DWORD* prevRect,
                      int& firstTrans);
    int CountFrames(CQxFile* fp);
    // Pays for work of the frames; false, with the error text, past the budget.
    bool ChargeWork(uint64_t units);

    bool WriteHeader(CQxFile* fp, CQxImage& img);
    bool WriteControl(CQxFile* fp, CQxImage& img, int dispmeth);
    bool WriteComment(CQxFile* fp);
    bool WriteLoops(CQxFile* fp, int loops);
    bool WriteImage(CQxFile* fp, CQxImage& img, bool localColorMap);
    bool WriteMosaic(CQxFile* fp);
    bool Finish(CQxFile* fp, bool ok);

    GraphicControl m_gce;
    char m_comment[256] = {};
    int m_loops = 0;
    int m_dispmeth = 0;
    DWORD m_screenWidth = 0;
    DWORD m_screenHeight = 0;
    uint64_t m_workBudget = kDefaultFrameWorkBudget;
    uint64_t m_work = 0;
};
