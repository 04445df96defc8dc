// The video files the list takes by name: the Add dialog's filter and the folder search share
// one table of extensions.
#pragma once

#include <QString>
#include <QStringList>

// The extensions (lower case, without the dot) a folder is searched for, in the order the found
// files are listed.
const QStringList& VideoExtensions();

// The Add dialog's filter as "description|patterns" pairs: "All Supported Formats" with every
// extension, one pair per format, then all files.
QString OpenDialogFilter();
