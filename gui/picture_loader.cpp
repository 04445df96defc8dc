#include "gui/picture_loader.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <csetjmp>
#include <cstdio>

extern "C" {
#include <jpeglib.h>
}

namespace {

enum class Decode { Done, Refused, Broken };

struct JpegErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    volatile bool refused; // read after the jump back
};

void onJpegError(j_common_ptr cinfo)
{
    // A corrupt file ends the decode here instead of the library's exit().
    std::longjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->jump, 1);
}

void ignoreJpegMessage(j_common_ptr)
{}

// Called while the decoder takes in the file: a file of ever more scans is given up early.
void onJpegProgress(j_common_ptr cinfo)
{
    if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxJpegScans) {
        auto* errors = reinterpret_cast<JpegErrorManager*>(cinfo->err);
        errors->refused = true;
        std::longjmp(errors->jump, 1);
    }
}

// Decodes into image. The size is taken from the header and judged before the decoder is
// started, as starting it takes in a progressive file whole, at the size the header claims.
// Holds no C++ objects with destructors while a longjmp can cross it.
Decode decodeJpeg(const unsigned char* data, unsigned long size, QImage& image)
{
    jpeg_decompress_struct cinfo{};
    JpegErrorManager errors{};
    jpeg_progress_mgr progress{};
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onJpegError;
    errors.base.output_message = ignoreJpegMessage;
    progress.progress_monitor = onJpegProgress;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return errors.refused ? Decode::Refused : Decode::Broken;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.progress = &progress;
    jpeg_mem_src(&cinfo, data, size);
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.image_width > static_cast<JDIMENSION>(kMaxPictureSide)
        || cinfo.image_height > static_cast<JDIMENSION>(kMaxPictureSide)) {
        jpeg_destroy_decompress(&cinfo);
        return Decode::Refused;
    }
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_components != 3 || cinfo.output_width == 0 || cinfo.output_height == 0) {
        jpeg_destroy_decompress(&cinfo);
        return Decode::Broken;
    }
    image = QImage(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height), QImage::Format_RGB888);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = image.scanLine(static_cast<int>(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return Decode::Done;
}

// Bitmaps and icons through Qt, with the size read from the header first.
Decode decodeWithQt(const QByteArray& bytes, const char* format, QImage& image)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return Decode::Broken;
    if (size.width() > kMaxPictureSide || size.height() > kMaxPictureSide)
        return Decode::Refused;
    image = reader.read();
    if (image.isNull())
        return Decode::Broken;
    // A header that understated the size is not shown either.
    if (image.width() > kMaxPictureSide || image.height() > kMaxPictureSide)
        return Decode::Refused;
    return Decode::Done;
}

bool isAbsolute(const QString& path)
{
    // A drive letter ("C:\...") or a root names no file below the program directory.
    return path.startsWith(QLatin1Char('/')) || path.startsWith(QLatin1Char('\\'))
        || (path.size() >= 2 && path.at(1) == QLatin1Char(':'));
}

TCataloguePicture withStatus(TPictureStatus status)
{
    return TCataloguePicture{status, {}};
}

} // namespace

TCataloguePicture ReadCataloguePicture(const QString& programDir, const QString& relativePath)
{
    if (relativePath.isEmpty() || isAbsolute(relativePath))
        return withStatus(TPictureStatus::Absent);
    QString relative = relativePath;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/')); // catalogues may use either separator
    const QFileInfo named(programDir + relative);
    if (!named.exists() || named.isDir() || named.size() == 0)
        return withStatus(TPictureStatus::Absent);

    // Links and ".." resolved, the file must still lie below the program directory; and only a
    // plain file is read (a pipe or a device would never end).
    QString home = QFileInfo(programDir).canonicalFilePath();
    if (!home.endsWith(QLatin1Char('/')))
        home += QLatin1Char('/');
    const QString real = named.canonicalFilePath();
    if (home.size() < 2 || !real.startsWith(home))
        return withStatus(TPictureStatus::Refused);
    const QFileInfo file(real);
    if (!file.isFile() || file.size() > kMaxPictureFileBytes)
        return withStatus(TPictureStatus::Refused);

    const QString extension = named.suffix().toLower();
    const bool jpeg = extension == QLatin1String("jpg") || extension == QLatin1String("jpeg");
    const char* qtFormat = extension == QLatin1String("bmp") ? "BMP"
        : extension == QLatin1String("ico")                  ? "ICO"
                                                             : nullptr;
    if (!jpeg && !qtFormat)
        return withStatus(TPictureStatus::Broken);

    QFile input(real);
    if (!input.open(QIODevice::ReadOnly))
        return withStatus(TPictureStatus::Broken);
    const QByteArray bytes = input.read(kMaxPictureFileBytes + 1); // it may have grown since
    if (bytes.size() > kMaxPictureFileBytes)
        return withStatus(TPictureStatus::Refused);
    if (bytes.isEmpty())
        return withStatus(TPictureStatus::Broken);

    QImage image;
    const Decode result = jpeg ? decodeJpeg(reinterpret_cast<const unsigned char*>(bytes.constData()),
                                            static_cast<unsigned long>(bytes.size()), image)
                               : decodeWithQt(bytes, qtFormat, image);
    switch (result) {
    case Decode::Done:
        return TCataloguePicture{TPictureStatus::Loaded, image};
    case Decode::Refused:
        return withStatus(TPictureStatus::Refused);
    case Decode::Broken:
        break;
    }
    return withStatus(TPictureStatus::Broken);
}

QImage LoadCataloguePicture(const QString& programDir, const QString& relativePath)
{
    return ReadCataloguePicture(programDir, relativePath).Image;
}

QImage FitPicture(const QImage& picture, const QSize& box)
{
    if (picture.width() <= box.width() && picture.height() <= box.height())
        return picture;
    return picture.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}
