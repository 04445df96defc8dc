// Fit-to-screen: the scaled picture size and the black borders that fill the rest of the screen.
#pragma once

#include <QString>

struct TPadResult {
    qint32 TopBottom = 0;   // rows above the picture, and as many below
    qint32 LeftRight = 0;   // columns left of the picture, and as many right
    qint32 Height = 0;      // height the picture is scaled to
    qint32 Width = 0;       // width the picture is scaled to
};

// x brought to the nearest whole number, halves going to the even neighbour.
qint32 NearestEven(double x);

class TPadCalculator {
public:
    TPadCalculator(const QString& sourceResolution, qint32 screenWidth, qint32 screenHeight);

    // Throws EConvertError when the source resolution is not "WxH" or a screen side is 0 or less
    // (there is no screen to fit into; the conversion of that file fails).
    void Calculate(TPadResult& result) const;

    QString SourceResolution;
    qint32 ScreenWidth;
    qint32 ScreenHeight;
};
