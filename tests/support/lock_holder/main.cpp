// pelorin_lock_holder SESSION-ADDRESS SYSTEM-ADDRESS [system|display]...
//
// Takes the locks named, one after the other, through the real driver on the
// buses given, prints "ready" and waits to be killed. Tests use it to see
// that locks die with their process.
#include "native_energy_assertion_driver.h"

#include <QCoreApplication>

#include <cstdio>

using namespace Qt::StringLiterals;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 3) {
        std::fprintf(stderr, "usage: pelorin_lock_holder SESSION-ADDRESS SYSTEM-ADDRESS [system|display]...\n");
        return 2;
    }
    pelorin::NativeEnergyAssertionDriver driver(QDBusConnection::connectToBus(arguments.at(1), u"session"_s),
                                                QDBusConnection::connectToBus(arguments.at(2), u"system"_s));
    for (const QString &kind : arguments.mid(3)) {
        try {
            QCoro::waitFor(driver.create(kind == "display"_L1, std::nullopt));
        } catch (const pelorin::EnergyFailure &failure) {
            std::printf("failed %s %d\n", qPrintable(kind), failure.code);
            std::fflush(stdout);
            return 1;
        }
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
