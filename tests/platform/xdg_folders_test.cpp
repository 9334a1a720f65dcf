// Where settings and the default snapshot go: only absolute folders from the
// environment count, so nothing lands relative to wherever Pelorin started.
#include "xdg_folders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
namespace XdgFolders = orbel::XdgFolders;

namespace {

// Sets (or with nullopt unsets) one variable for the life of the guard.
class ScopedVariable {
public:
    ScopedVariable(const char *name, const std::optional<QByteArray> &value)
        : m_name(name), m_old(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt)
    {
        set(value);
    }
    ~ScopedVariable() { set(m_old); }

private:
    void set(const std::optional<QByteArray> &value)
    {
        if (value)
            qputenv(m_name, *value);
        else
            qunsetenv(m_name);
    }

    const char *m_name;
    std::optional<QByteArray> m_old;
};

} // namespace

TEST(XdgFolders, ConfigHomeIsAbsoluteOrAbsent)
{
    struct Case {
        std::optional<QByteArray> config, home;
        QString expected;
    } const cases[] = {
        {"/cfg/./x/", "/home/u", u"/cfg/x"_s},        {"relative/cfg", "/home/u", u"/home/u/.config"_s},
        {"", "/home/u", u"/home/u/.config"_s},        {std::nullopt, "/home/u", u"/home/u/.config"_s},
        {"relative/cfg", "relative/home", QString()}, {std::nullopt, std::nullopt, QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.config.value_or("(unset)").toStdString() + " " + c.home.value_or("(unset)").toStdString());
        const ScopedVariable config("XDG_CONFIG_HOME", c.config);
        const ScopedVariable home("HOME", c.home);
        EXPECT_EQ(XdgFolders::configHome(), c.expected);
    }
}

TEST(XdgFolders, RuntimeFolderIsOursPrivateAndNotALink)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString own = dir.filePath(u"own"_s), open = dir.filePath(u"open"_s), link = dir.filePath(u"link"_s);
    ASSERT_TRUE(QDir().mkdir(own) && QDir().mkdir(open));
    ASSERT_EQ(::chmod(QFile::encodeName(own).constData(), 0700), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(open).constData(), 0755), 0);
    ASSERT_TRUE(QFile::link(own, link));

    struct Case {
        QString value, expected;
    } const cases[] = {
        {own, own},
        {open, QString()},
        {link, QString()},
        {dir.filePath(u"missing"_s), QString()},
        {QDir(dir.path()).relativeFilePath(own), QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.value.toStdString());
        const ScopedVariable runtime("XDG_RUNTIME_DIR", QFile::encodeName(c.value));
        EXPECT_EQ(XdgFolders::runtimeFolder(), c.expected);
    }
}
