// Kovirta: the program entry. It takes no arguments.
#include "app/main_form.h"
#include "app/qt_user_prompts.h"
#include "app/skin_manager.h"

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
