// Logos and device pictures named by the catalogues.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

// The largest picture read, in pixels a side, and the largest picture file, in bytes: a logo
// box is 107 by 48 pixels, so anything above these is a mistake or an attack, never a logo.
constexpr int kMaxPictureSide = 4096;
constexpr qint64 kMaxPictureFileBytes = 8 * 1024 * 1024;
// A progressive JPEG has a dozen scans or so; thousands of them make a small file that keeps
// the decoder busy for hours.
constexpr int kMaxJpegScans = 256;

enum class TPictureStatus {
    Loaded,
    Absent,  // no file there (missing or empty), or a text that cannot name one below the program directory
    Refused, // turned away before a pixel was decoded: outside the program directory, too large
    Broken,  // a format this platform does not read, or a file that does not decode
};

struct TCataloguePicture {
    TPictureStatus Status = TPictureStatus::Absent;
    QImage Image; // null unless Loaded
};

// The picture at programDir + relativePath ("\" taken as "/"), by its extension: "jpg"/"jpeg"
// through libjpeg, "bmp" and "ico" through Qt. The file is read only when its real path, links
// and ".." resolved, lies below the program directory and it holds at most kMaxPictureFileBytes;
// its pixels are decoded only when its header gives a size within kMaxPictureSide a side.
TCataloguePicture ReadCataloguePicture(const QString& programDir, const QString& relativePath);

// The image of ReadCataloguePicture; null for anything but a loaded picture.
QImage LoadCataloguePicture(const QString& programDir, const QString& relativePath);

// Scaled down to fit the box keeping its proportions when larger; unchanged when it fits.
QImage FitPicture(const QImage& picture, const QSize& box);
