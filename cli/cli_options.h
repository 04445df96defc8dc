// The command line of kovirta-cli, read into what it asks for or into a usage error. A conversion
// request is filled as the window's fields fill it for the same choices (the quality levels'
// values, or the source's own where the catalogue gives none; the screen size of the model).
#pragma once

#include "cli/device_directory.h"
#include "core/conversion/conversion_request.h"

#include <QString>
#include <QStringList>

enum class TCliCommand { Help, Devices, Convert, Info };

struct TCliOptions {
    TCliCommand Command = TCliCommand::Help;
    bool Json = false;
    QStringList Files;
    // devices: the class and manufacturer asked about, as the catalogues name them.
    int DeviceClass = 0;
    QString Manufacturer;
    // convert
    TDevicePath Device;
    TConversionRequest Parameters; // TotalDuration is the caller's, from the probed files
    int Jobs = 1;
};

struct TCliParse {
    TCliOptions Options;
    QString Error;            // empty when the command line was understood
    QStringList CloseMatches; // devices meant most likely, for an unknown or ambiguous device
    bool Ok() const { return Error.isEmpty(); }
};

// args: the arguments after the program's name. stdinIsTerminal: whether "--overwrite ask" can
// ask (without a terminal to answer, it keeps existing outputs).
TCliParse ParseCliArguments(const QStringList& args, const TDeviceDirectory& devices, bool stdinIsTerminal);

// The --help text.
QString CliUsageText();
