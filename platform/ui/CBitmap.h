// A bitmap in memory (32-bit pixels), selectable into a memory DC.
#pragma once

#include "platform/ui/CGdiObject.h"
#include "platform/ui/WinGdi.h"

#include <memory>

class CDC;
class QImage;

class CBitmap : public CGdiObject {
public:
    CBitmap();
    ~CBitmap() override;
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;

    BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
    BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
    // A bitmap of the resource store ("bitmap <id> <file>").
    BOOL LoadBitmap(UINT resourceId);
    BOOL LoadFromFile(const char* path);
    int GetBitmap(BITMAP* info) const;
    BOOL SaveToFile(const char* path, const char* format = nullptr) const;

    QImage* Image() const;
    void SetImage(const QImage& image);

protected:
    void Reset() override;

private:
    std::unique_ptr<QImage> m_image;
};
