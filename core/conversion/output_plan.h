// Where each file of a batch is written: output names, the plan that keeps the outputs of one batch
// apart, and the overwrite decision for an output that exists. Pure functions and tables.
#pragma once

#include "core/conversion/conversion_request.h"
#include "core/conversion/file_status.h"
#include "core/prompts/user_prompts.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

// Paths gathered so that a path naming one of them is recognised as the file system sees it:
// letters without regard to case (so that a conversion never writes over a file on a disk that
// ignores case), and a folder or file reached through a link counts as the one it leads to.
class TFileNameSet {
public:
    void Insert(const QString& path);
    bool Contains(const QString& path) const;

private:
    QSet<QString> m_keys;
};

// True when the two paths name one file, as TFileNameSet compares them.
bool SameFile(const QString& a, const QString& b);

// The output extension of a batch: "." + the file format, ".mp4" for "psp".
QString OutputExtension(const QString& fileFormat);
// The name with its extension replaced (appended when it has none).
QString ReplaceExtension(const QString& path, const QString& extension);
// The output a source gets when nothing stands in its way: its name with the extension, in its
// own folder or in destinationFolder.
QString PlainOutput(const QString& source, uint8_t outputLocation, const QString& destinationFolder,
                    const QString& extension);

// "No, generate new name": "_1" and the extension take the place of the extension, again and
// again while taken() says the name is taken (clip.mp4, clip_1.mp4, clip_1_1.mp4 ...).
QString GenerateNewName(const QString& output, const QString& extension,
                        const std::function<bool(const QString&)>& taken);

// The output path of every listed source, worked out before the first file starts: PlainOutput.
// A batch never writes over what it made or what it is about to read, so an output that another
// present source would write first, or that names another present listed source, gets a new name
// as GenerateNewName makes it, skipping names that exist. exists() tells whether a path names a
// present file; a source that is not present takes no part. An output that existed before the
// batch keeps its name: the overwrite decision is made about it when its turn comes.
QStringList PlanOutputFiles(const QStringList& sources, uint8_t outputLocation, const QString& destinationFolder,
                            const QString& extension, const std::function<bool(const QString&)>& exists);

enum class TOverwriteAction : quint8 {
    Write,   // convert into the output
    Skip,    // leave the output as it is; see Cause
    NewName, // convert into a new name (GenerateNewName)
    Ask,     // ask the user, then decide again with the answer
};

struct TOverwriteDecision {
    TOverwriteAction Action = TOverwriteAction::Write;
    TSkipCause Cause = TSkipCause::KeptBySkip; // for Skip
    friend bool operator==(const TOverwriteDecision&, const TOverwriteDecision&) = default;
};

// What to do with a file's output: the overwrite mode, whether the output is the source itself,
// whether its name is taken (a non-empty file, a folder or a link), whether a folder has it (no
// mode puts an output there: only a new name gets past it), and the answer that stands (a "for all" answer of the
// batch, or the one just given to the question about this file; oaNone when none was given or
// the question was closed, which keeps the file once asked).
TOverwriteDecision DecideOverwrite(TOverwriteMode mode, bool outputIsSource, bool outputExists, bool outputIsFolder,
                                   TOverwriteAnswer answer, bool asked);
