#pragma once
// A view of one cached skin bitmap (or a rectangle of it) with the copy,
// stretch and colour-key operations the skinned controls draw with. The view
// shares the cached bitmap's pixels (QPixmap is implicitly shared), so it keeps
// drawing even after the cache has been cleared.

#include <QColor>
#include <QPixmap>
#include <QRect>

class QPainter;

class CGlazeBitmap {
public:
    CGlazeBitmap() = default;
    CGlazeBitmap(const CGlazeBitmap&) = default;
    CGlazeBitmap& operator=(const CGlazeBitmap&) = default;
    virtual ~CGlazeBitmap() = default;

    // Takes `path` from the process cache; with `source` only that rectangle of
    // it, otherwise the whole bitmap. False, and nothing changed, when the file
    // cannot be read.
    bool LoadGlazeImage(const char* path, const QRect* source = nullptr);

    bool IsLoad() const { return m_bLoaded; }
    const QPixmap& GetPixmap() const { return m_image; }
    int GetWidth() const { return m_rcSource.width(); }
    int GetHeight() const { return m_rcSource.height(); }
    QRect GetSourceRect() const { return m_rcSource; }

    // Every drawing operation does nothing on a bitmap that is not loaded or
    // without a painter.
    void BitBlt(QPainter* dc, int x, int y) const;
    // A w×h area from the source rectangle's top-left, unscaled.
    void BitBlt(QPainter* dc, int x, int y, int w, int h) const;
    void StretchBlt(QPainter* dc, int x, int y, int w, int h) const;
    void StretchBlt(QPainter* dc, const QRect& r) const;
    // The whole source at its own size, leaving out pixels of colour `key`.
    void TransparentBlt(QPainter* dc, int x, int y, const QColor& key) const;
    // Into `r` without scaling: the smaller of both sizes is drawn, taken from
    // the centre of the source when the source is larger.
    void TransparentBlt(QPainter* dc, const QRect& r, const QColor& key) const;

private:
    void DrawKeyed(QPainter* dc, const QRect& target, const QRect& source, const QColor& key) const;

    bool m_bLoaded = false;
    QPixmap m_image;
    QRect m_rcSource;
};
