// Small helpers for windows laid out at fixed positions.
#pragma once

#include <QLabel>
#include <QString>

// Dialogs of a fixed size with a title bar holding only the close box.
inline constexpr Qt::WindowFlags kFixedDialogFlags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint
    | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

// A label at (left, top), sized to its text, named as the window refers to it.
inline QLabel* placedLabel(QWidget* parent, const QString& name, const QString& text, int left, int top)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->move(left, top);
    label->adjustSize();
    return label;
}
