// The files an add left out of the list, and why: told once, when the add is over.
#pragma once

#include "core/media/file_list_manager.h"

#include <QList>
#include <QString>

class TAddReport {
public:
    // Notes a refused file; an outcome that was listed is left out.
    void Add(const TProbeOutcome& outcome);
    // Notes a file left out because it was in the list already.
    void AddAlreadyListed() { ++m_alreadyListed; }
    bool IsEmpty() const { return m_refused.isEmpty() && m_alreadyListed == 0; }
    // Refused files, which deserve a warning; files already listed are only mentioned.
    bool HasRefusals() const { return !m_refused.isEmpty(); }
    qsizetype Count() const { return m_refused.size(); }
    qsizetype AlreadyListed() const { return m_alreadyListed; }
    const QList<TProbeOutcome>& Refused() const { return m_refused; }

    // One refused file: "Sorry, <reason>: <path>". Several: "<n> files were not added:" and a line
    // "<path>: <reason>" for each of the first kMaxListed, then how many more there are. Files
    // already listed are counted in a sentence of their own after that.
    QString Text() const;
    // "the file was not found", "the file has no video stream", ...; an unreadable file's detail
    // follows in brackets.
    static QString ReasonText(TRefusal refusal, const QString& detail);

    static constexpr qsizetype kMaxListed = 20;

private:
    QString refusedText() const;
    QString alreadyListedText() const;

    QList<TProbeOutcome> m_refused;
    qsizetype m_alreadyListed = 0;
};
