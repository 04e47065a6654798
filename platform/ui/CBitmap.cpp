#include "platform/ui/CBitmap.h"

#include "platform/ui/CResourceStore.h"

#include <QImage>

#include <cstring>

CBitmap::CBitmap() = default;
CBitmap::~CBitmap() = default;

void CBitmap::Reset()
{
    m_image.reset();
}

QImage* CBitmap::Image() const
{
    return m_image.get();
}

void CBitmap::SetImage(const QImage& image)
{
    m_image = std::make_unique<QImage>(image.convertToFormat(QImage::Format_RGB32));
    m_created = !m_image->isNull();
}

BOOL CBitmap::CreateCompatibleBitmap(CDC*, int width, int height)
{
    if (width <= 0 || height <= 0)
        return FALSE;
    m_image = std::make_unique<QImage>(width, height, QImage::Format_RGB32);
    m_image->fill(Qt::black);
    m_created = true;
    return TRUE;
}

BOOL CBitmap::CreateBitmap(int width, int height, UINT, UINT bitsPerPixel, const void* bits)
{
    if (width <= 0 || height <= 0)
        return FALSE;
    m_image = std::make_unique<QImage>(width, height, QImage::Format_RGB32);
    m_image->fill(Qt::black);
    if (bits && bitsPerPixel == 32)
        for (int y = 0; y < height; ++y)
            std::memcpy(m_image->scanLine(y), static_cast<const uchar*>(bits) + static_cast<size_t>(y) * width * 4,
                        static_cast<size_t>(width) * 4);
    m_created = true;
    return TRUE;
}

BOOL CBitmap::LoadBitmap(UINT resourceId)
{
    const auto* data = CResourceStore::Instance().FindBitmapData(resourceId);
    if (!data)
        return FALSE;
    QImage img;
    if (!img.loadFromData(reinterpret_cast<const uchar*>(data->data()), static_cast<int>(data->size())))
        return FALSE;
    SetImage(img);
    return m_created ? TRUE : FALSE;
}

BOOL CBitmap::LoadFromFile(const char* path)
{
    QImage img;
    if (!path || !img.load(QString::fromUtf8(path)))
        return FALSE;
    SetImage(img);
    return m_created ? TRUE : FALSE;
}

int CBitmap::GetBitmap(BITMAP* info) const
{
    if (!info || !m_image)
        return 0;
    info->bmType = 0;
    info->bmWidth = m_image->width();
    info->bmHeight = m_image->height();
    info->bmWidthBytes = static_cast<LONG>(m_image->bytesPerLine());
    info->bmPlanes = 1;
    info->bmBitsPixel = 32;
    return sizeof(BITMAP);
}

BOOL CBitmap::SaveToFile(const char* path, const char* format) const
{
    if (!m_image || !path)
        return FALSE;
    return m_image->save(QString::fromUtf8(path), format) ? TRUE : FALSE;
}
