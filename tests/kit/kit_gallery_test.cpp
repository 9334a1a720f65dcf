// Writes every kit piece, light and dark, into the gallery folder so that
// people can look at them side by side.
#include "kit_test_support.h"

#include "action_row.h"
#include "bordered_button.h"
#include "brand_focus_ring.h"
#include "choice_menu.h"
#include "glass_card.h"
#include "inline_notice.h"
#include "key_caps.h"
#include "login_item.h"
#include "notice_card.h"
#include "open_at_login_row.h"
#include "orbel_font.h"
#include "orbel_panel.h"
#include "orbel_switch.h"
#include "panel_action_row.h"
#include "panel_card.h"
#include "panel_footer.h"
#include "panel_header.h"
#include "panel_shortcut_keys.h"
#include "privacy_line.h"
#include "setting_row.h"
#include "text_label.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace orbel;
using namespace orbel::test;

namespace {

constexpr qreal galleryRatio = 2.0;

void writePiece(QWidget *piece, ColorScheme scheme, int width, const QString &name)
{
    Stage stage(piece, scheme, width);
    const QImage image = render(&stage, galleryRatio);
    EXPECT_FALSE(image.isNull());
    saveToGallery(image, name + u'-' + QLatin1String(schemeName(scheme)));
}

// A row of widgets, left to right, with room between them.
QWidget *row(std::initializer_list<QWidget *> widgets, int spacing = 16)
{
    auto *holder = new QWidget;
    auto *layout = new QHBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    for (QWidget *widget : widgets)
        layout->addWidget(widget, 0, Qt::AlignVCenter);
    layout->addStretch(1);
    return holder;
}

TextLabel *text(const QString &words, ColorScheme scheme, OrbelFont role = OrbelFont::Detail)
{
    auto *label = new TextLabel(words);
    label->setFont(orbelFont(role));
    label->setColor(BrandPalette::primary(scheme));
    return label;
}

class KitGallery : public ::testing::TestWithParam<ColorScheme> {
protected:
    ColorScheme scheme() const { return GetParam(); }
    OrbelEnvironment environment() const
    {
        OrbelEnvironment environment = environmentFor(scheme());
        environment.reduceMotion = true;
        return environment;
    }
};

} // namespace

TEST_P(KitGallery, Switches)
{
    const OrbelEnvironment env = environment();
    auto *off = new OrbelSwitch(QStringLiteral("off"), env);
    auto *on = new OrbelSwitch(QStringLiteral("on"), env);
    on->setChecked(true);
    on->setTint(sampleBrand().accent(scheme()));
    auto *disabled = new OrbelSwitch(QStringLiteral("disabled"), env);
    disabled->setChecked(true);
    disabled->setEnabled(false);
    auto *small = new OrbelSwitch(QStringLiteral("small"), env);
    small->setControlSize(OrbelSwitch::ControlSize::Small);
    small->setChecked(true);
    auto *smallOff = new OrbelSwitch(QStringLiteral("small off"), env);
    smallOff->setControlSize(OrbelSwitch::ControlSize::Small);
    writePiece(row({off, on, disabled, small, smallOff}), scheme(), 280, QStringLiteral("switches"));
}

TEST_P(KitGallery, Buttons)
{
    const OrbelEnvironment env = environment();
    auto *small = new BorderedButton(QStringLiteral("Try again"), env);
    small->setControlSize(BorderedButton::ControlSize::Small);
    small->setFont(textStyleFont(TextStyle::Callout));
    auto *extend = new BorderedButton(QStringLiteral("+30 min"), env);
    extend->setSymbol(QStringLiteral("plus"));
    extend->setControlSize(BorderedButton::ControlSize::Large);
    extend->setBorderShape(BorderedButton::BorderShape::Capsule);
    extend->setFont(orbelFont(OrbelFont::Heading));
    auto *end = new BorderedButton(QStringLiteral("End"), env);
    end->setSymbol(QStringLiteral("stop.fill"));
    end->setControlSize(BorderedButton::ControlSize::Large);
    end->setBorderShape(BorderedButton::BorderShape::Capsule);
    end->setFont(orbelFont(OrbelFont::Heading));
    auto *disabled = new BorderedButton(QStringLiteral("Disabled"), env);
    disabled->setEnabled(false);
    writePiece(row({small, extend, end, disabled}, 8), scheme(), 440, QStringLiteral("buttons"));
}

TEST_P(KitGallery, FocusRing)
{
    OrbelEnvironment env = environment();
    env.keyboardUsed = true;
    auto *holder = new QWidget;
    auto *layout = new QHBoxLayout(holder);
    layout->setContentsMargins(8, 8, 8, 8);
    auto *button = new BorderedButton(QStringLiteral("Focused"), env);
    button->setBorderShape(BorderedButton::BorderShape::Capsule);
    layout->addWidget(button);
    layout->addStretch(1);
    auto *ring = new BrandFocusRing(button, RingShape::capsule(), env);
    Stage stage(holder, scheme(), 200);
    stage.show();
    stage.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&stage));
    button->setFocus();
    ASSERT_TRUE(ring->isOn());
    saveToGallery(render(&stage, galleryRatio),
                  QStringLiteral("focus-ring-%1").arg(QLatin1String(schemeName(scheme()))));
}

TEST_P(KitGallery, Cards)
{
    const OrbelEnvironment env = environment();
    auto *card = new PanelCard(8, env);
    card->addWidget(text(QStringLiteral("A panel card groups controls."), scheme(), OrbelFont::Heading));
    card->addWidget(text(QStringLiteral("It takes the full width it is offered."), scheme()));
    writePiece(card, scheme(), 336, QStringLiteral("panel-card"));

    auto *holder = new BrandBackground(sampleBrand().color(), env);
    auto *layout = new QVBoxLayout(holder);
    layout->setContentsMargins(24, 24, 24, 24);
    auto *glass = new GlassCard(8, env);
    glass->addWidget(text(QStringLiteral("A glass card"), scheme(), OrbelFont::Heading));
    glass->addWidget(text(QStringLiteral("lets the brand background show through."), scheme()));
    layout->addWidget(glass);
    writePiece(holder, scheme(), 336, QStringLiteral("glass-card"));
}

TEST_P(KitGallery, Notices)
{
    const OrbelEnvironment env = environment();
    auto *notice =
        new NoticeCard(QStringLiteral("exclamationmark.triangle.fill"), QStringLiteral("The session could not start"),
                       QStringLiteral("Pelorin could not confirm that the Mac will stay awake. Try again."), env);
    notice->addAction(QStringLiteral("Try again"));
    writePiece(notice, scheme(), 336, QStringLiteral("notice-card"));

    auto *column = new QWidget;
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(new InlineNotice(NoticeKind::Warning,
                                       QStringLiteral("Pelorin needs your approval to open at login."), env,
                                       new BorderedButton(QStringLiteral("Open"), env)));
    layout->addWidget(new InlineNotice(NoticeKind::Waiting, QStringLiteral("Waiting for the power manager"), env));
    layout->addWidget(new InlineNotice(NoticeKind::Info, QStringLiteral("Sessions end when the Mac sleeps."), env));
    writePiece(column, scheme(), 400, QStringLiteral("inline-notices"));
}

TEST_P(KitGallery, PrivacyLines)
{
    const OrbelEnvironment env = environment();
    auto *column = new QWidget;
    column->setFont(textStyleFont(TextStyle::Callout));
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(sampleBrand(OrbelBrand::Connection::Offline).privacyLine(env));
    layout->addWidget(sampleBrand(OrbelBrand::Connection::Online).privacyLine(env));
    layout->addWidget(
        new PrivacyLine(QStringLiteral("Your Mac, under your control"), QStringLiteral("checkmark.shield"), env));
    writePiece(column, scheme(), 336, QStringLiteral("privacy-lines"));
}

TEST_P(KitGallery, Panels)
{
    const OrbelEnvironment env = environment();
    bool armed = true;
    const Binding<bool> isOn{[&] { return armed; }, [&](bool on) { armed = on; }};
    const auto content = [&] {
        auto *card = new PanelCard(8, env);
        card->setFont(orbelFont(OrbelFont::Detail));
        auto *label = text(QStringLiteral("Keep the display always awake"), scheme());
        auto *toggle = new OrbelSwitch(QStringLiteral("Keep the display always awake"), env);
        toggle->setControlSize(OrbelSwitch::ControlSize::Small);
        auto *line = new QWidget;
        auto *layout = new QHBoxLayout(line);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(8);
        layout->addWidget(label, 1, Qt::AlignVCenter);
        layout->addWidget(toggle, 0, Qt::AlignVCenter);
        line->setMinimumHeight(32);
        card->addWidget(line);
        return card;
    };

    for (const PanelStatus status : {PanelStatus::Working, PanelStatus::Attention}) {
        auto *column = new QWidget;
        auto *layout = new QVBoxLayout(column);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(16);
        if (status == PanelStatus::Attention) {
            auto *notice = new NoticeCard(
                QStringLiteral("exclamationmark.triangle.fill"), QStringLiteral("The session could not start"),
                QStringLiteral("Pelorin could not confirm that the Mac will stay awake. Try again."), env);
            notice->addAction(QStringLiteral("Try again"));
            layout->addWidget(notice);
        }
        layout->addWidget(content());
        OrbelPanel panel(OrbelPanel::Setup{
                             .brand = sampleBrand(),
                             .status = status == PanelStatus::Working ? QStringLiteral("Awake until 3:45 PM")
                                                                      : QStringLiteral("The session did not start"),
                             .dot = status,
                             .isOn = isOn,
                             .privacy = QStringLiteral("Your Mac, under your control"),
                             .privacySymbol = QStringLiteral("checkmark.shield"),
                             .showGuide = [] {},
                             .showPreferences = [] {},
                         },
                         column, env);
        layOut(&panel, 368);
        const QString name =
            status == PanelStatus::Working ? QStringLiteral("panel-working") : QStringLiteral("panel-attention");
        saveToGallery(render(&panel, galleryRatio), name + u'-' + QLatin1String(schemeName(scheme())));
    }

    auto *plain = new OrbelPanel(OrbelPanel::Setup::withDotColor(
                                     sampleBrand(), QStringLiteral("Recording the screen"), BrandPalette::red(scheme()),
                                     isOn, QStringLiteral("Stays on this Mac"), QStringLiteral("hand.raised"), [] {}),
                                 nullptr, env);
    writePiece(plain, scheme(), 368, QStringLiteral("panel-colour-dot"));
}

TEST_P(KitGallery, PanelRows)
{
    const OrbelEnvironment env = environment();
    const OrbelBrand brand = sampleBrand();
    ScratchLoginItem scratch(QStringLiteral("org.example.KitGallery"));
    LoginItem &item = scratch.item;

    auto *column = new QWidget;
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    auto *toggle = new OrbelSwitch(QStringLiteral("Keep the display awake"), env);
    toggle->setControlSize(OrbelSwitch::ControlSize::Small);
    toggle->setChecked(true);
    layout->addWidget(new SettingRow(QStringLiteral("Keep the display awake"), QStringLiteral("display"), toggle, env));
    layout->addWidget(new SettingRow(QStringLiteral("Sound"), QStringLiteral("clock"),
                                     ChoiceMenu::create<QString>(
                                         Binding<QString>{[] { return QStringLiteral("Chime"); }, [](QString) {}},
                                         {QStringLiteral("None"), QStringLiteral("Chime")},
                                         [](const QString &name) { return name; }, env),
                                     env));
    layout->addWidget(new ActionRow(QStringLiteral("A long title that runs out of room before the keys"),
                                    QStringLiteral("gearshape"), brand.accent(scheme()),
                                    new KeyCaps({QStringLiteral("\u2318"), QStringLiteral(",")}, env), env));
    layout->addWidget(new OpenAtLoginRow(item, brand.color(), env));
    layout->addWidget(new KeyCaps({QStringLiteral("\u2303"), QStringLiteral("\u2325"), QStringLiteral("Space")}, env),
                      0, Qt::AlignLeading);
    writePiece(column, scheme(), 336, QStringLiteral("panel-rows"));

    auto *actions = new QWidget;
    auto *list = new QVBoxLayout(actions);
    list->setContentsMargins(0, 0, 0, 0);
    list->setSpacing(4);
    const auto keys = [&](bool editing, bool conflict, bool disabled = false) {
        if (!editing)
            return new PanelShortcutKeys({QStringLiteral("\u2318"), QStringLiteral("K")}, std::nullopt, brand, conflict,
                                         disabled, env);
        return new PanelShortcutKeys({}, QStringLiteral("Type a shortcut"), brand, true, conflict, false,
                                     PanelShortcutKeys::Editor{QStringLiteral("Shortcut"), {}, {}, [] {}}, env);
    };
    const auto action = [&](const QString &title, PanelActionRow::Setup setup, QWidget *trailing) {
        setup.title = title;
        list->addWidget(new PanelActionRow(std::move(setup), trailing, env));
    };
    action(QStringLiteral("Start a session"), {.symbol = QStringLiteral("sun.max"), .brand = brand, .perform = [] {}},
           keys(false, false));
    action(QStringLiteral("Hovered"),
           {.symbol = QStringLiteral("clock"), .brand = brand, .hovered = true, .perform = [] {}}, keys(false, true));
    action(QStringLiteral("Suggested, with a badge"),
           {.symbol = QStringLiteral("plus"),
            .brand = brand,
            .isSuggested = true,
            .badge = QStringLiteral("12"),
            .perform = [] {}},
           keys(true, false));
    action(QStringLiteral("Disabled"),
           {.symbol = QStringLiteral("stop.fill"),
            .brand = brand,
            .isDisabled = true,
            .isSuggested = true,
            .perform = [] {}},
           keys(false, false, true));
    action(QStringLiteral("Shown only, its shortcut taken"), {.symbol = QStringLiteral("display"), .brand = brand},
           keys(true, true));
    writePiece(actions, scheme(), 336, QStringLiteral("panel-action-rows"));
}

INSTANTIATE_TEST_SUITE_P(Schemes, KitGallery, ::testing::Values(ColorScheme::Light, ColorScheme::Dark),
                         [](const ::testing::TestParamInfo<ColorScheme> &info) {
                             return std::string(schemeName(info.param));
                         });
