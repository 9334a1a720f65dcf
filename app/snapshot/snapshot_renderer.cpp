#include "snapshot_renderer.h"

#include "brand_palette.h"
#include "regular_file.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QImageWriter>
#include <QPalette>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <QCoroTimer>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>

#include <poll.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace pelorin::SnapshotWindow {

namespace {

bool s_failed = false;

// The dark desktop appearance for the plain Qt widgets inside a screen (scroll
// bars, for one); the kit's own widgets follow the environment instead. The
// light appearance is the application's own palette.
QPalette darkPalette()
{
    const QColor window = orbel::BrandPalette::background(orbel::ColorScheme::Dark);
    QPalette palette(window.lighter(160), window);
    palette.setColor(QPalette::Highlight, orbel::BrandPalette::systemAccent(orbel::ColorScheme::Dark));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    return palette;
}

bool isDrawable(const QSize &size)
{
    return size.width() > 0 && size.height() > 0 && size.width() <= maximumPictureSide &&
           size.height() <= maximumPictureSide;
}

bool writeStandardOutput(const QByteArray &bytes)
{
    // A reader that has gone away must show up as a write error here rather
    // than end the process without a word.
    std::signal(SIGPIPE, SIG_IGN);
    const char *data = bytes.constData();
    std::size_t left = std::size_t(bytes.size());
    while (left > 0) {
        const ssize_t written = ::write(STDOUT_FILENO, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                // Standard output was left non-blocking by whoever started us.
                pollfd ready{STDOUT_FILENO, POLLOUT, 0};
                if (::poll(&ready, 1, -1) < 0 && errno != EINTR)
                    return false;
                continue;
            }
            return false;
        }
        data += written;
        left -= std::size_t(written);
    }
    return true;
}

// The whole file or nothing, and only a regular file or a new one: an
// existing picture is replaced only once the new one is completely on disk.
bool writeFile(const QString &path, const QByteArray &bytes)
{
    return !orbel::RegularFile::write(path, bytes).has_value();
}

std::optional<QByteArray> encodePng(const QImage &image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image))
        return std::nullopt;
    return png;
}

} // namespace

bool failed()
{
    return s_failed;
}

void reportFailure()
{
    s_failed = true;
    std::fputs("Pelorin snapshot could not be written.\n", stderr);
    std::fflush(stderr);
}

bool isValidOutputPath(const QString &path)
{
    return path == "-"_L1 || (path.startsWith(u'/') && path.endsWith(".png"_L1));
}

QSize measure(QWidget *host, std::optional<double> proposedHeight)
{
    QLayout *layout = host->layout();
    layout->activate();
    const QSize hint = host->sizeHint();
    const QSize minimum = layout->totalMinimumSize();
    const QSize maximum = layout->totalMaximumSize().expandedTo(minimum);
    const int width = std::clamp(hint.width(), minimum.width(), maximum.width());
    const bool heightForWidth = host->hasHeightForWidth();
    const int natural =
        std::clamp(heightForWidth ? host->heightForWidth(width) : hint.height(), minimum.height(), maximum.height());
    if (!proposedHeight)
        return {width, natural};
    // Content that wraps needs at least its height at that width, and content
    // whose policy keeps it from growing or shrinking stays at its own height.
    const QLayoutItem *item = layout->count() > 0 ? layout->itemAt(0) : nullptr;
    const QSizePolicy policy = item && item->widget() ? item->widget()->sizePolicy() : QSizePolicy();
    const bool grows = (policy.verticalPolicy() & QSizePolicy::GrowFlag) != 0;
    const bool shrinks = (policy.verticalPolicy() & QSizePolicy::ShrinkFlag) != 0;
    int lowest = heightForWidth ? std::max(minimum.height(), host->heightForWidth(width)) : minimum.height();
    if (!shrinks)
        lowest = std::max(lowest, natural);
    const int highest = grows ? std::max(lowest, maximum.height()) : std::max(lowest, natural);
    const double bounded = std::clamp(std::ceil(*proposedHeight), double(lowest), double(highest));
    return {width, int(bounded)};
}

QCoro::Task<> render(std::unique_ptr<QWidget> root, QString path, orbel::ColorScheme scheme,
                     std::optional<double> proposedHeight)
{
    if (!isValidOutputPath(path)) {
        reportFailure();
        co_return;
    }

    // The window: shown as far as the widgets inside can tell, so they lay
    // themselves out and run their appearance code, but never on a screen.
    auto host = std::make_unique<QWidget>();
    host->setAttribute(Qt::WA_DontShowOnScreen);
    if (scheme == orbel::ColorScheme::Dark)
        host->setPalette(darkPalette());
    auto *layout = new QVBoxLayout(host.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(root.release());

    QSize size = measure(host.get(), proposedHeight);
    if (!isDrawable(size)) {
        reportFailure();
        co_return;
    }
    host->resize(size);
    host->show();

    // One fixed wait lets queued layout passes, deferred work and timers run;
    // nothing animates, since motion is reduced.
    QTimer settle;
    settle.setTimerType(Qt::PreciseTimer);
    settle.setSingleShot(true);
    settle.start(200);
    co_await settle;

    // Content may have grown meanwhile: lay out, measure again, and draw at
    // the size it has now.
    QCoreApplication::sendPostedEvents();
    layout->activate();
    size = measure(host.get(), proposedHeight);
    host->resize(size);
    layout->activate();
    QCoreApplication::sendPostedEvents();

    QImage image;
    if (isDrawable(size))
        image = QImage(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        reportFailure();
        host->hide();
        co_return;
    }
    image.setDevicePixelRatio(1);
    image.fill(Qt::transparent);
    host->render(&image);

    const std::optional<QByteArray> png = encodePng(image);
    if (!png) {
        reportFailure();
        host->hide();
        co_return;
    }
    if (!(path == "-"_L1 ? writeStandardOutput(*png) : writeFile(path, *png)))
        reportFailure();
    host->hide();
}

} // namespace pelorin::SnapshotWindow
