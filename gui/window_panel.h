// What the main window asks of each of its panels: the panel's part of a conversion request and
// its part of the fields remembered per device class.
#pragma once

class TInterfaceFieldsShot;
struct TConversionFields;

class TWindowPanel {
public:
    virtual ~TWindowPanel() = default;

    // The panel's fields of a conversion request, as the user left them.
    virtual void FillConversionFields(TConversionFields& fields) const = 0;
    // The panel's remembered fields, for the device class of the snapshot.
    virtual void SaveFields(TInterfaceFieldsShot& shot) const = 0;
    virtual void RestoreFields(const TInterfaceFieldsShot& shot) = 0;

protected:
    TWindowPanel() = default;
    TWindowPanel(const TWindowPanel&) = default;
    TWindowPanel& operator=(const TWindowPanel&) = default;
};
