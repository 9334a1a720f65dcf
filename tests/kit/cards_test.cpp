#include "kit_test_support.h"

#include "app_icon.h"
#include "bordered_button.h"
#include "inline_notice.h"
#include "notice_card.h"
#include "panel_card.h"
#include "privacy_line.h"
#include "text_label.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QPushButton>

using namespace orbel;
using namespace orbel::test;

namespace {

const QString longMessage = QStringLiteral(
    "Pelorin could not confirm that the Mac will stay awake. Try again. If this keeps happening, the power "
    "manager of the desktop may be refusing the request.");

} // namespace

TEST(PanelCard, FillsTheOfferedWidthWithAFaintFill)
{
    for (const ColorScheme scheme : {ColorScheme::Light, ColorScheme::Dark}) {
        SCOPED_TRACE(schemeName(scheme));
        auto *card = new PanelCard(8, environmentFor(scheme));
        auto *label = new QLabel(QStringLiteral("Short"));
        card->addWidget(label);
        Stage stage(card, scheme, 300);
        EXPECT_EQ(card->width(), 300);
        // One child: no spacing, just the padding around it.
        EXPECT_EQ(card->height(), label->sizeHint().height() + 24);

        const QColor background = BrandPalette::background(scheme);
        const QImage image = render(&stage);
        const QPointF inside = card->geometry().bottomRight() - QPointF(20, 6);
        EXPECT_TRUE(colorNear(pixel(image, inside), composite(background, BrandPalette::primary06(scheme))));
        EXPECT_TRUE(colorNear(pixel(image, QPointF(4, 4)), background));
    }
}

TEST(NoticeCard, WrapsItsMessageAndGrows)
{
    const OrbelEnvironment environment = environmentFor(ColorScheme::Light);
    NoticeCard shortCard(QStringLiteral("exclamationmark.triangle.fill"), QStringLiteral("The session could not start"),
                         QStringLiteral("Try again."), environment);
    NoticeCard longCard(QStringLiteral("exclamationmark.triangle.fill"), QStringLiteral("The session could not start"),
                        longMessage, environment);
    layOut(&shortCard, 336);
    layOut(&longCard, 336);
    EXPECT_EQ(longCard.width(), 336);
    const int lineHeight = longCard.fontMetrics().lineSpacing();
    EXPECT_GE(longCard.height() - shortCard.height(), 2 * lineHeight - 4);

    // Narrower still, it grows again instead of cutting the text.
    const int height336 = longCard.heightForWidth(336);
    EXPECT_GT(longCard.heightForWidth(220), height336);
    auto *message = longCard.findChildren<TextLabel *>().last();
    EXPECT_EQ(message->text(), longMessage);
    EXPECT_GE(message->height(), message->heightForWidth(message->width()));
}

TEST(NoticeCard, ShowsTheAttentionColourUnderItsFill)
{
    for (const ColorScheme scheme : {ColorScheme::Light, ColorScheme::Dark}) {
        SCOPED_TRACE(schemeName(scheme));
        auto *card = new NoticeCard(QStringLiteral("exclamationmark.triangle.fill"),
                                    QStringLiteral("The session could not end"), longMessage, environmentFor(scheme));
        BorderedButton *retry = card->addAction(QStringLiteral("Try again"));
        Stage stage(card, scheme, 336);
        EXPECT_FALSE(retry->parentWidget()->isHidden());

        const QColor background = BrandPalette::background(scheme);
        QColor tint = BrandPalette::attention(scheme);
        tint.setAlphaF(0.12f);
        const QColor expected = composite(composite(background, tint), BrandPalette::primary06(scheme));
        const QImage image = render(&stage);
        EXPECT_TRUE(colorNear(pixel(image, card->geometry().bottomRight() - QPointF(12, 6)), expected));
        // The header's symbol is drawn in the attention colour itself.
        EXPECT_GT(countPixels(image, BrandPalette::attention(scheme), 6), 20);
    }
}

TEST(InlineNotice, OnlyWarningsUseTheAttentionColour)
{
    for (const ColorScheme scheme : {ColorScheme::Light, ColorScheme::Dark}) {
        for (const NoticeKind kind : {NoticeKind::Warning, NoticeKind::Waiting, NoticeKind::Info}) {
            auto *notice = new InlineNotice(kind, QStringLiteral("Waiting for approval"), environmentFor(scheme));
            Stage stage(notice, scheme, 300);
            const int attention = countPixels(render(&stage), BrandPalette::attention(scheme), 6);
            if (kind == NoticeKind::Warning) {
                EXPECT_GT(attention, 20);
            } else {
                EXPECT_EQ(attention, 0);
            }
        }
    }
}

TEST(InlineNotice, IsOneElementUnlessItHasATrailingControl)
{
    const OrbelEnvironment environment = environmentFor(ColorScheme::Light);
    InlineNotice plain(NoticeKind::Info, QStringLiteral("Nothing to do"), environment);
    plain.show();
    EXPECT_FALSE(plain.hasTrailing());
    QAccessibleInterface *single = QAccessible::queryAccessibleInterface(&plain);
    EXPECT_EQ(single->text(QAccessible::Name), QStringLiteral("Nothing to do"));
    for (int i = 0; i < single->childCount(); ++i)
        EXPECT_TRUE(single->child(i)->state().invisible)
            << single->child(i)->object()->metaObject()->className() << " " << single->child(i)->role();

    auto *button = new QPushButton(QStringLiteral("Open"));
    InlineNotice withControl(NoticeKind::Warning, QStringLiteral("Needs approval"), environment, button);
    withControl.show();
    EXPECT_TRUE(withControl.hasTrailing());
    QAccessibleInterface *container = QAccessible::queryAccessibleInterface(&withControl);
    EXPECT_TRUE(container->text(QAccessible::Name).isEmpty());
    bool reachable = false;
    for (int i = 0; i < container->childCount(); ++i)
        reachable = reachable || (container->child(i)->object() == button && !container->child(i)->state().invisible);
    EXPECT_TRUE(reachable);
}

TEST(PrivacyLine, IsGreenAndDarkerInLight)
{
    int lightGreen = 0;
    for (const ColorScheme scheme : {ColorScheme::Light, ColorScheme::Dark}) {
        SCOPED_TRACE(schemeName(scheme));
        auto *line = new PrivacyLine(QStringLiteral("No internet, no data collected"), QStringLiteral("network.slash"),
                                     environmentFor(scheme));
        Stage stage(line, scheme, 300);
        const QImage image = render(&stage);
        const QColor green = PrivacyGreen::color(scheme);
        EXPECT_GT(countPixels(image, green, 3), 15);
        // Nothing but the green is drawn on the background.
        const QColor background = BrandPalette::background(scheme);
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c != background) {
                    ASSERT_GE(c.green(), qMax(c.red(), c.blue())) << x << "," << y;
                }
            }
        }
        if (scheme == ColorScheme::Light) {
            lightGreen = green.lightness();
        } else {
            EXPECT_LT(lightGreen, green.lightness());
        }
    }
}

TEST(AppIcon, DrawsTheApplicationIconAsASquareScreenReadersSkip)
{
    QPixmap red(16, 16);
    red.fill(Qt::red);
    QApplication::setWindowIcon(QIcon(red));
    AppIcon icon(40);
    EXPECT_EQ(icon.size(), QSize(40, 40));
    const QImage image = render(&icon, 2.0);
    EXPECT_EQ(image.size(), QSize(80, 80));
    EXPECT_EQ(countPixels(image, Qt::red, 0), 80 * 80);
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(&icon)->state().invisible);
    QApplication::setWindowIcon(QIcon());

    // Without an icon it still draws something of the same size.
    AppIcon fallback(40);
    EXPECT_GT(countPixels(render(&fallback), QColor(142, 142, 147), 40), 400);
}
