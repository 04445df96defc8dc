// The arithmetic of progress: "time=" figures of the encoder's status text, percentages and
// the time labels of the progress window.
#pragma once

#include <QByteArray>
#include <QString>

struct TChunkTime {
    bool HasTimeKeyword = false; // the chunk holds "time=": the estimate clock stops
    bool HasValue = false;       // something was left to read as the time
    qint32 Tenths = 0;           // output time in tenths of a second
};

// Reads one chunk exactly as it came from the pipe: its first "time=" only, the chunk's last
// two characters dropped, the figure cut at the first blank; "12.3" gives 123, "12" gives 12.
TChunkTime ReadChunkTime(const QByteArray& chunk);

// Percentage of tenths in total, brought to the nearest whole number (halves to even); 0 when
// total is 0. Not clamped.
qint32 PercentOf(qint64 tenths, qint64 total);

// A progress bar's position: values above 100 stand at 100, below 0 at 0.
qint32 BarPosition(qint32 value);

// A clock reading of whole seconds: "m:ss" below an hour ("0:02", "12:40"), "h:mm:ss" from an
// hour on ("1:05:09"). Negative times read "0:00".
QString ClockText(qint64 seconds);
// "Estimated Time: " and the clock of an estimate in tenths of a second, never below the elapsed time.
QString EstimatedTimeText(qint32 estimateTenths, qint32 elapsedSeconds);
// "Time Elapsed: " and the clock.
QString ElapsedTimeText(qint32 elapsedSeconds);
