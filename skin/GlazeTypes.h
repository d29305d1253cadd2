#pragma once
// Small vocabulary shared by every skinned control: colours written the way the
// suite's screens are described (RGB triples packed 0x00BBGGRR), the text
// layout flags of the skin's text drawing, and the layered-window flags.

#include <QColor>
#include <cstdint>

using COLORREF = std::uint32_t;

constexpr COLORREF RGB(int r, int g, int b) {
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

inline QColor ToQColor(COLORREF c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

inline COLORREF ToColorRef(const QColor& c) {
    return RGB(c.red(), c.green(), c.blue());
}

// Pixels of this colour are left out by transparent copies and by windows that
// use it as their colour key.
inline const QColor kGlazeColorKey{255, 0, 255};

// Text layout flags; the values are those the suite's screens are written with
// (0x25 = centred on one line, 20 = top-aligned with word wrap).
enum : unsigned {
    DT_TOP = 0x0000,
    DT_LEFT = 0x0000,
    DT_CENTER = 0x0001,
    DT_RIGHT = 0x0002,
    DT_VCENTER = 0x0004,
    DT_BOTTOM = 0x0008,
    DT_WORDBREAK = 0x0010,
    DT_SINGLELINE = 0x0020,
    DT_NOPREFIX = 0x0800,
};

// Flags of CGlazeDialog::SetLayeredWindowAttributes.
enum : unsigned {
    LWA_COLORKEY = 0x1,
    LWA_ALPHA = 0x2,
};
