#include "skin/CGlazeBitmap.h"

#include "skin/CGlazeLoader.h"

#include <QPainter>
#include <algorithm>

bool CGlazeBitmap::LoadGlazeImage(const char* path, const QRect* source) {
    const QPixmap* image = CGlazeLoader::Instance().LoadGlazeImage(path);
    if (image == nullptr)
        return false;
    m_image = *image;
    m_rcSource = source != nullptr ? *source : image->rect();
    m_bLoaded = true;
    return true;
}

void CGlazeBitmap::BitBlt(QPainter* dc, int x, int y) const {
    BitBlt(dc, x, y, GetWidth(), GetHeight());
}

void CGlazeBitmap::BitBlt(QPainter* dc, int x, int y, int w, int h) const {
    if (!m_bLoaded || dc == nullptr || w <= 0 || h <= 0)
        return;
    dc->drawPixmap(x, y, m_image, m_rcSource.left(), m_rcSource.top(), w, h);
}

void CGlazeBitmap::StretchBlt(QPainter* dc, int x, int y, int w, int h) const {
    StretchBlt(dc, QRect(x, y, w, h));
}

void CGlazeBitmap::StretchBlt(QPainter* dc, const QRect& r) const {
    if (!m_bLoaded || dc == nullptr || r.isEmpty())
        return;
    const bool smooth = dc->testRenderHint(QPainter::SmoothPixmapTransform);
    dc->setRenderHint(QPainter::SmoothPixmapTransform, true);
    dc->drawPixmap(r, m_image, m_rcSource);
    dc->setRenderHint(QPainter::SmoothPixmapTransform, smooth);
}

void CGlazeBitmap::TransparentBlt(QPainter* dc, int x, int y, const QColor& key) const {
    DrawKeyed(dc, QRect(x, y, GetWidth(), GetHeight()), m_rcSource, key);
}

void CGlazeBitmap::TransparentBlt(QPainter* dc, const QRect& r, const QColor& key) const {
    const int w = std::min(r.width(), GetWidth());
    const int h = std::min(r.height(), GetHeight());
    const int dx = std::max(0, (GetWidth() - r.width()) / 2);
    const int dy = std::max(0, (GetHeight() - r.height()) / 2);
    DrawKeyed(dc, QRect(r.left(), r.top(), w, h), QRect(m_rcSource.left() + dx, m_rcSource.top() + dy, w, h),
              key);
}

void CGlazeBitmap::DrawKeyed(QPainter* dc, const QRect& target, const QRect& source,
                             const QColor& key) const {
    if (!m_bLoaded || dc == nullptr || target.isEmpty())
        return;
    const QPixmap* keyed = CGlazeLoader::Instance().KeyedImage(&m_image, key);
    if (keyed != nullptr)
        dc->drawPixmap(target, *keyed, source);
}
