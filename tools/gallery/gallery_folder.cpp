#include "gallery_folder.h"

#include "regular_file.h"

#include <QBuffer>
#include <QDir>
#include <QImageWriter>

#include <cstdio>

namespace pelorin::gallery {

GalleryFolder::GalleryFolder(const QString &path) : m_path(QDir(path).absolutePath())
{
}

bool GalleryFolder::create() const
{
    return QDir().mkpath(m_path);
}

QString GalleryFolder::pathFor(const QString &name) const
{
    return QDir(m_path).filePath(name + QStringLiteral(".png"));
}

void GalleryFolder::save(const QImage &image, const QString &name)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    const bool encoded = !image.isNull() && writer.write(image);
    record(encoded && !orbel::RegularFile::write(pathFor(name), png).has_value(), name);
}

void GalleryFolder::record(bool written, const QString &name)
{
    if (written) {
        ++m_written;
        return;
    }
    ++m_failures;
    std::fprintf(stderr, "gallery: %s could not be drawn\n", qUtf8Printable(name));
}

} // namespace pelorin::gallery
