// Kovirta: the program entry. It needs no arguments; files named on the command line (as a file
// manager's "Open with" passes them) are added to the list after the kept list, as dropped files are.
#include "gui/dialogs/about_form.h"
#include "gui/main_form.h"
#include "gui/qt_user_prompts.h"
#include "gui/skin_manager.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QPixmap>

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
    QStringList files;
    for (const QString& argument : QCoreApplication::arguments().mid(1))
        files.append(QFileInfo(argument).absoluteFilePath());
    if (!files.isEmpty())
        mainForm.FilesLvwDropFile(files);
    mainForm.show();
    return QApplication::exec();
}
