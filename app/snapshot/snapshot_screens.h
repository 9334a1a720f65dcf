#pragma once

#include "orbel_environment.h"
#include "session_facts.h"

#include <QLocale>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace pelorin {

class AppModel;

// What a screen drawn for a snapshot is given besides the model.
struct SnapshotScreenOptions {
    // Colour scheme and text size as asked for. Motion is always reduced in a
    // snapshot, so nothing animates while the picture settles.
    orbel::OrbelEnvironment environment;
    // The locale as given on the command line (an ICU or Qt identifier such
    // as "de", "de_DE" or "en-GB-u-hc-h12"), or the system locale's name.
    // Dates and spans go through ICU with this identifier as it stands.
    QString localeIdentifier;
    // The panel's forced maximum height; absent means the screen's limit.
    std::optional<double> panelHeight;
    // The session and the master switch the picture shows.
    SessionFacts session;

    QLocale locale() const { return QLocale(localeIdentifier); }
};

// Builds one screen over the model, ready to be drawn. The renderer takes
// ownership of the widget, puts it into an offscreen window of its own, sizes
// that window to the widget's size hint (its height for width when it has
// one) and, with a proposed height, to that height bounded by the widget's
// minimum and maximum sizes and size policy. Returning null means the screen
// cannot be drawn.
using SnapshotScreenFactory = std::function<QWidget *(AppModel &model, const SnapshotScreenOptions &options)>;

// The screens a snapshot can draw, and how the texts of a language are
// brought in. An empty factory means that screen is not available: a run that
// asks for it fails with the usual message rather than drawing another screen.
struct SnapshotScreens {
    SnapshotScreenFactory panel;
    SnapshotScreenFactory preferences;
    SnapshotScreenFactory welcome;
    // Puts the program's translation for the locale identifier in place of
    // the one loaded at start, when there is one. Called once, before any
    // screen is built.
    std::function<void(const QString &localeIdentifier)> installTranslations;
};

// The program's own screens.
SnapshotScreens defaultSnapshotScreens();

} // namespace pelorin
