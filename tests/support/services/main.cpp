// pelorin_test_services ADDRESS [NAME...]
//
// Connects to the bus at ADDRESS, owns org.pelorin.Test (the control object
// at /control) and each NAME given, prints "ready" and serves until killed.
#include "test_services.h"

#include <QCoreApplication>
#include <QDBusMetaType>

#include <cstdio>

using namespace Qt::StringLiterals;
using namespace pelorin::testservices;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: pelorin_test_services ADDRESS [NAME...]\n");
        return 2;
    }
    qDBusRegisterMetaType<QList<QVariantMap>>();

    QDBusConnection bus = QDBusConnection::connectToBus(arguments.at(1), u"services"_s);
    if (!bus.isConnected()) {
        std::fprintf(stderr, "pelorin_test_services: cannot connect: %s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    LockBook book(bus);
    Control control(book);
    if (!bus.registerObject(u"/control"_s, &control, QDBusConnection::ExportAllSlots) ||
        !bus.registerService(u"org.pelorin.Test"_s)) {
        std::fprintf(stderr, "pelorin_test_services: cannot own org.pelorin.Test\n");
        return 1;
    }
    QObject services;
    for (const QString &name : arguments.mid(2)) {
        if (!registerService(book, name, &services)) {
            std::fprintf(stderr, "pelorin_test_services: cannot serve %s (known: %s)\n", qPrintable(name),
                         qPrintable(serviceNames().join(u", ")));
            return 1;
        }
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
