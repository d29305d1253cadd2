#pragma once
// A combo box whose face is "Combobox.bmp" of the shared skin folder
// (config.ini, chattool/skin); without that file it looks like a plain one.

#include "skin/CGlazeBitmap.h"

#include <QComboBox>

class CGlazeComboBox : public QComboBox {
public:
    explicit CGlazeComboBox(QWidget* parent = nullptr);
    ~CGlazeComboBox() override;

    bool HasFace() const { return m_face.IsLoad(); }

protected:
    // Reads the skin folder and loads its face bitmap.
    bool setImage();
    void paintEvent(QPaintEvent* event) override;

private:
    CGlazeBitmap m_face;
};
