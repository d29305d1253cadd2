#pragma once
// The process-wide bitmap cache: every skin file is read from disk once and
// shared by every control that names the same path.

#include <QPixmap>
#include <map>
#include <string>
#include <utility>

class CGlazeLoader {
public:
    static CGlazeLoader& Instance();

    // Cached bitmap for `path` (UTF-8, relative to the current directory unless
    // absolute), read on first use; null when the file cannot be read. The
    // pointer stays valid until ClearGlazeImage.
    const QPixmap* LoadGlazeImage(const char* path);
    // Cached bitmap or null, never touching the disk.
    const QPixmap* FindGlazeImage(const char* path) const;
    void ClearGlazeImage();

    // `image` with every pixel of colour `key` made transparent, built once per
    // bitmap and key and kept until ClearGlazeImage; null for a null image.
    const QPixmap* KeyedImage(const QPixmap* image, const QColor& key);

    virtual ~CGlazeLoader();
    CGlazeLoader(const CGlazeLoader&) = delete;
    CGlazeLoader& operator=(const CGlazeLoader&) = delete;

private:
    CGlazeLoader() = default;

    // Keys compare byte-wise: a path spelt differently (case, "./", separators)
    // is another entry, exactly as the programs name their files.
    std::map<std::string, QPixmap> m_images;
    std::map<std::pair<qint64, QRgb>, QPixmap> m_keyed;
};
