// Logos and device pictures named by the catalogues.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

// Decodes a JPEG file with libjpeg; a null image when the file is not a readable JPEG.
QImage DecodeJpegFile(const QString& path);

// The picture at programDir + relativePath, by its extension: "jpg"/"jpeg" through libjpeg,
// "bmp" and "ico" through Qt. A null image for a missing or empty file, an absolute path, a
// format this platform does not read (Windows metafiles among them) or a file that does not decode.
QImage LoadCataloguePicture(const QString& programDir, const QString& relativePath);

// Scaled down to fit the box keeping its proportions when larger; unchanged when it fits.
QImage FitPicture(const QImage& picture, const QSize& box);
