// Fit-to-screen: the scaled picture size and the black borders that fill the rest of the screen.
#pragma once

#include "core/media/text_convert.h"

#include <QString>

// A screen with no size to fit a picture into.
class EScreenSizeError : public EConvertError {
public:
    using EConvertError::EConvertError;
};

struct TPadResult {
    qint32 TopBottom = 0; // rows above the picture
    qint32 LeftRight = 0; // columns left of the picture
    qint32 Height = 0;    // height the picture is scaled to
    qint32 Width = 0;     // width the picture is scaled to
    // Columns right of and rows below the picture: as many as left and above, or the one or two
    // more that the separately rounded picture and borders leave, so that the frame is exactly
    // the screen.
    qint32 Right = 0;
    qint32 Bottom = 0;
};

// x brought to the nearest whole number, halves going to the even neighbour.
qint32 NearestEven(double x);

// The screen as the device is held for the source: a screen listed taller than wide is a device
// held sideways for video, so it is turned to landscape, unless the source itself is portrait
// (taller than wide as displayed) and fills it best upright. A source size that cannot be read
// leaves the screen as listed.
void OrientScreenToSource(const QString& sourceResolution, qint32& screenWidth, qint32& screenHeight);

class TPadCalculator {
public:
    TPadCalculator(const QString& sourceResolution, qint32 screenWidth, qint32 screenHeight);

    // Throws EConvertError when the source resolution is not "WxH", EScreenSizeError when a screen
    // side is 0 or less (there is no screen to fit into; the conversion of that file fails).
    void Calculate(TPadResult& result) const;

    QString SourceResolution;
    qint32 ScreenWidth;
    qint32 ScreenHeight;
};
