#include "skin/CGlazeSliderCtrl2.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

CGlazeSliderCtrl2::CGlazeSliderCtrl2(Qt::Orientation orientation, QWidget* parent)
    : QSlider(orientation, parent) {
    // Like the system track bar, a vertical slider has its lowest position at
    // the top, and the up key moves towards it.
    if (orientation == Qt::Vertical) {
        setInvertedAppearance(true);
        setInvertedControls(true);
    }
}

CGlazeSliderCtrl2::~CGlazeSliderCtrl2() = default;

void CGlazeSliderCtrl2::SetImage(const char* thumb, const char* channel) {
    m_thumb.LoadGlazeImage(thumb);
    m_channel.LoadGlazeImage(channel);
    update();
}

QRect CGlazeSliderCtrl2::GetThumbRect() const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
}

void CGlazeSliderCtrl2::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect client = rect();
    m_channel.BitBlt(&painter, 0, 0, client.width(), client.height());
    const QRect thumb = GetThumbRect();
    m_thumb.BitBlt(&painter, thumb.left(), thumb.top(), thumb.width(), thumb.height());
}
