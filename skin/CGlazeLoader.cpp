#include "skin/CGlazeLoader.h"

#include <QBitmap>
#include <QCoreApplication>
#include <QImage>

namespace {
// Pixmaps must not outlive the application object; the cache empties itself
// when the application ends, even if the program never called ClearGlazeImage.
void ClearAtExit() {
    CGlazeLoader::Instance().ClearGlazeImage();
}
} // namespace

CGlazeLoader& CGlazeLoader::Instance() {
    static CGlazeLoader loader;
    static const bool registered = [] {
        qAddPostRoutine(ClearAtExit);
        return true;
    }();
    (void)registered;
    return loader;
}

CGlazeLoader::~CGlazeLoader() = default;

const QPixmap* CGlazeLoader::LoadGlazeImage(const char* path) {
    if (path == nullptr || *path == '\0')
        return nullptr;
    auto found = m_images.find(path);
    if (found != m_images.end())
        return &found->second;
    QImage image(QString::fromUtf8(path));
    if (image.isNull())
        return nullptr;
    // Skin files are opaque; a stray alpha channel would blend where the
    // screens expect plain copies.
    if (image.hasAlphaChannel())
        image = image.convertToFormat(QImage::Format_RGB32);
    auto inserted = m_images.emplace(path, QPixmap::fromImage(std::move(image)));
    return &inserted.first->second;
}

const QPixmap* CGlazeLoader::FindGlazeImage(const char* path) const {
    if (path == nullptr)
        return nullptr;
    auto found = m_images.find(path);
    return found == m_images.end() ? nullptr : &found->second;
}

void CGlazeLoader::ClearGlazeImage() {
    m_keyed.clear();
    m_images.clear();
}

const QPixmap* CGlazeLoader::KeyedImage(const QPixmap* image, const QColor& key) {
    if (image == nullptr || image->isNull())
        return nullptr;
    const auto id = std::make_pair(image->cacheKey(), key.rgb());
    auto found = m_keyed.find(id);
    if (found != m_keyed.end())
        return &found->second;
    QPixmap keyed = *image;
    keyed.setMask(image->createMaskFromColor(key, Qt::MaskInColor));
    return &m_keyed.emplace(id, std::move(keyed)).first->second;
}
