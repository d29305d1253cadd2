#include "tools/glazegallery/Gallery.h"

#include "tools/skingen/SkinCatalog.h"

#include <QPainter>
#include <vector>

namespace gallery {

QImage SkinSheet(const QString& folder) {
    constexpr int kCell = 200;
    constexpr int kLabel = 16;
    constexpr int kColumns = 6;
    const QString prefix = QStringLiteral("Resource/") + folder + QLatin1Char('/');
    std::vector<std::pair<QString, QImage>> tiles;
    for (const skin::SkinFile& file : skin::SkinFiles()) {
        const QString path = QString::fromStdString(file.path);
        if (!path.startsWith(prefix))
            continue;
        QImage image(path);
        if (image.width() > kCell || image.height() > kCell)
            image = image.scaled(kCell, kCell, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        tiles.emplace_back(path.mid(prefix.size()), image);
    }
    const int rows = (static_cast<int>(tiles.size()) + kColumns - 1) / kColumns;
    QImage sheet(kColumns * (kCell + 8) + 8, rows * (kCell + kLabel + 8) + 8, QImage::Format_RGB32);
    sheet.fill(QColor(0xE4, 0xE8, 0xEC));
    QPainter p(&sheet);
    for (std::size_t i = 0; i < tiles.size(); ++i) {
        const int x = 8 + static_cast<int>(i % kColumns) * (kCell + 8);
        const int y = 8 + static_cast<int>(i / kColumns) * (kCell + kLabel + 8);
        const QImage& image = tiles[i].second;
        p.drawImage(x + (kCell - image.width()) / 2, y + (kCell - image.height()) / 2, image);
        p.setPen(QColor(0x33, 0x33, 0x33));
        p.drawText(QRect(x, y + kCell, kCell, kLabel), Qt::AlignCenter, tiles[i].first);
    }
    return sheet;
}

} // namespace gallery
