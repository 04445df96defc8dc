// Small helpers for building the main window's panels: every control carries the object name
// the window's code and its tests know it by.
#pragma once

#include <QAction>
#include <QComboBox>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QString>
#include <QStringList>

template <typename T>
T* named(T* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// A frame without a border, grouping controls.
inline QFrame* namedPanel(QWidget* parent, const char* name)
{
    return named(new QFrame(parent), name);
}

inline QLabel* heading(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

// The caption of a field: a label beside it under the same parent, whose buddy the field is, so
// that assistive technology reads the caption as the field's label and an "&" in it gives the
// field a keyboard mnemonic.
inline QLabel* fieldLabel(const QString& caption, QWidget* field)
{
    auto* label = new QLabel(caption, field->parentWidget());
    label->setBuddy(field);
    return label;
}

// The name and description assistive technology gives a control whose own text does not say
// enough (a field, a list, a button named only "Edit"); an empty description leaves it unset.
inline void describe(QWidget* control, const QString& name, const QString& description = {})
{
    control->setAccessibleName(name);
    if (!description.isEmpty())
        control->setAccessibleDescription(description);
}

inline QComboBox* dropDownList(QWidget* parent, const char* name, const QStringList& items)
{
    auto* combo = named(new QComboBox(parent), name);
    combo->addItems(items);
    return combo;
}

// A named menu item that runs receiver's handler when chosen.
template <typename Receiver>
QAction* menuItem(QMenu* menu, const char* name, const QString& text, Receiver* receiver, void (Receiver::*handler)())
{
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    QObject::connect(action, &QAction::triggered, receiver, handler);
    return action;
}
