// Reaching a window's controls by their object names, as the window's own code names them.
#pragma once

#include <QObject>
#include <QString>

#include <stdexcept>
#include <string>

// The child of `window` (at any depth) of type T named `name`. A missing control fails the test
// that asked for it: the exception ends the test body and is reported with the name.
template <class T>
T* control(const QObject& window, const char* name)
{
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        throw std::logic_error(std::string("no control named ") + name + " of type " + T::staticMetaObject.className()
                               + " in " + window.objectName().toStdString());
    return found;
}
