// Kovirta: the program entry. It takes no arguments.
#include "gui/main_form.h"
#include "gui/qt_user_prompts.h"
#include "gui/skin_manager.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kovirta"));
    QApplication::setApplicationDisplayName(QStringLiteral("Kovirta"));
    QApplication::setOrganizationName(QStringLiteral("Tovamix"));
    const QString programDir = QCoreApplication::applicationDirPath() + QLatin1Char('/');

    TsSkinManager skinManager;
    skinManager.SetSkinDirectory(programDir + QStringLiteral("Skins"));

    TQtUserPrompts prompts;
    TMainFrm mainForm(programDir, prompts);
    prompts.SetOwner(&mainForm);
    mainForm.show();
    return QApplication::exec();
}
