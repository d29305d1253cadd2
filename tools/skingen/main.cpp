// skingen: renders every skin bitmap of the suite into <output>/Resource/.
// The artwork is drawn here, deterministically; nothing is downloaded or copied.

#include "tools/skingen/SkinCatalog.h"
#include "tools/skingen/SkinPaint.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>
#include <QSet>
#include <cstdio>

namespace {

// Writes only when the content changed, so an unchanged skin keeps its file
// times and is not copied again by the next install.
bool WriteIfChanged(const QString& path, const QByteArray& bytes) {
    QFile current(path);
    if (current.open(QIODevice::ReadOnly) && current.readAll() == bytes)
        return true;
    current.close();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.commit();
}

// Bitmaps left in the skin folders by an earlier catalog would hide a missing
// file from the tests; they go.
void RemoveStale(const QString& root, const QSet<QString>& wanted) {
    for (const char* folder : {"Resource/儿童界面", "Resource/家长界面"}) {
        QDirIterator it(root + QLatin1Char('/') + QString::fromUtf8(folder), {QStringLiteral("*.bmp")},
                        QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString file = it.next();
            if (!wanted.contains(QDir(root).relativeFilePath(file)))
                QFile::remove(file);
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    // Rendering never needs a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: skingen <folder that receives Resource/>\n");
        return 2;
    }
    const QString root = QDir(args[1]).absolutePath();
    QSet<QString> wanted;
    int failures = 0;
    for (const skin::SkinFile& file : skin::SkinFiles()) {
        const QString relative = QString::fromStdString(file.path);
        wanted.insert(relative);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!skin::RenderSkinFile(file).save(&buffer, "BMP") ||
            !WriteIfChanged(root + QLatin1Char('/') + relative, bytes)) {
            std::fprintf(stderr, "skingen: cannot write %s\n", file.path.c_str());
            ++failures;
        }
    }
    RemoveStale(root, wanted);
    return failures == 0 ? 0 : 1;
}
