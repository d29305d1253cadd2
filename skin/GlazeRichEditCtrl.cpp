#include "skin/GlazeRichEditCtrl.h"

#include "skin/CGlazeBitmap.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <map>

namespace {
constexpr int kFaceCodeProperty = QTextFormat::UserProperty + 1;

std::map<QString, QString>& Faces() {
    static std::map<QString, QString> faces;
    return faces;
}

QUrl FaceUrl(const QString& code) {
    return QUrl(QStringLiteral("glazeface:") + code);
}

// The longest registered code that starts at `from`, or an empty text.
QString FaceAt(const QString& text, qsizetype from) {
    QString best;
    for (const auto& [code, image] : Faces()) {
        if (code.size() > best.size() && QStringView(text).mid(from).startsWith(code))
            best = code;
    }
    return best;
}
} // namespace

GlazeRichEditCtrl::GlazeRichEditCtrl(QWidget* parent) : QTextEdit(parent) {}

GlazeRichEditCtrl::~GlazeRichEditCtrl() = default;

bool GlazeRichEditCtrl::AddFace(const QString& code, const QString& image) {
    CGlazeBitmap picture;
    if (code.isEmpty() || !picture.LoadGlazeImage(image.toUtf8().constData()))
        return false;
    Faces()[code] = image;
    return true;
}

bool GlazeRichEditCtrl::InsertFace(const QString& code) {
    auto found = Faces().find(code);
    if (found == Faces().end())
        return false;
    CGlazeBitmap picture;
    if (!picture.LoadGlazeImage(found->second.toUtf8().constData()))
        return false;
    document()->addResource(QTextDocument::ImageResource, FaceUrl(code), picture.GetPixmap());
    QTextImageFormat face;
    face.setName(FaceUrl(code).toString());
    face.setProperty(kFaceCodeProperty, code);
    textCursor().insertImage(face);
    return true;
}

QString GlazeRichEditCtrl::SendMS() const {
    QString out;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (block != document()->begin())
            out += QLatin1Char('\n');
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            // Equal faces side by side share one fragment, one character each.
            if (format.isImageFormat() && format.hasProperty(kFaceCodeProperty))
                out +=
                    (QLatin1Char('/') + format.stringProperty(kFaceCodeProperty)).repeated(fragment.length());
            else
                out += fragment.text();
        }
    }
    return out;
}

void GlazeRichEditCtrl::RecMS(const QString& text) {
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    setTextCursor(end);
    QString plain;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QString code = text[i] == QLatin1Char('/') ? FaceAt(text, i + 1) : QString();
        if (code.isEmpty()) {
            plain += text[i];
            continue;
        }
        textCursor().insertText(plain);
        plain.clear();
        InsertFace(code);
        i += code.size();
    }
    textCursor().insertText(plain);
}

void GlazeRichEditCtrl::Stretch(int dx, int dy) {
    if (!m_bStretched) {
        m_rcNormal = geometry();
        m_bStretched = true;
    }
    setGeometry(m_rcNormal.adjusted(0, 0, dx, dy));
}

void GlazeRichEditCtrl::Normal() {
    if (!m_bStretched)
        return;
    setGeometry(m_rcNormal);
    m_bStretched = false;
}
