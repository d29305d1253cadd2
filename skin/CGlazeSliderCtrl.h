#pragma once
// A horizontal slider drawn entirely by itself and dragged with the mouse; the
// owner learns each new position through a callback.

#include <QWidget>

class CGlazeSliderCtrl : public QWidget {
public:
    using Callback = void (*)(int);

    explicit CGlazeSliderCtrl(QWidget* parent = nullptr);
    ~CGlazeSliderCtrl() override;

    void InitSlider(Callback onChange) { m_pCallback = onChange; }
    // Positions run from 0 to `range`.
    void SetRange(int range);
    int GetRange() const { return m_nRange; }
    void SetPos(int pos);
    int GetPos() const { return m_nPos; }
    void SetDisable(bool disable);

protected:
    virtual void DrawItem(QPainter& dc);
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void TrackTo(int x);
    QRect GrooveRect() const;

    Callback m_pCallback = nullptr;
    int m_nRange = 100;
    int m_nPos = 0;
};
