// Draws every kit piece and every screen of the program, light and dark, into
// one folder, for people to look at side by side:
//
//     pelorin_gallery --program build/pelorin --folder build/gallery
//
// The screens are drawn by the program itself in snapshot mode, so they are
// exactly what a snapshot shows; the kit's pieces are drawn here, twice as
// sharp as the screen. The exit status is 1 if any picture failed.
#include "gallery_folder.h"
#include "panel_kit_sheets.h"
#include "screen_sheets.h"
#include "window_kit_sheets.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>

#include <cstdio>

int main(int argc, char **argv)
{
    // Nothing reaches a screen, whatever the desktop.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pelorin_gallery"));
    // The panels' headers show the program's own icon, as the program sets it.
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/" PELORIN_APP_ID ".svg")));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Draws Pelorin's kit pieces and screens into a folder."));
    parser.addHelpOption();
    const QCommandLineOption program(QStringLiteral("program"), QStringLiteral("The Pelorin program to draw with."),
                                     QStringLiteral("path"), QStringLiteral(PELORIN_GALLERY_PROGRAM));
    const QCommandLineOption folder(QStringLiteral("folder"), QStringLiteral("Where the pictures go."),
                                    QStringLiteral("path"), QStringLiteral("gallery"));
    parser.addOptions({program, folder});
    parser.process(application);

    pelorin::gallery::GalleryFolder gallery(parser.value(folder));
    if (!gallery.create()) {
        std::fprintf(stderr, "gallery: the folder %s could not be made\n", qUtf8Printable(gallery.path()));
        return 1;
    }
    for (const orbel::ColorScheme scheme : {orbel::ColorScheme::Light, orbel::ColorScheme::Dark}) {
        pelorin::gallery::drawPanelKit(gallery, scheme);
        pelorin::gallery::drawWindowKit(gallery, scheme);
    }
    pelorin::gallery::drawScreens(gallery, parser.value(program));

    std::printf("%d pictures in %s\n", gallery.written(), qUtf8Printable(gallery.path()));
    return gallery.failures() == 0 ? 0 : 1;
}
