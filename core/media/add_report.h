// The files an add left out of the list, and why: told once, when the add is over.
#pragma once

#include "core/media/file_list_manager.h"

#include <QList>
#include <QString>

class TAddReport {
public:
    // Notes a refused file; an outcome that was listed is left out.
    void Add(const TProbeOutcome& outcome);
    bool IsEmpty() const { return m_refused.isEmpty(); }
    qsizetype Count() const { return m_refused.size(); }
    const QList<TProbeOutcome>& Refused() const { return m_refused; }

    // One refused file: "Sorry, <reason>: <path>". Several: "<n> files were not added:" and a line
    // "<path>: <reason>" for each of the first kMaxListed, then how many more there are.
    QString Text() const;
    // "the file was not found", "the file has no video stream", ...; an unreadable file's detail
    // follows in brackets.
    static QString ReasonText(TRefusal refusal, const QString& detail);

    static constexpr qsizetype kMaxListed = 20;

private:
    QList<TProbeOutcome> m_refused;
};
