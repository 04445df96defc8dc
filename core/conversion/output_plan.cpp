#include "core/conversion/output_plan.h"

#include "core/media/file_utils.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

// The forms under which a path can meet another naming the same file: its folder's real path
// with its name, and the file's own real path when it exists (a link gives the file it leads
// to). Folded, so that letters compare without regard to case.
QStringList keysOf(const QString& path)
{
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    const QString realFolder = QFileInfo(folder).canonicalFilePath();
    const QString named =
        (realFolder.isEmpty() ? QDir::cleanPath(folder) : realFolder) + QLatin1Char('/') + info.fileName();
    QStringList keys{named.toCaseFolded()};
    const QString real = info.canonicalFilePath();
    if (!real.isEmpty())
        keys.append(real.toCaseFolded());
    return keys;
}

QString folderOf(const QString& path)
{
    const qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.left(cut + 1);
}

TOverwriteDecision skip(TSkipCause cause)
{
    return {TOverwriteAction::Skip, cause};
}

} // namespace

void TFileNameSet::Insert(const QString& path)
{
    for (const QString& key : keysOf(path))
        m_keys.insert(key);
}

bool TFileNameSet::Contains(const QString& path) const
{
    const QStringList keys = keysOf(path);
    return std::any_of(keys.begin(), keys.end(), [this](const QString& key) { return m_keys.contains(key); });
}

bool SameFile(const QString& a, const QString& b)
{
    TFileNameSet names;
    names.Insert(a);
    return names.Contains(b);
}

QString OutputExtension(const QString& fileFormat)
{
    return fileFormat == QLatin1String("psp") ? QStringLiteral(".mp4") : QLatin1Char('.') + fileFormat;
}

QString ReplaceExtension(const QString& path, const QString& extension)
{
    const QString name = FileNameOfPath(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString base = dot < 0 ? path : path.left(path.size() - (name.size() - dot));
    return base + extension;
}

QString PlainOutput(const QString& source, uint8_t outputLocation, const QString& destinationFolder,
                    const QString& extension)
{
    const QString folder = outputLocation == olFolder ? destinationFolder : folderOf(source);
    return folder + ReplaceExtension(FileNameOfPath(source), extension);
}

QString GenerateNewName(const QString& output, const QString& extension,
                        const std::function<bool(const QString&)>& taken)
{
    QString name = output;
    do {
        name = ReplaceExtension(name, QStringLiteral("_1") + extension);
    } while (taken(name));
    return name;
}

QStringList PlanOutputFiles(const QStringList& sources, uint8_t outputLocation, const QString& destinationFolder,
                            const QString& extension, const std::function<bool(const QString&)>& exists)
{
    TFileNameSet listed; // never written over, whether still waiting or converted already
    for (const QString& source : sources) {
        if (exists(source))
            listed.Insert(source);
    }
    TFileNameSet claimed;
    QStringList outputs;
    for (const QString& source : sources) {
        QString output = PlainOutput(source, outputLocation, destinationFolder, extension);
        if (exists(source)) {
            // An output equal to its own source is left to the overwrite decision, which never
            // writes over it.
            const bool otherSource = listed.Contains(output) && !SameFile(output, source);
            if (otherSource || claimed.Contains(output)) {
                output = GenerateNewName(output, extension, [&](const QString& name) {
                    return exists(name) || listed.Contains(name) || claimed.Contains(name);
                });
            }
            claimed.Insert(output);
        }
        outputs.append(output);
    }
    return outputs;
}

TOverwriteDecision DecideOverwrite(TOverwriteMode mode, bool outputIsSource, bool outputExists, bool outputIsFolder,
                                   TOverwriteAnswer answer, bool asked)
{
    if (outputIsSource && (mode == omAsk || mode == omReplace))
        return skip(TSkipCause::OwnSource);
    // A folder under the output's name is never replaced, nor asked about.
    if (outputIsFolder && mode != omNewName)
        return skip(TSkipCause::FolderInTheWay);
    if (!outputExists)
        return {TOverwriteAction::Write};
    switch (mode) {
    case omAsk:
        if (!asked && answer != oaYesAll && answer != oaNoAll)
            return {TOverwriteAction::Ask};
        // Closing the question without an answer keeps the existing file: nothing is lost by asking.
        return answer == oaYes || answer == oaYesAll ? TOverwriteDecision{TOverwriteAction::Write}
                                                     : skip(TSkipCause::KeptByAnswer);
    case omReplace:
        return {TOverwriteAction::Write};
    case omSkip:
        return skip(TSkipCause::KeptBySkip);
    case omNewName:
        return {TOverwriteAction::NewName};
    }
    return {TOverwriteAction::Write};
}
