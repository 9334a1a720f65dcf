#include "symbol_table.h"

#include <QFile>
#include <QFont>
#include <QHash>
#include <QIcon>
#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>
#include <QStandardPaths>
#include <QSvgRenderer>

#include <cmath>
#include <iterator>

namespace orbel {

namespace {

// Pictures of our own, drawn on a 16 × 16 grid like the symbolic icons.
enum class Drawing {
    None,
    Circle,
    CheckmarkCircle,
    CheckmarkCircleFill,
    ExclamationCircle,
    QuestionCircle,
    InfoCircle,
    NumberCircle,
    ExclamationTriangle,
    ExclamationTriangleFill,
    Sun,
    SunFill,
    CheckmarkShield,
    Hand,
    NetworkSlash,
    Clock,
    Pencil,
    Plus,
    StopFill,
    Display,
    Gear,
    Power,
    ArrowOutOfBox,
};

struct Entry {
    const char *symbol;
    // The Adwaita symbolic icon, or nullptr where no icon of the theme fits.
    const char *themeIcon;
    // Drawn when there is no icon, or the theme is not installed.
    Drawing drawing;
};

constexpr Entry table[] = {
    {"sun.max", nullptr, Drawing::Sun},
    {"sun.max.fill", "weather-clear-symbolic", Drawing::SunFill},
    {"exclamationmark.triangle", nullptr, Drawing::ExclamationTriangle},
    {"exclamationmark.triangle.fill", "dialog-warning-symbolic", Drawing::ExclamationTriangleFill},
    {"exclamationmark.circle", nullptr, Drawing::ExclamationCircle},
    {"questionmark.circle", nullptr, Drawing::QuestionCircle},
    {"info.circle", "help-about-symbolic", Drawing::InfoCircle},
    {"checkmark.circle", nullptr, Drawing::CheckmarkCircle},
    {"checkmark.circle.fill", "emblem-default-symbolic", Drawing::CheckmarkCircleFill},
    {"checkmark.shield", nullptr, Drawing::CheckmarkShield},
    {"circle", nullptr, Drawing::Circle},
    {"hand.raised", "preferences-system-privacy-symbolic", Drawing::Hand},
    {"network.slash", "network-wireless-disabled-symbolic", Drawing::NetworkSlash},
    {"clock", "preferences-system-time-symbolic", Drawing::Clock},
    {"pencil", "document-edit-symbolic", Drawing::Pencil},
    {"plus", "list-add-symbolic", Drawing::Plus},
    {"stop.fill", "media-playback-stop-symbolic", Drawing::StopFill},
    {"display", "video-display-symbolic", Drawing::Display},
    {"gearshape", "emblem-system-symbolic", Drawing::Gear},
    {"power", "system-shutdown-symbolic", Drawing::Power},
    {"arrow.up.forward.app", "send-to-symbolic", Drawing::ArrowOutOfBox},
};

// "0.circle" to "50.circle": a number in a ring.
int circledNumber(QStringView symbol)
{
    if (!symbol.endsWith(u".circle"))
        return -1;
    const QStringView digits = symbol.chopped(7);
    if (digits.isEmpty() || digits.size() > 2 || (digits.size() == 2 && digits.front() == u'0'))
        return -1;
    bool ok = false;
    const int number = digits.toInt(&ok);
    return ok && number <= 50 ? number : -1;
}

const Entry *find(QStringView symbol)
{
    for (const Entry &entry : table) {
        if (symbol == QLatin1String(entry.symbol))
            return &entry;
    }
    return nullptr;
}

// Where the Adwaita symbolic icon of that name lies, or empty. The theme keeps
// its symbolic icons under scalable/ (or symbolic/ in newer releases), sorted
// by context.
QString themeIconPath(const QString &name)
{
    QStringList roots = QIcon::themeSearchPaths();
    roots += QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons"),
                                       QStandardPaths::LocateDirectory);
    roots.removeDuplicates();

    static QHash<QString, QString> found;
    const QString key = roots.join(u'\n') + u'\n' + name;
    if (const auto it = found.constFind(key); it != found.constEnd())
        return *it;

    static const char *const sizes[] = {"scalable", "symbolic"};
    static const char *const contexts[] = {"actions", "status", "devices", "emblems", "categories",
                                           "legacy",  "ui",     "apps",    "places",  "mimetypes"};
    QString path;
    for (const QString &root : std::as_const(roots)) {
        for (const char *size : sizes) {
            for (const char *context : contexts) {
                const QString candidate = root + QLatin1String("/Adwaita/") + QLatin1String(size) + u'/' +
                                          QLatin1String(context) + u'/' + name + QLatin1String(".svg");
                if (QFile::exists(candidate)) {
                    path = candidate;
                    break;
                }
            }
            if (!path.isEmpty())
                break;
        }
        if (!path.isEmpty())
            break;
    }
    found.insert(key, path);
    return path;
}

QPen strokePen(qreal width = 2.0)
{
    return QPen(Qt::black, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void ring(QPainter &p)
{
    p.setPen(strokePen());
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(8, 8), 7, 7);
}

void disc(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(8, 8), 8, 8);
}

// Marks inside a filled shape are cut out of it rather than painted on it.
void knockOut(QPainter &p, bool filled)
{
    p.setCompositionMode(filled ? QPainter::CompositionMode_Clear : QPainter::CompositionMode_SourceOver);
}

void checkmark(QPainter &p)
{
    p.setPen(strokePen());
    p.setBrush(Qt::NoBrush);
    const QPointF points[] = {{4.75, 8.25}, {7.0, 10.5}, {11.25, 5.75}};
    p.drawPolyline(points, 3);
}

void exclamation(QPainter &p, qreal top, qreal bottom, qreal dotY)
{
    p.setPen(strokePen());
    p.drawLine(QPointF(8, top), QPointF(8, bottom));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(8, dotY), 1.15, 1.15);
}

void centredText(QPainter &p, const QString &text, int pixelSize, QPointF centre = {8, 8})
{
    QFont font;
    font.setPixelSize(pixelSize);
    font.setBold(true);
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF bounds = path.boundingRect();
    path.translate(centre - bounds.center());
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawPath(path);
}

QPainterPath trianglePath()
{
    QPainterPath path;
    path.moveTo(8, 1.75);
    path.lineTo(14.75, 14);
    path.lineTo(1.25, 14);
    path.closeSubpath();
    return path;
}

void sun(QPainter &p, bool filled)
{
    p.setPen(strokePen(filled ? 2.0 : 1.6));
    for (int ray = 0; ray < 8; ++ray) {
        const qreal angle = ray * M_PI / 4;
        p.drawLine(QPointF(8 + 5.6 * std::cos(angle), 8 + 5.6 * std::sin(angle)),
                   QPointF(8 + 7.2 * std::cos(angle), 8 + 7.2 * std::sin(angle)));
    }
    if (filled) {
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawEllipse(QPointF(8, 8), 3.6, 3.6);
    } else {
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(8, 8), 3.0, 3.0);
    }
}

void draw(QPainter &p, Drawing drawing, int number)
{
    switch (drawing) {
    case Drawing::None:
        return;
    case Drawing::Circle:
        ring(p);
        return;
    case Drawing::CheckmarkCircle:
        ring(p);
        checkmark(p);
        return;
    case Drawing::CheckmarkCircleFill:
        disc(p);
        knockOut(p, true);
        checkmark(p);
        return;
    case Drawing::ExclamationCircle:
        ring(p);
        exclamation(p, 4.5, 8.5, 11.25);
        return;
    case Drawing::QuestionCircle:
        ring(p);
        centredText(p, QStringLiteral("?"), 10, {8, 8.1});
        return;
    case Drawing::InfoCircle:
        ring(p);
        exclamation(p, 7.5, 11.5, 4.75);
        return;
    case Drawing::NumberCircle:
        ring(p);
        centredText(p, QString::number(number), number < 10 ? 9 : 7);
        return;
    case Drawing::ExclamationTriangle:
        p.setPen(strokePen());
        p.setBrush(Qt::NoBrush);
        p.drawPath(trianglePath());
        exclamation(p, 6.5, 9, 11.4);
        return;
    case Drawing::ExclamationTriangleFill:
        p.setPen(strokePen());
        p.setBrush(Qt::black);
        p.drawPath(trianglePath());
        knockOut(p, true);
        exclamation(p, 6.5, 9, 11.4);
        return;
    case Drawing::Sun:
        sun(p, false);
        return;
    case Drawing::SunFill:
        sun(p, true);
        return;
    case Drawing::CheckmarkShield: {
        QPainterPath shield;
        shield.moveTo(8, 1.25);
        shield.lineTo(14, 3.25);
        shield.lineTo(14, 7.75);
        shield.cubicTo(14, 11.25, 11.25, 13.75, 8, 14.75);
        shield.cubicTo(4.75, 13.75, 2, 11.25, 2, 7.75);
        shield.lineTo(2, 3.25);
        shield.closeSubpath();
        p.setPen(strokePen());
        p.setBrush(Qt::NoBrush);
        p.drawPath(shield);
        p.setPen(strokePen(1.75));
        const QPointF points[] = {{5.25, 8.0}, {7.25, 10.0}, {10.75, 6.0}};
        p.drawPolyline(points, 3);
        return;
    }
    case Drawing::Hand: {
        p.setPen(strokePen(1.75));
        for (const qreal x : {4.5, 7.0, 9.5, 12.0})
            p.drawLine(QPointF(x, x == 4.5 || x == 12.0 ? 4.5 : 2.5), QPointF(x, 9));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawRoundedRect(QRectF(3.6, 7.5, 9.3, 7.5), 3, 3);
        return;
    }
    case Drawing::NetworkSlash:
        ring(p);
        p.setPen(strokePen(1.5));
        p.drawLine(QPointF(1, 8), QPointF(15, 8));
        p.drawEllipse(QRectF(5, 1, 6, 14));
        p.setPen(strokePen(2.0));
        p.drawLine(QPointF(2.5, 2.5), QPointF(13.5, 13.5));
        return;
    case Drawing::Clock:
        ring(p);
        p.setPen(strokePen(1.75));
        p.drawLine(QPointF(8, 8), QPointF(8, 4.25));
        p.drawLine(QPointF(8, 8), QPointF(10.75, 9.75));
        return;
    case Drawing::Pencil:
        p.setPen(strokePen(2.5));
        p.drawLine(QPointF(3, 13), QPointF(12.5, 3.5));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawPolygon(QPolygonF({{1.25, 14.75}, {2.0, 11.5}, {4.5, 14.0}}));
        return;
    case Drawing::Plus:
        p.setPen(strokePen());
        p.drawLine(QPointF(8, 2), QPointF(8, 14));
        p.drawLine(QPointF(2, 8), QPointF(14, 8));
        return;
    case Drawing::StopFill:
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawRoundedRect(QRectF(2.5, 2.5, 11, 11), 2, 2);
        return;
    case Drawing::Display:
        p.setPen(strokePen());
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(1.5, 2, 13, 9), 1.5, 1.5);
        p.drawLine(QPointF(5, 14.25), QPointF(11, 14.25));
        return;
    case Drawing::Gear:
        p.setPen(strokePen(2.6));
        for (int tooth = 0; tooth < 8; ++tooth) {
            const qreal angle = tooth * M_PI / 4 + M_PI / 8;
            p.drawLine(QPointF(8 + 5 * std::cos(angle), 8 + 5 * std::sin(angle)),
                       QPointF(8 + 6.6 * std::cos(angle), 8 + 6.6 * std::sin(angle)));
        }
        p.setPen(strokePen(2.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(8, 8), 4.2, 4.2);
        return;
    case Drawing::Power:
        p.setPen(strokePen());
        p.drawArc(QRectF(2, 2.5, 12, 12), 120 * 16, -240 * 16);
        p.drawLine(QPointF(8, 1.5), QPointF(8, 7.5));
        return;
    case Drawing::ArrowOutOfBox:
        p.setPen(strokePen());
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(
            QPolygonF({{9, 2.5}, {3.5, 2.5}, {2, 4}, {2, 12.5}, {3.5, 14}, {12, 14}, {13.5, 12.5}, {13.5, 7}}));
        p.drawLine(QPointF(7, 9), QPointF(14, 2));
        p.drawPolyline(QPolygonF({{10, 2}, {14, 2}, {14, 6}}));
        return;
    }
}

QImage render(QStringView symbol, int pixels)
{
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);

    const Entry *entry = find(symbol);
    const int number = entry ? -1 : circledNumber(symbol);
    if (!entry && number < 0)
        return image;

    if (entry && entry->themeIcon) {
        const QString path = themeIconPath(QLatin1String(entry->themeIcon));
        if (!path.isEmpty()) {
            QSvgRenderer svg(path);
            if (svg.isValid()) {
                QPainter painter(&image);
                svg.render(&painter, QRectF(0, 0, pixels, pixels));
                return image;
            }
        }
    }

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(pixels / 16.0, pixels / 16.0);
    draw(painter, entry ? entry->drawing : Drawing::NumberCircle, number);
    return image;
}

} // namespace

namespace SymbolTable {

bool contains(QStringView symbol)
{
    return find(symbol) || circledNumber(symbol) >= 0;
}

QString themeIcon(QStringView symbol)
{
    const Entry *entry = find(symbol);
    return entry && entry->themeIcon ? QLatin1String(entry->themeIcon) : QString();
}

QPixmap pixmap(QStringView symbol, const QColor &tint, int side, qreal devicePixelRatio)
{
    const int pixels = qMax(1, int(std::lround(side * devicePixelRatio)));
    const QString key = QLatin1String("orbel-symbol/") + symbol + u'/' + QString::number(tint.rgba(), 16) + u'/' +
                        QString::number(pixels);
    QPixmap cached;
    if (QPixmapCache::find(key, &cached)) {
        cached.setDevicePixelRatio(devicePixelRatio);
        return cached;
    }

    // One colour with the picture's own transparency: keep the alpha, take the tint.
    QImage image = render(symbol, pixels);
    {
        QPainter painter(&image);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(image.rect(), tint);
    }
    QPixmap result = QPixmap::fromImage(image);
    QPixmapCache::insert(key, result);
    result.setDevicePixelRatio(devicePixelRatio);
    return result;
}

void paint(QPainter &painter, const QRectF &rect, QStringView symbol, const QColor &tint)
{
    const qreal side = std::floor(qMin(rect.width(), rect.height()));
    if (side <= 0)
        return;
    const QPixmap picture = pixmap(symbol, tint, int(side), paintPixelRatio(painter));
    // Whole logical pixels keep the icon on the pixel grid.
    const QPointF topLeft(std::round(rect.center().x() - side / 2), std::round(rect.center().y() - side / 2));
    painter.drawPixmap(topLeft, picture);
}

} // namespace SymbolTable

qreal paintPixelRatio(const QPainter &painter)
{
    if (const QPaintEngine *engine = painter.paintEngine(); engine && engine->paintDevice())
        return engine->paintDevice()->devicePixelRatioF();
    return painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
}

} // namespace orbel
