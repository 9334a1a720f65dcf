// What the program writes to its log while a LogCapture lives, one entry per
// line as "<level> <category>: <message>", with the level as Qt's number
// (QtCriticalMsg is the error level).
#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace pelorin::test {

class LogCapture {
public:
    LogCapture() : m_previous(qInstallMessageHandler(record)) { lines().clear(); }
    ~LogCapture() { qInstallMessageHandler(m_previous); }
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    static QStringList &lines()
    {
        static QStringList captured;
        return captured;
    }

    static QString line(QtMsgType type, const char *category, const QString &message)
    {
        return QStringLiteral("%1 %2: %3").arg(int(type)).arg(QString::fromUtf8(category), message);
    }

private:
    static void record(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        lines().append(line(type, context.category, message));
    }

    QtMessageHandler m_previous;
};

} // namespace pelorin::test
