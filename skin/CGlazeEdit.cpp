#include "skin/CGlazeEdit.h"

#include <QPalette>

CGlazeEdit::CGlazeEdit(QWidget* parent) : QLineEdit(parent) {
    connect(this, &QLineEdit::textChanged, this, [this] { update(); });
}

CGlazeEdit::~CGlazeEdit() = default;

bool CGlazeEdit::SetImage(const char* path) {
    CGlazeBitmap skin;
    if (!skin.LoadGlazeImage(path))
        return false;
    m_skin = skin;
    setFrame(false);
    ApplyBrush(QBrush(m_skin.GetPixmap().copy(m_skin.GetSourceRect())));
    return true;
}

void CGlazeEdit::SetColor(const QColor& colour) {
    ApplyBrush(QBrush(colour));
}

void CGlazeEdit::ApplyBrush(const QBrush& brush) {
    m_brush = brush;
    QPalette colours = palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        colours.setBrush(group, QPalette::Base, brush);
    setPalette(colours);
    update();
}
