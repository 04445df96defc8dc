#include "core/conversion/pad_calculator.h"

#include "core/media/text_convert.h"

#include <cmath>
#include <utility>

qint32 NearestEven(double x)
{
    return static_cast<qint32>(std::nearbyint(x)); // the default rounding mode rounds halves to even
}

TPadCalculator::TPadCalculator(const QString& sourceResolution, qint32 screenWidth, qint32 screenHeight)
    : SourceResolution(sourceResolution), ScreenWidth(screenWidth), ScreenHeight(screenHeight)
{}

namespace {

// "WxH" read as two decimal integers; throws EConvertError otherwise.
void readResolution(const QString& text, qint32& width, qint32& height)
{
    const qsizetype x = text.indexOf(QLatin1Char('x'));
    width = StrToInt(x < 0 ? text : text.left(x));
    height = StrToInt(x < 0 ? QString() : text.mid(x + 1));
}

} // namespace

void OrientScreenToSource(const QString& sourceResolution, qint32& screenWidth, qint32& screenHeight)
{
    if (screenHeight <= screenWidth)
        return;
    qint32 sourceWidth = 0;
    qint32 sourceHeight = 0;
    try {
        readResolution(sourceResolution, sourceWidth, sourceHeight);
    } catch (const EConvertError&) {
        return;
    }
    if (sourceHeight <= sourceWidth)
        std::swap(screenWidth, screenHeight);
}

void TPadCalculator::Calculate(TPadResult& result) const
{
    qint32 sourceWidth = 0;
    qint32 sourceHeight = 0;
    readResolution(SourceResolution, sourceWidth, sourceHeight);
    if (ScreenWidth <= 0 || ScreenHeight <= 0) {
        throw EScreenSizeError(QStringLiteral("'%1x%2' is not a valid screen size").arg(ScreenWidth).arg(ScreenHeight));
    }

    const double horizontal = static_cast<double>(sourceWidth) / ScreenWidth;
    const double vertical = static_cast<double>(sourceHeight) / ScreenHeight;
    const double ratio = horizontal > vertical ? horizontal : vertical;
    TPadResult r;
    if (ratio > 1.0) {
        const double w = sourceWidth / ratio;
        const double h = sourceHeight / ratio;
        r.Width = NearestEven(w);
        r.Height = NearestEven(h);
        r.LeftRight = NearestEven((ScreenWidth - w) / 2);
        r.TopBottom = NearestEven((ScreenHeight - h) / 2);
    } else {
        r.Width = sourceWidth;
        r.Height = sourceHeight;
        r.LeftRight = NearestEven((ScreenWidth - sourceWidth) / 2.0);
        r.TopBottom = NearestEven((ScreenHeight - sourceHeight) / 2.0);
    }
    auto odd = [](qint32 v) { return v > 0 && v % 2 == 1; };
    if (odd(r.LeftRight)) {
        r.Width += 2;
        r.LeftRight -= 1;
    }
    if (odd(r.TopBottom)) {
        r.Height += 2;
        r.TopBottom -= 1;
    }
    if (odd(r.Height))
        r.Height -= 1;
    if (odd(r.Width))
        r.Width -= 1;
    // The right and bottom borders take what the rounding left over. On an odd screen side the
    // evened picture can overshoot by a pixel; it gives that pixel back instead.
    r.Right = ScreenWidth - r.Width - r.LeftRight;
    r.Bottom = ScreenHeight - r.Height - r.TopBottom;
    if (r.Right < 0) {
        r.Width += r.Right;
        r.Right = 0;
    }
    if (r.Bottom < 0) {
        r.Height += r.Bottom;
        r.Bottom = 0;
    }
    result = r;
}
