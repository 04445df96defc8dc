#include "catalogue/picture_loader.h"

#include "media/file_utils.h"

#include <QFile>
#include <QFileInfo>

#include <csetjmp>
#include <cstdio>

extern "C" {
#include <jpeglib.h>
}

namespace {

struct JpegErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void onJpegError(j_common_ptr cinfo)
{
    // A corrupt file ends the decode here instead of the library's exit().
    std::longjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->jump, 1);
}

void ignoreJpegMessage(j_common_ptr) {}

// Decodes into image; false on any libjpeg error. Holds no C++ objects with destructors while
// a longjmp can cross it.
bool decodeJpeg(const unsigned char* data, unsigned long size, QImage& image)
{
    jpeg_decompress_struct cinfo{};
    JpegErrorManager errors{};
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onJpegError;
    errors.base.output_message = ignoreJpegMessage;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, size);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_components != 3 || cinfo.output_width == 0 || cinfo.output_height == 0
        || cinfo.output_width > 8192 || cinfo.output_height > 8192) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    image = QImage(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height), QImage::Format_RGB888);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = image.scanLine(static_cast<int>(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

bool isAbsolute(const QString& path)
{
    // A drive letter ("C:\...") or a root names no file below the program directory.
    return path.startsWith(QLatin1Char('/')) || path.startsWith(QLatin1Char('\\'))
        || (path.size() >= 2 && path.at(1) == QLatin1Char(':'));
}

} // namespace

QImage DecodeJpegFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    QImage image;
    if (bytes.isEmpty()
        || !decodeJpeg(reinterpret_cast<const unsigned char*>(bytes.constData()), static_cast<unsigned long>(bytes.size()),
                       image))
        return {};
    return image;
}

QImage LoadCataloguePicture(const QString& programDir, const QString& relativePath)
{
    if (relativePath.isEmpty() || isAbsolute(relativePath))
        return {};
    QString relative = relativePath;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/')); // catalogues may use either separator
    const QString path = programDir + relative;
    if (FileSizeOf(path) == 0)
        return {};
    const QString extension = QFileInfo(path).suffix().toLower();
    if (extension == QLatin1String("jpg") || extension == QLatin1String("jpeg"))
        return DecodeJpegFile(path);
    if (extension == QLatin1String("bmp"))
        return QImage(path, "BMP");
    if (extension == QLatin1String("ico"))
        return QImage(path, "ICO");
    return {};
}

QImage FitPicture(const QImage& picture, const QSize& box)
{
    if (picture.width() <= box.width() && picture.height() <= box.height())
        return picture;
    return picture.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}
