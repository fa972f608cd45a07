#pragma once

// A skin picture at its stated pixel size, and the variant drawn at twice that size for screens
// whose device pixel ratio is above 1. Sizes, window shapes and hit tests always come from the
// stated picture, in device-independent pixels, so the layout is the same on every screen; only
// drawing uses the finer variant.

#include <QImage>
#include <QRect>
#include <QString>

class QPainter;

namespace lxtv::toolkit {

class Picture {
  public:
    Picture() = default;
    // A plain image is a picture without a finer variant. A variant that is not exactly twice
    // the image's size is dropped: drawn into the image's place it would look distorted.
    Picture(const QImage& image, const QImage& fine = QImage());  // NOLINT: implicit on purpose

    // The file and its variant beside it, named with "@2x" before the extension:
    // "buttons/a.gif" and "buttons/a@2x.gif". A missing variant is no error.
    static Picture load(const QString& path);
    // The file name of a picture's variant, for readers of raw bytes.
    static QString fineName(const QString& path);

    const QImage& image() const { return image_; }
    const QImage& fine() const { return fine_; }
    bool isNull() const { return image_.isNull(); }
    QSize size() const { return image_.size(); }
    qint64 cacheKey() const { return image_.cacheKey(); }

    // The image to draw on a device of this pixel ratio.
    const QImage& forRatio(qreal ratio) const;
    // Draws into `target` (device-independent pixels) the image for the painter's device.
    void draw(QPainter& painter, const QRect& target) const;

  private:
    QImage image_;
    QImage fine_;  // twice image_'s size, with a device pixel ratio of 2; null when none
};

}  // namespace lxtv::toolkit
