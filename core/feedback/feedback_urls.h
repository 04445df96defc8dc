// The addresses on the vendor's web site that the feedback forms and the help menu open.
#pragma once

#include <QString>

// The site's base address, ending in "/".
QString SiteBaseUrl();

QString ReportBugUrl(const QString& base, const QString& name, const QString& email, const QString& content);

struct TDeviceRequest {
    QString FullName;
    QString Email;
    QString DeviceType;
    QString Manufacturer;
    QString Model;
    QString SpecificationUrl;
    QString Comments;
};
QString RequestDeviceUrl(const QString& base, const TDeviceRequest& request);

QString HomePageUrl(const QString& base);
QString ForumUrl(const QString& base);
