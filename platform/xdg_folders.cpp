#include "xdg_folders.h"

#include "regular_file.h"

#include <QDir>

#include <sys/stat.h>
#include <unistd.h>

namespace orbel::XdgFolders {

using namespace Qt::StringLiterals;

namespace {

QString absoluteVariable(const char *name)
{
    const QString value = RegularFile::decodeName(qgetenv(name));
    return QDir::isAbsolutePath(value) ? QDir::cleanPath(value) : QString();
}

} // namespace

QString configHome()
{
    if (const QString config = absoluteVariable("XDG_CONFIG_HOME"); !config.isEmpty())
        return config;
    if (const QString home = absoluteVariable("HOME"); !home.isEmpty())
        return QDir::cleanPath(home + "/.config"_L1);
    return {};
}

QString runtimeFolder()
{
    const QString folder = absoluteVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty())
        return {};
    struct stat info {};
    if (::lstat(RegularFile::encodeName(folder).constData(), &info) != 0)
        return {};
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid() || (info.st_mode & 077) != 0)
        return {};
    return folder;
}

} // namespace orbel::XdgFolders
