#include "conversion/pad_calculator.h"

#include "media/text_convert.h"

#include <cmath>

qint32 NearestEven(double x)
{
    return static_cast<qint32>(std::nearbyint(x)); // the default rounding mode rounds halves to even
}

TPadCalculator::TPadCalculator(const QString& sourceResolution, qint32 screenWidth, qint32 screenHeight)
    : SourceResolution(sourceResolution), ScreenWidth(screenWidth), ScreenHeight(screenHeight)
{
}

void TPadCalculator::Calculate(TPadResult& result) const
{
    const qsizetype x = SourceResolution.indexOf(QLatin1Char('x'));
    const qint32 sourceWidth = StrToInt(x < 0 ? SourceResolution : SourceResolution.left(x));
    const qint32 sourceHeight = StrToInt(x < 0 ? QString() : SourceResolution.mid(x + 1));
    if (ScreenWidth <= 0 || ScreenHeight <= 0) {
        throw EConvertError(QStringLiteral("'%1x%2' is not a valid screen size").arg(ScreenWidth).arg(ScreenHeight));
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
    result = r;
}
