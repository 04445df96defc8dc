// The encoder command line of one file: batch settings joined with the file's media record.
#pragma once

#include "core/conversion/conversion_request.h"
#include "core/media/file_info.h"

#include <QStringList>

class TExecStrCalculator {
public:
    // programDir: the program directory with its trailing separator.
    explicit TExecStrCalculator(const QString& programDir);

    // The whole command line as text: the quoted encoder path, then every option, then the quoted
    // output path. Throws EConvertError when the source's frame size cannot be read.
    QString GetExecString() const;
    // The same pieces as separate arguments (without the program), so that a path holding a blank
    // or a double quote reaches the encoder whole.
    QStringList GetArguments() const;
    QString EncoderPath() const;

    TFileInfo FileInfo;
    TConversionRequest Parameters;
    QString SourceFile;
    QString TargetFile;

private:
    struct Piece {
        QString text;
        QStringList args;
    };
    QList<Piece> Pieces() const;

    QString m_programDir;
};
