#pragma once

#include "orbel_environment.h"

#include <QByteArray>
#include <QSize>
#include <QString>

#include <QCoroTask>

#include <memory>
#include <optional>

class QWidget;

namespace pelorin::SnapshotWindow {

// The largest side of a picture, in pixels; the raster painter's coordinate
// range ends here, and a taller request is a mistake rather than a picture.
inline constexpr int maximumPictureSide = 32767;

// Whether any step of this process's snapshot has failed; the exit status.
bool failed();
// Marks the snapshot as failed and writes the one failure message,
// "Pelorin snapshot could not be written.\n", to standard error.
void reportFailure();

// Whether the picture may go to `path`: exactly "-" (standard output), or an
// absolute path ending in ".png" (in lower case).
bool isValidOutputPath(const QString &path);

// The size the window hosting `content` takes: its size hint (its height for
// that width when it has one), or, with a proposed height, the same width and
// that height bounded by the content's minimum and maximum heights. `host` is
// the window holding `content` in its layout.
QSize measure(QWidget *host, std::optional<double> proposedHeight);

// Draws `root` offscreen and writes the PNG to `path` ("-" for standard
// output; a file is replaced atomically). Hosts the widget in a window that
// never reaches a screen, sized as `measure` says, waits a fifth of a second
// for it to settle, lays it out and measures it again, and draws it at one
// pixel per unit in `scheme`. Every failure is reported once, through
// reportFailure(), and ends the render.
QCoro::Task<> render(std::unique_ptr<QWidget> root, QString path, orbel::ColorScheme scheme,
                     std::optional<double> proposedHeight);

} // namespace pelorin::SnapshotWindow
