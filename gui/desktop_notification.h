// A notification on the desktop, through the freedesktop notification service on the session's
// D-Bus.
#pragma once

#include <QString>

// Sent without waiting for an answer. Where there is no session bus, or no notification service
// on it, nothing happens.
void SendDesktopNotification(const QString& title, const QString& text);
