#pragma once
// Text style of a skinned window or control (layout flags, colour, shadow) and
// the free function that draws a text with it.

#include "skin/GlazeTypes.h"

#include <QColor>
#include <QRect>
#include <QString>

class QPainter;

enum enTextShadow { SHADOW_NONE = 0, SHADOW_DROP = 1, SHADOW_OUTLINE = 2 };

// Draws `text` into `r` with the layout flags `format` (DT_*): first the shadow
// passes in `shadow` (kind 1: one copy moved by (+1,+1); kind 2: four copies
// moved diagonally by one pixel), then the text itself in `colour`. The caller
// has chosen the painter's font. An empty text draws nothing.
void GlazeDrawText(QPainter* dc, const QString& text, const QRect& r, const QColor& colour, unsigned format,
                   enTextShadow kind, const QColor& shadow);

// The Qt alignment and text flags that stand for the DT_* layout flags.
int GlazeTextFlags(unsigned format);

class CGlazeText {
public:
    CGlazeText() = default;
    CGlazeText(const CGlazeText&) = default;
    CGlazeText& operator=(const CGlazeText&) = default;
    virtual ~CGlazeText() = default;

    void SetTextAlign(unsigned format) { m_uFormat = format; }
    unsigned GetTextAlign() const { return m_uFormat; }
    void SetTextColor(const QColor& colour) { m_crText = colour; }
    QColor GetTextColor() const { return m_crText; }
    void SetTextShadow(enTextShadow kind, const QColor& colour) {
        m_eShadow = kind;
        m_crShadow = colour;
    }
    enTextShadow GetTextShadow() const { return m_eShadow; }
    QColor GetShadowColor() const { return m_crShadow; }

protected:
    void DrawTextA(QPainter* dc, const QString& text, const QRect& r) const {
        GlazeDrawText(dc, text, r, m_crText, m_uFormat, m_eShadow, m_crShadow);
    }

private:
    unsigned m_uFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    QColor m_crText{0, 0, 0};
    enTextShadow m_eShadow = SHADOW_NONE;
    QColor m_crShadow{255, 255, 255};
};
