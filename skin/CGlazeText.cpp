#include "skin/CGlazeText.h"

#include <QPainter>

int GlazeTextFlags(unsigned format) {
    int flags = 0;
    if (format & DT_CENTER)
        flags |= Qt::AlignHCenter;
    else if (format & DT_RIGHT)
        flags |= Qt::AlignRight;
    else
        flags |= Qt::AlignLeft;
    // Vertical placement applies to one-line texts only; a text that may wrap
    // starts at the top of its rectangle.
    if (format & DT_SINGLELINE) {
        flags |= Qt::TextSingleLine;
        if (format & DT_VCENTER)
            flags |= Qt::AlignVCenter;
        else if (format & DT_BOTTOM)
            flags |= Qt::AlignBottom;
        else
            flags |= Qt::AlignTop;
    } else {
        flags |= Qt::AlignTop;
        if (format & DT_WORDBREAK)
            flags |= Qt::TextWordWrap;
    }
    // "&x" underlines x and "&&" is one ampersand unless prefixes are off.
    flags |= (format & DT_NOPREFIX) ? 0 : Qt::TextShowMnemonic;
    return flags;
}

void GlazeDrawText(QPainter* dc, const QString& text, const QRect& r, const QColor& colour, unsigned format,
                   enTextShadow kind, const QColor& shadow) {
    if (dc == nullptr || text.isEmpty())
        return;
    const int flags = GlazeTextFlags(format);
    dc->save();
    dc->setPen(shadow);
    if (kind == SHADOW_DROP) {
        dc->drawText(r.translated(1, 1), flags, text);
    } else if (kind == SHADOW_OUTLINE) {
        for (const QPoint d : {QPoint(1, 1), QPoint(1, -1), QPoint(-1, -1), QPoint(-1, 1)})
            dc->drawText(r.translated(d), flags, text);
    }
    dc->setPen(colour);
    dc->drawText(r, flags, text);
    dc->restore();
}
