// Answers every question about the loaded catalogue by walking its XML document afresh.
#pragma once

#include "core/catalogue/device_records.h"

#include <QStringList>

#include <pugixml.hpp>

#include <stdexcept>

// A catalogue value or structure that cannot be read as the format says.
class ECatalogueError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// How catalogue files are parsed: comments and processing instructions are kept as nodes (so that
// one under the root is seen and refused), white-space-only text is dropped, no DOCTYPE is read.
// An XML declaration is read where one may stand, so that one inside an element fails the load
// instead of vanishing and leaving the texts around it to run together once the file is saved.
constexpr unsigned kCatalogueParseOptions = pugi::parse_cdata | pugi::parse_escapes | pugi::parse_eol
    | pugi::parse_comments | pugi::parse_pi | pugi::parse_declaration;

// The longest value read from a catalogue, in bytes of UTF-8: names, numbers, codec and format
// names and picture paths are all far shorter, and a value without bound would keep the window
// busy for minutes wherever it is shown or measured.
constexpr size_t kMaxCatalogueTextBytes = 1024;

class TDeviceOptionsStorage {
public:
    // document: the main window's document, loaded from fileName; not owned.
    TDeviceOptionsStorage(pugi::xml_document& document, const QString& fileName);
    // Discards the parsed tree; the document object stays.
    ~TDeviceOptionsStorage();
    TDeviceOptionsStorage(const TDeviceOptionsStorage&) = delete;
    TDeviceOptionsStorage& operator=(const TDeviceOptionsStorage&) = delete;

    QStringList GetManufacturerNames() const;
    void GetManufacturer(const QString& name, TDeviceManufacturer& manufacturer) const;
    QStringList GetModelNames(const QString& manufacturerName) const;
    void GetModel(const QString& modelName, const QString& manufacturerName, TDeviceModel& model) const;
    // Writes the document back to FileName as UTF-8 (under a declaration of its own in place of
    // the one read) through a temporary file that takes the file's place only when whole, so that a
    // failure leaves the old file as it was; throws ECatalogueError when it cannot be written.
    void Save() const;
    // Save() when switching to another catalogue: skipped (false) when the file is not writable,
    // as in an installed program directory, and false when the writing fails. It never throws, so
    // that the switch goes on: nothing the program adds to a catalogue is needed to read it again.
    bool WriteBack() const noexcept;

    QString FileName;
    pugi::xml_document& Document;
};
