#include "imaging/CQxImageTransformNearest.h"

CQxImageTransformNearest::CQxImageTransformNearest(CQxImage& target)
    : m_target(target)
{
}
