// kovirta-fileinfo FILE...: probes each file with the encoder of this program directory and
// prints the encoder's report and the media record the converter reads from it.
#include "core/media/file_info.h"
#include "core/prompts/user_prompts.h"

#include <QCoreApplication>
#include <QTextStream>

namespace {

// Messages go to standard error; nothing here waits for an answer.
class ConsolePrompts : public TUserPrompts {
public:
    void ShowMessage(const QString& caption, const QString& text, PromptIcon) override
    {
        QTextStream(stderr) << caption << ": " << text << Qt::endl;
    }
    void ShowMessageWithCopy(const QString& caption, const QString& text, PromptIcon icon, const QString&) override
    {
        ShowMessage(caption, text, icon);
    }
    bool AskYesNo(const QString&, const QString&, PromptIcon) override { return false; }
    QString BrowseForFolder() override { return {}; }
    QStringList OpenFiles(const QString&, const QString&) override { return {}; }
    QString OpenFile(const QString&, const QString&) override { return {}; }
    QString SaveFile(const QString&, const QString&, const QString&) override { return {}; }
    TOverwriteAnswer AskOverwrite(const QString&) override { return oaNone; }

protected:
    bool ShellOpenUrl(const QString&) override { return false; }
    bool ShellOpenLocalPath(const QString&) override { return false; }
};

void printRecord(QTextStream& out, const TFileInfo& info)
{
    out << "  FileName:     " << info.FileName << '\n'
        << "  FilePath:     " << info.FilePath << '\n'
        << "  SizeMb:       " << info.SizeMb << '\n'
        << "  Duration:     " << info.Duration << '\n'
        << "  BitRate:      " << info.BitRate << '\n'
        << "  VideoCodec:   " << info.VideoCodec << '\n'
        << "  Resolution:   " << info.Resolution << '\n'
        << "  FrameRate:    " << info.FrameRate << '\n'
        << "  AudioCodec:   " << info.AudioCodec << '\n'
        << "  SamplingRate: " << info.SamplingRate << '\n'
        << "  Channels:     " << info.Channels << '\n'
        << "  AudioBitRate: " << info.AudioBitRate << '\n'
        << "  Supported:    " << (IsUnsupported(info) ? "no" : "yes") << '\n';
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString programDir = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    const QStringList files = QCoreApplication::arguments().mid(1);
    QTextStream out(stdout);
    if (files.isEmpty()) {
        QTextStream(stderr) << "usage: kovirta-fileinfo FILE..." << Qt::endl;
        return 2;
    }
    ConsolePrompts prompts;
    for (const QString& file : files) {
        TFileInfoParser parser(file, programDir, &prompts);
        TFileInfo info;
        parser.Probe(info);
        out << "== " << file << '\n' << "Encoder report:\n";
        for (const QString& line : parser.Output)
            out << "  | " << line << '\n';
        out << "Media record:\n";
        printRecord(out, info);
        out.flush();
    }
    return 0;
}
