// The encoder's reason codes and the converter's words for them: one contract, checked from both ends.
#include "core/conversion/file_status.h"
#include "exit_status.h"

#include <QSet>

#include <gtest/gtest.h>

TEST(ReasonCodes, EveryParticularReasonHasItsOwnWordsAndCode)
{
    QSet<QString> codes;
    for (int i = 0; i <= static_cast<int>(enc::Reason::Stopped); ++i) {
        const auto reason = static_cast<enc::Reason>(i);
        const QString code = QString::fromLatin1(enc::reasonCode(reason));
        SCOPED_TRACE(code.toStdString());
        EXPECT_FALSE(codes.contains(code)); // a word names one reason
        codes.insert(code);
        const QString line = QString::fromStdString(enc::errorLine(reason, "the encoder's text"));
        const TEncoderError parsed = ParseEncoderErrorLine(line);
        EXPECT_EQ(parsed.Code, code);
        EXPECT_EQ(parsed.Line(), QStringLiteral("Error: the encoder's text"));
        // The general reasons show the encoder's text; every particular one has plain words.
        const bool general =
            reason == enc::Reason::Failed || reason == enc::Reason::Usage || reason == enc::Reason::Stopped;
        EXPECT_EQ(FailureReason(parsed) == QStringLiteral("the encoder's text"), general);
    }
}
