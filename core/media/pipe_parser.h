// Runs the encoder once and keeps everything it wrote to one stream as a list of lines.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class TPipeParser {
public:
    // programDir: the program directory with its trailing separator; the encoder lies below it.
    explicit TPipeParser(const QString& programDir);
    virtual ~TPipeParser() = default;
    TPipeParser(const TPipeParser&) = delete;
    TPipeParser& operator=(const TPipeParser&) = delete;

    // Runs the encoder and replaces Output with the lines of the chosen stream (true: standard
    // error). After a failed start Output is unchanged and Started false; a child still running
    // after TimeoutMs, or when Stopped says so, is killed and its output discarded.
    void Run(bool readStdErr);

    // "a\r\nb\rc\nd" -> a, b, c, d; a break at the very end adds no empty line.
    static QStringList SplitLines(const QByteArray& data);
    // The argument text split at blanks, double quotes keeping a quoted part together.
    static QStringList SplitArguments(const QString& text);

    QString EncoderPath;
    QStringList Output;
    // The argument text appended to the encoder path; it begins with a blank.
    QString Arguments;
    // When not empty, the arguments exactly as the child receives them; Arguments is then only
    // the text form. A path holding a double quote or a blank is never mis-split this way.
    QStringList ArgumentList;
    int TimeoutMs = 60000;
    // Asked while the child runs (from the running thread); true ends the run early.
    std::function<bool()> Stopped;
    // Whether the last run could start the encoder.
    bool Started = false;

    static constexpr size_t kReadPieceBytes = 256;
    // How often Stopped is asked while the child is quiet.
    static constexpr int kStopCheckMs = 50;
};
