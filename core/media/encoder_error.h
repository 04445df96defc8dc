// The encoder's error lines, "Error[code]: text": the code is a stable word to act on, the text is
// for people. Lines from before codes ("Error: text") read with an empty code.
#pragma once

#include <QByteArray>
#include <QString>

struct TEncoderError {
    QString Code; // "disk-full"; empty when the line carries none
    QString Text; // what follows the colon, trimmed

    bool IsEmpty() const { return Code.isEmpty() && Text.isEmpty(); }
    // The line as people read it, without the code: "Error: text".
    QString Line() const;
};

// The error a line holds; empty when the line is not an error line.
TEncoderError ParseEncoderErrorLine(const QString& line);
// The last error line in a piece of the encoder's output.
TEncoderError LastEncoderError(const QByteArray& output);
