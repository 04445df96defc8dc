#include "core/feedback/feedback_urls.h"

#include "core/kovirta_config.h"
#include "core/media/file_utils.h"

QString SiteBaseUrl()
{
    return QStringLiteral(KOVIRTA_SITE_URL);
}

QString ReportBugUrl(const QString& base, const QString& name, const QString& email, const QString& content)
{
    return base + QStringLiteral("Feedback/?name=") + UrlEncode(name) + QStringLiteral("&email=") + UrlEncode(email)
        + QStringLiteral("&content=") + UrlEncode(content);
}

QString RequestDeviceUrl(const QString& base, const TDeviceRequest& r)
{
    return base + QStringLiteral("requestdevice/?fullname=") + UrlEncode(r.FullName) + QStringLiteral("&email=")
        + UrlEncode(r.Email) + QStringLiteral("&devicetype=") + UrlEncode(r.DeviceType)
        + QStringLiteral("&manufacturer=") + UrlEncode(r.Manufacturer) + QStringLiteral("&model=") + UrlEncode(r.Model)
        + QStringLiteral("&specUrl=") + UrlEncode(r.SpecificationUrl) + QStringLiteral("&comments=")
        + UrlEncode(r.Comments);
}

QString HomePageUrl(const QString& base)
{
    return base;
}

QString ForumUrl(const QString& base)
{
    return base + QStringLiteral("forum/");
}
