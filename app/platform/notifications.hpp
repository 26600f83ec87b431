#pragma once

#include <QObject>
#include <QString>

namespace velmora {

// The application-wide announcements. They carry no object: observers re-read what they need.
class Notifications : public QObject {
    Q_OBJECT
public:
    // An appearance or editing preference changed: views re-read the preferences and redraw.
    static inline const QString preferences = QStringLiteral("velmoraPreferences");
    // The interface language changed: menus and panels re-localise.
    static inline const QString language = QStringLiteral("velmoraLanguage");
    // The library's contents or its pinned list changed: sidebars reload.
    static inline const QString library = QStringLiteral("velmoraLibrary");
    // The outline zoom changed: document windows apply it.
    static inline const QString zoom = QStringLiteral("velmoraZoom");
    // The toolbar was shown, hidden or customised: document windows rebuild theirs.
    static inline const QString toolbar = QStringLiteral("velmoraToolbar");

    // The one hub of the process.
    static Notifications& shared();

    // Announces the named change; a name that is none of the five is still passed to
    // `posted` but reaches no specific signal.
    void post(const QString& name);

signals:
    void posted(const QString& name);
    void preferencesChanged();
    void languageChanged();
    void libraryChanged();
    void zoomChanged();
    void toolbarChanged();

private:
    Notifications() = default;
};

} // namespace velmora
