#pragma once

#include <QImage>
#include <QString>

namespace pelorin::gallery {

// The folder the pictures go to. Each picture is written whole or not at all,
// and only as a regular file; a failure is counted and named on standard
// error, and the run goes on with the next picture.
class GalleryFolder {
public:
    // The folder at `path`, made absolute from the current folder.
    explicit GalleryFolder(const QString &path);

    const QString &path() const { return m_path; }
    // Makes the folder if it is missing; false when that fails.
    bool create() const;
    // The path of the picture called `name` ("panel-active-dark").
    QString pathFor(const QString &name) const;
    // Writes the image as `name`.png.
    void save(const QImage &image, const QString &name);
    // Counts a picture someone else wrote, or failed to write.
    void record(bool written, const QString &name);

    int written() const { return m_written; }
    int failures() const { return m_failures; }

private:
    QString m_path;
    int m_written = 0;
    int m_failures = 0;
};

} // namespace pelorin::gallery
