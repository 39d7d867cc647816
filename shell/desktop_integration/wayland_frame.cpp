#include "shell/desktop_integration/wayland_frame.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QVariant>

namespace finbowl {
namespace {

// A running portal answers at once; one still being started may take a
// moment, and one that never answers must not hold up the start for long.
constexpr int kPortalMilliseconds = 1000;

// GNOME's title bar layout ("appmenu:close") as the settings portal gives it
// to Qt's Adwaita frame, or nothing when no portal answers.
QString PortalButtonLayout() {
  QDBusMessage read = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.portal.Desktop"),
      QStringLiteral("/org/freedesktop/portal/desktop"),
      QStringLiteral("org.freedesktop.portal.Settings"), QStringLiteral("Read"));
  read << QStringLiteral("org.gnome.desktop.wm.preferences") << QStringLiteral("button-layout");
  const QDBusMessage reply =
      QDBusConnection::sessionBus().call(read, QDBus::Block, kPortalMilliseconds);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
    return {};
  }
  // Read hands the value back inside a variant inside a variant.
  QVariant value = reply.arguments().constFirst();
  while (value.userType() == qMetaTypeId<QDBusVariant>()) {
    value = value.value<QDBusVariant>().variant();
  }
  return value.toString();
}

// Whether Qt would draw its GNOME frame for a window made now: on one of Qt's
// Wayland platforms (`platform`: wayland, wayland-egl), with no frame named
// by the user (`decoration`, from QT_WAYLAND_DECORATION), and GNOME among the
// colon-separated `desktops` (XDG_CURRENT_DESKTOP), in any case.
bool QtDrawsTheGnomeFrame(const QString& platform, const QByteArray& decoration,
                          const QByteArray& desktops) {
  return platform.startsWith(QStringLiteral("wayland")) && decoration.isEmpty() &&
         desktops.toUpper().split(':').contains("GNOME");
}

}  // namespace

void ChooseWaylandFrame() {
  if (QtDrawsTheGnomeFrame(QGuiApplication::platformName(), qgetenv("QT_WAYLAND_DECORATION"),
                           qgetenv("XDG_CURRENT_DESKTOP")) &&
      PortalButtonLayout().isEmpty()) {
    // Qt reads the name each time it makes a window's frame.
    qputenv("QT_WAYLAND_DECORATION", "bradient");
  }
}

}  // namespace finbowl
