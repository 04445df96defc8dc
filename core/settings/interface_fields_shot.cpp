#include "core/settings/interface_fields_shot.h"

#include "core/catalogue/device_records.h"

namespace {

// A whole number as the store holds it: an integer, or (in text-based stores) its decimal text.
bool readInteger(const QVariant& value, qint32& out)
{
    if (!value.isValid())
        return false;
    if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong
        || value.typeId() == QMetaType::UInt) {
        out = value.toInt();
        return true;
    }
    bool ok = false;
    const int parsed = value.toString().trimmed().toInt(&ok, 10);
    if (ok)
        out = parsed;
    return ok;
}

} // namespace

std::unique_ptr<QSettings> OpenProgramSettings()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tovamix"));
}

int ReadStoredDeviceType()
{
    const auto settings = OpenProgramSettings();
    qint32 stored = 0;
    if (!readInteger(settings->value(QStringLiteral("DeviceType")), stored))
        return 0;
    return stored >= 1 && stored <= 4 ? stored : 0;
}

TInterfaceFieldsShot::TInterfaceFieldsShot(int deviceType)
    : KeyName(DeviceClassKeyName(deviceType)), DeviceType(static_cast<quint8>(deviceType)),
      m_settings(OpenProgramSettings())
{}

TInterfaceFieldsShot::~TInterfaceFieldsShot()
{
    m_settings->setValue(QStringLiteral("DeviceType"), static_cast<qint32>(DeviceType));
    m_settings->sync();
}

bool TInterfaceFieldsShot::WriteFailed() const
{
    m_settings->sync();
    return m_settings->status() != QSettings::NoError;
}

QString TInterfaceFieldsShot::key(const char* name) const
{
    return KeyName + QLatin1Char('/') + QLatin1String(name);
}

QStringList TInterfaceFieldsShot::FieldNames()
{
    QStringList names;
#define KOVIRTA_FIELD_NAME(Type, Name, Fallback) names.append(QStringLiteral(#Name));
    KOVIRTA_INTERFACE_FIELDS(KOVIRTA_FIELD_NAME)
#undef KOVIRTA_FIELD_NAME
    return names;
}

qint32 TInterfaceFieldsShot::read(const char* name, qint32 fallback) const
{
    qint32 value = fallback;
    return readInteger(m_settings->value(key(name)), value) ? value : fallback;
}

bool TInterfaceFieldsShot::read(const char* name, bool fallback) const
{
    qint32 value = 0;
    return readInteger(m_settings->value(key(name)), value) ? value != 0 : fallback;
}

QString TInterfaceFieldsShot::read(const char* name, const QString& fallback) const
{
    const QVariant value = m_settings->value(key(name));
    return value.isValid() ? value.toString() : fallback;
}

void TInterfaceFieldsShot::write(const char* name, qint32 value)
{
    m_settings->setValue(key(name), value);
}

void TInterfaceFieldsShot::write(const char* name, bool value)
{
    m_settings->setValue(key(name), value ? 1 : 0);
}

void TInterfaceFieldsShot::write(const char* name, const QString& value)
{
    m_settings->setValue(key(name), value);
}
