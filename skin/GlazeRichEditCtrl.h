#pragma once
// A chat text box that shows picture faces. A face is written in text as "/"
// followed by its code; registered codes are shown as their pictures and
// turned back into text when the content is sent.

#include <QRect>
#include <QTextEdit>

class GlazeRichEditCtrl : public QTextEdit {
public:
    explicit GlazeRichEditCtrl(QWidget* parent = nullptr);
    ~GlazeRichEditCtrl() override;

    // Registers a face for the whole process; false when the picture cannot be read.
    static bool AddFace(const QString& code, const QString& image);
    // Inserts the face at the caret; false for a code that is not registered.
    bool InsertFace(const QString& code);
    // The content as text, faces written as "/" + code.
    QString SendMS() const;
    // Appends received text, showing the faces it names.
    void RecMS(const QString& text);
    // Grows the box by (dx, dy) from the place it had before the first Stretch;
    // Normal puts it back there.
    void Stretch(int dx, int dy);
    void Normal();

private:
    QRect m_rcNormal;
    bool m_bStretched = false;
};
