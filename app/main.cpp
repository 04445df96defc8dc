// Kovirta: the program entry. It needs no arguments; files named on the command line (as a file
// manager's "Open with" passes them) are added to the list after the kept list, as dropped files are.
#include "core/media/source_identity.h"
#include "gui/dialogs/about_form.h"
#include "gui/main_form.h"
#include "gui/qt_user_prompts.h"
#include "gui/skin_manager.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kovirta"));
    QApplication::setApplicationDisplayName(QStringLiteral("Kovirta"));
    QApplication::setOrganizationName(QStringLiteral("Tovamix"));
    // The installed desktop entry and icon theme name the windows' icon; a portable copy draws its own.
    QApplication::setDesktopFileName(QStringLiteral("com.tovamix.Kovirta"));
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("kovirta"), QIcon(QPixmap::fromImage(TAboutForm::ProductIcon()))));
    // The real folder of the executable (Qt resolves the link in bin/), so that an installed copy
    // finds its encoder and catalogues beside it.
    const QString programDir = QCoreApplication::applicationDirPath() + QLatin1Char('/');

    TsSkinManager skinManager;
    skinManager.SetSkinDirectory(programDir + QStringLiteral("Skins"));

    TQtUserPrompts prompts;
    TMainFrm mainForm(programDir, prompts);
    prompts.SetOwner(&mainForm);
    // The files as the system named them: a name that is not valid text here is left out (said
    // on standard error) rather than read as a look-alike name of another file.
    QStringList refusals;
    const QStringList files = LocalPathsFromArguments(QList<QByteArray>(argv + 1, argv + argc), &refusals);
    for (const QString& refusal : refusals)
        std::fprintf(stderr, "kovirta: %s\n", refusal.toLocal8Bit().constData());
    if (!files.isEmpty())
        mainForm.FilesLvwDropFile(files);
    mainForm.show();
    return QApplication::exec();
}
