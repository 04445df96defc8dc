// The program's look: a built-in style and palette; the skin directory it remembers is where skins live.
#pragma once

#include <QString>

class TsSkinManager {
public:
    // Applies the built-in skin to the running application.
    TsSkinManager();

    // The folder that holds skins (program directory + "Skins").
    void SetSkinDirectory(const QString& directory);
    QString SkinDirectory() const { return m_skinDirectory; }

private:
    QString m_skinDirectory;
};
