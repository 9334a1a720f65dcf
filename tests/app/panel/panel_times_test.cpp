// Every time the panel shows (the tiles, the status line, the readout): in
// the zone the C library uses whatever form TZ takes, on one clock per
// locale, and all written again at once when the zone changes or the wall
// clock jumps while the panel is open. The zone is set through TZ, the
// system's word of a new zone comes from a stand-in timedated on a private
// bus and a zone file of the test's own; the machine's zone and clock are
// never read or touched.
#include "panel_test_support.h"

#include "duration_tile.h"
#include "local_time_monitor.h"
#include "panel_content.h"
#include "session_readout_view.h"
#include "test_bus.h"
#include "test_files.h"

#include <QAccessible>
#include <QFile>
#include <QProcess>

#include <cstdio>
#include <functional>

using namespace pelorin;
using namespace pelorin::paneltest;
using namespace Qt::StringLiterals;
using Kind = test::TestBus::Kind;

namespace {

QString accessibleValue(QWidget *widget)
{
    QAccessibleInterface *element = QAccessible::queryAccessibleInterface(widget);
    return element ? element->text(QAccessible::Value) : QString();
}

// The tray's panel as the program makes it, with the wall clock in the
// test's hand; following the desktop, it hears of new zones from the
// stand-in timedated and of the zone file in the test's folder.
class PanelTimes : public ::testing::Test {
protected:
    // Following the desktop, the panel watches the zone file TZ names, or
    // none.
    void makePanel(const QString &locale, bool followsDesktop = false, bool watchesZoneFile = true)
    {
        PanelContentOptions options;
        options.environment.reduceMotion = true;
        options.locale = locale;
        options.panelHeight = 4000;
        options.clock = [this] { return engine.clock.wall; };
        options.reportsVisibility = true;
        if (followsDesktop) {
            options.followsDesktop = true;
            options.desktopBus = bus->connection(Kind::session);
            options.timeSources.systemBus = bus->connection(Kind::system);
            if (!watchesZoneFile)
                options.timeSources.zoneFile.clear();
        }
        view.reset(makePanelContent(*engine.model, std::move(options)));
        view->show();
        view->resize(view->sizeHint());
        fakes::settle();
    }

    // The stand-in timedated on the private system bus, and a zone file
    // that links to a zone of a zone database, as /etc/localtime does: two
    // zones the C library's zone compiler makes.
    void startServices()
    {
        bus = std::make_unique<test::TestBus>();
        ASSERT_TRUE(bus->isValid());
        ASSERT_TRUE(bus->startServices(Kind::system, {u"org.freedesktop.timedate1"_s}));
        ASSERT_TRUE(test::writeFile(zones.filePath(u"zones"_s), "Zone Etc/UTC 0 - UTC\nZone Asia/Tokyo 9 - JST\n"));
        ASSERT_EQ(QProcess::execute(u"/usr/sbin/zic"_s, {u"-d"_s, zones.path(), zones.filePath(u"zones"_s)}), 0);
        QFile::remove(zoneFile());
        ASSERT_TRUE(QFile::link(zones.filePath(u"Etc/UTC"_s), zoneFile()));
    }

    QString zoneFile() const { return folder.filePath(u"localtime"_s); }

    // A link to another zone put in the zone file's place, as timedated and
    // `ln -sf` do: the zone it linked to stays as it was.
    void relinkZoneFile() const
    {
        const QString replacement = folder.filePath(u"localtime.new"_s);
        ASSERT_TRUE(QFile::link(zones.filePath(u"Asia/Tokyo"_s), replacement));
        ASSERT_EQ(std::rename(QFile::encodeName(replacement).constData(), QFile::encodeName(zoneFile()).constData()),
                  0);
    }

    void startSession(const SessionDuration &duration)
    {
        engine.startSession(duration);
        fakes::settle();
    }

    QString tile(const SessionDuration &duration) const { return view->grid()->tile(duration)->subtitle(); }
    QString status() const { return view->panel()->header()->status(); }
    QString readout() const { return accessibleValue(view->readout()); }

    QTemporaryDir folder;
    QTemporaryDir zones;
    std::unique_ptr<test::TestBus> bus;
    // Declared after the bus and before the panel: the panel goes first.
    ReadoutModel engine;
    std::unique_ptr<MenuView> view;
};

} // namespace

// One clock per locale on the whole panel, the one its tag names; the times
// local as the C library has them, POSIX rules included.
// An eight-hour session started at 22:00 local ends the next morning, so the
// readout writes the end date while the status line writes the time.
TEST_F(PanelTimes, OneClockPerLocaleAndTheCLibrarysZone)
{
    const struct {
        const char *zone;
        Date startedAt;
        const char16_t *locale;
        const char16_t *tile;
        const char16_t *status;
        const char16_t *readout;
    } rows[] = {
        {"UTC", utc(2024, 3, 5, 22, 0), u"en-GB-u-hc-h12", u"until 12:00\u202Fam", u"Awake until 6:00\u202Fam",
         u"8 hours. Ends Wed, 6 Mar, 6:00\u202Fam"},
        // 22:00 local is 08:15 in UTC, where the session would end today.
        {"<+1345>-13:45", utc(2024, 3, 5, 8, 15), u"en_US", u"until 12:00\u202FAM", u"Awake until 6:00\u202FAM",
         u"8 hours. Ends Wed, Mar 6, 6:00\u202FAM"},
    };
    for (const auto &row : rows) {
        const std::string where = QString::fromUtf16(row.locale).toStdString() + " in " + row.zone;
        const LocalZone zone(row.zone);
        engine.clock.wall = row.startedAt;
        makePanel(QString::fromUtf16(row.locale));
        EXPECT_EQ(tile(SessionDuration::hours2()), QString::fromUtf16(row.tile)) << where;
        startSession(SessionDuration::hours8());
        EXPECT_EQ(status(), QString::fromUtf16(row.status)) << where;
        EXPECT_EQ(readout(), QString::fromUtf16(row.readout)) << where;
        engine.endSession();
    }
}

// Whatever moves the local time on (a new zone announced by timedated, a new
// zone file, the wall clock set nine hours and half a minute on), the open
// panel writes every time it shows again at once: the tiles before a session,
// which then move on when the new clock's minute ends; the status line and
// the readout together while one runs. TZ names the zone file, whose new
// zone the C library reads though TZ itself stays as it was; timedated is
// heard with the file unwatched. Tokyo is nine hours ahead of UTC, so all
// three changes show the same times.
TEST_F(PanelTimes, EveryTimeShownFollowsANewZoneOrAJumpOfTheClockAtOnce)
{
    const struct {
        const char *change;
        bool watchesZoneFile;
        std::function<void()> make;
    } changes[] = {
        {"timedated announces Tokyo", false,
         [this] {
             relinkZoneFile();
             bus->services(Kind::system).setTimezone(u"Asia/Tokyo"_s);
         }},
        {"the zone file links to another zone", true, [this] { relinkZoneFile(); }},
        // The kernel's notice of a clock set cannot be had without setting
        // the machine's clock: the monitor's announcement stands in for it.
        {"the wall clock jumps", true,
         [this] {
             engine.clock.wall = engine.clock.wall.addingTimeInterval(9 * 3600 + 30);
             Q_EMIT view->findChild<LocalTimeMonitor *>()->changed();
         }},
    };
    for (const auto &change : changes) {
        for (const bool running : {false, true}) {
            SCOPED_TRACE(std::string(change.change) + (running ? ", session running" : ", no session"));
            startServices();
            const LocalZone zone(QFile::encodeName(zoneFile()).prepend(':').constData());
            engine.clock.wall = utc(2025, 3, 14, 15, 0);
            makePanel(u"en_US"_s, true, change.watchesZoneFile);
            ASSERT_NE(view->findChild<LocalTimeMonitor *>(), nullptr);
            if (running)
                startSession(SessionDuration::hour1());
            const QString before = running ? status() : tile(SessionDuration::minutes30());
            ASSERT_EQ(before, running ? u"Awake until 4:00\u202FPM"_s : u"until 3:30\u202FPM"_s);

            change.make();
            // The first of the times to change; the others must have changed
            // with it.
            ASSERT_TRUE(QTest::qWaitFor(
                [&] { return (running ? status() : tile(SessionDuration::minutes30())) != before; }, 5000));
            if (running) {
                EXPECT_EQ(status(), u"Awake until 1:00\u202FAM"_s);
                EXPECT_EQ(readout(), u"1 hour. Ends at 1:00\u202FAM"_s);
            } else {
                EXPECT_EQ(tile(SessionDuration::minutes30()), u"until 12:30\u202FAM"_s);
                EXPECT_EQ(tile(SessionDuration::hours8()), u"until 8:00\u202FAM"_s);
                EXPECT_LE(view->grid()->minuteTimer().remainingTime(),
                          DurationGrid::millisecondsToNextMinute(engine.clock.wall));
            }
            view.reset();
            if (running)
                engine.endSession();
            bus.reset();
        }
    }
}
