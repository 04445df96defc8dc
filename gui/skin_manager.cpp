#include "gui/skin_manager.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

TsSkinManager::TsSkinManager()
{
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QPalette palette = QApplication::style()->standardPalette();
    palette.setColor(QPalette::Window, QColor(0xEE, 0xF1, 0xF5));
    palette.setColor(QPalette::Button, QColor(0xE3, 0xE8, 0xEF));
    palette.setColor(QPalette::Highlight, QColor(0x2F, 0x6F, 0xB5));
    QApplication::setPalette(palette);
}

void TsSkinManager::SetSkinDirectory(const QString& directory)
{
    m_skinDirectory = directory;
}
