// The program's look: a built-in style and palette, or a style sheet from the skin directory.
#pragma once

#include <QString>

class TsSkinManager {
public:
    // Applies the built-in skin to the running application.
    TsSkinManager();

    // The folder that holds skins (program directory + "Skins").
    void SetSkinDirectory(const QString& directory);
    QString SkinDirectory() const { return m_skinDirectory; }
    // Applies "<skin directory>/<name>.qss"; false (and the built-in look kept) when it cannot be read.
    bool ApplySkin(const QString& name);

private:
    QString m_skinDirectory;
};
