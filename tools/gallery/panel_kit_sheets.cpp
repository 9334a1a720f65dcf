#include "panel_kit_sheets.h"

#include "gallery_folder.h"
#include "kit_samples.h"
#include "piece_stage.h"

#include "action_row.h"
#include "bordered_button.h"
#include "brand_background.h"
#include "brand_focus_ring.h"
#include "brand_palette.h"
#include "choice_menu.h"
#include "glass_card.h"
#include "inline_notice.h"
#include "key_caps.h"
#include "notice_card.h"
#include "open_at_login_row.h"
#include "orbel_panel.h"
#include "orbel_switch.h"
#include "panel_action_row.h"
#include "panel_card.h"
#include "panel_shortcut_keys.h"
#include "privacy_line.h"
#include "setting_row.h"
#include "symbol_table.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace pelorin::gallery {

using namespace orbel;

namespace {

// Every symbol the program's screens name.
const QStringList usedSymbols = {
    QStringLiteral("sun.max"),
    QStringLiteral("sun.max.fill"),
    QStringLiteral("exclamationmark.triangle"),
    QStringLiteral("exclamationmark.triangle.fill"),
    QStringLiteral("exclamationmark.circle"),
    QStringLiteral("questionmark.circle"),
    QStringLiteral("info.circle"),
    QStringLiteral("checkmark.circle"),
    QStringLiteral("checkmark.circle.fill"),
    QStringLiteral("checkmark.shield"),
    QStringLiteral("circle"),
    QStringLiteral("hand.raised"),
    QStringLiteral("network.slash"),
    QStringLiteral("clock"),
    QStringLiteral("pencil"),
    QStringLiteral("plus"),
    QStringLiteral("stop.fill"),
    QStringLiteral("display"),
    QStringLiteral("gearshape"),
    QStringLiteral("power"),
    QStringLiteral("arrow.up.forward.app"),
    QStringLiteral("1.circle"),
    QStringLiteral("12.circle"),
};

class PanelKitSheets {
public:
    PanelKitSheets(GalleryFolder &folder, ColorScheme scheme)
        : m_folder(folder), m_scheme(scheme), m_environment(sampleEnvironment(scheme))
    {
    }

    void drawAll()
    {
        switches();
        buttons();
        focusRing();
        cards();
        notices();
        privacyLines();
        panels();
        settingRows();
        actionRows();
        symbols();
        brandBackground();
    }

private:
    void write(QWidget *piece, int width, const QString &name)
    {
        PieceStage stage(piece, m_scheme, width);
        save(picture(&stage), name);
    }
    void save(const QImage &image, const QString &name)
    {
        m_folder.save(image, QStringLiteral("kit-") + name + u'-' + schemeName(m_scheme));
    }

    NoticeCard *failureNotice() const
    {
        auto *notice = new NoticeCard(
            QStringLiteral("exclamationmark.triangle.fill"), QStringLiteral("The session could not start"),
            QStringLiteral("Pelorin could not confirm that the Mac will stay awake. Try again."), m_environment);
        notice->addAction(QStringLiteral("Try again"));
        return notice;
    }

    void switches()
    {
        const auto make = [&](const char *name, bool on,
                              OrbelSwitch::ControlSize size = OrbelSwitch::ControlSize::Regular) {
            auto *control = new OrbelSwitch(QString::fromLatin1(name), m_environment);
            control->setControlSize(size);
            control->setChecked(on);
            return control;
        };
        auto *tinted = make("tinted", true);
        tinted->setTint(sampleBrand().accent(m_scheme));
        auto *disabled = make("disabled", true);
        disabled->setEnabled(false);
        write(sampleRow({make("off", false), tinted, disabled, make("small", true, OrbelSwitch::ControlSize::Small),
                         make("small off", false, OrbelSwitch::ControlSize::Small)}),
              280, QStringLiteral("switches"));
    }

    void buttons()
    {
        const auto make = [&](const char *title, const char *symbol, BorderedButton::ControlSize size) {
            auto *button = new BorderedButton(QString::fromUtf8(title), m_environment);
            if (*symbol)
                button->setSymbol(QString::fromLatin1(symbol));
            button->setControlSize(size);
            if (size == BorderedButton::ControlSize::Large) {
                button->setBorderShape(BorderedButton::BorderShape::Capsule);
                button->setFont(orbelFont(OrbelFont::Heading));
            }
            return button;
        };
        auto *small = make("Try again", "", BorderedButton::ControlSize::Small);
        small->setFont(textStyleFont(TextStyle::Callout));
        auto *disabled = make("Disabled", "", BorderedButton::ControlSize::Regular);
        disabled->setEnabled(false);
        write(sampleRow({small, make("+30 min", "plus", BorderedButton::ControlSize::Large),
                         make("End", "stop.fill", BorderedButton::ControlSize::Large), disabled},
                        8),
              440, QStringLiteral("buttons"));
    }

    // The ring shows only around the focused control of an active window
    // after a key press.
    void focusRing()
    {
        OrbelEnvironment environment = m_environment;
        environment.keyboardUsed = true;
        auto *holder = new QWidget;
        auto *layout = new QHBoxLayout(holder);
        layout->setContentsMargins(8, 8, 8, 8);
        auto *button = new BorderedButton(QStringLiteral("Focused"), environment);
        button->setBorderShape(BorderedButton::BorderShape::Capsule);
        layout->addWidget(button);
        layout->addStretch(1);
        new BrandFocusRing(button, RingShape::capsule(), environment);
        PieceStage stage(holder, m_scheme, 200);
        stage.show();
        stage.activateWindow();
        settle();
        button->setFocus();
        settle();
        save(picture(&stage), QStringLiteral("focus-ring"));
        stage.hide();
    }

    void cards()
    {
        auto *card = new PanelCard(8, m_environment);
        card->addWidget(sampleText(QStringLiteral("A panel card groups controls."), m_scheme, OrbelFont::Heading));
        card->addWidget(sampleText(QStringLiteral("It takes the full width it is offered."), m_scheme));
        write(card, 336, QStringLiteral("panel-card"));

        auto *holder = new BrandBackground(sampleBrand().color(), m_environment);
        auto *layout = new QVBoxLayout(holder);
        layout->setContentsMargins(24, 24, 24, 24);
        auto *glass = new GlassCard(8, m_environment);
        glass->addWidget(sampleText(QStringLiteral("A glass card"), m_scheme, OrbelFont::Heading));
        glass->addWidget(sampleText(QStringLiteral("lets the brand background show through."), m_scheme));
        layout->addWidget(glass);
        write(holder, 336, QStringLiteral("glass-card"));
    }

    void notices()
    {
        write(failureNotice(), 336, QStringLiteral("notice-card"));
        write(
            sampleColumn(
                {new InlineNotice(NoticeKind::Warning, QStringLiteral("Pelorin needs your approval to open at login."),
                                  m_environment, new BorderedButton(QStringLiteral("Open"), m_environment)),
                 new InlineNotice(NoticeKind::Waiting, QStringLiteral("Waiting for the power manager"), m_environment),
                 new InlineNotice(NoticeKind::Info, QStringLiteral("Sessions end when the Mac sleeps."),
                                  m_environment)}),
            400, QStringLiteral("inline-notices"));
    }

    void privacyLines()
    {
        QWidget *column = sampleColumn({sampleBrand(OrbelBrand::Connection::Offline).privacyLine(m_environment),
                                        sampleBrand(OrbelBrand::Connection::Online).privacyLine(m_environment),
                                        new PrivacyLine(QStringLiteral("Your Mac, under your control"),
                                                        QStringLiteral("checkmark.shield"), m_environment)},
                                       4);
        column->setFont(textStyleFont(TextStyle::Callout));
        write(column, 336, QStringLiteral("privacy-lines"));
    }

    void panels()
    {
        bool armed = true;
        const Binding<bool> isOn{[&] { return armed; }, [&](bool on) { armed = on; }};
        const auto content = [&] {
            auto *card = new PanelCard(8, m_environment);
            card->setFont(orbelFont(OrbelFont::Detail));
            auto *toggle = new OrbelSwitch(QStringLiteral("Keep the display always awake"), m_environment);
            toggle->setControlSize(OrbelSwitch::ControlSize::Small);
            auto *line = new QWidget;
            auto *layout = new QHBoxLayout(line);
            layout->setContentsMargins(0, 0, 0, 0);
            layout->setSpacing(8);
            layout->addWidget(sampleText(QStringLiteral("Keep the display always awake"), m_scheme), 1,
                              Qt::AlignVCenter);
            layout->addWidget(toggle, 0, Qt::AlignVCenter);
            line->setMinimumHeight(32);
            card->addWidget(line);
            return card;
        };

        for (const PanelStatus status : {PanelStatus::Working, PanelStatus::Attention}) {
            const bool working = status == PanelStatus::Working;
            QWidget *column = working ? sampleColumn({content()}, 16) : sampleColumn({failureNotice(), content()}, 16);
            OrbelPanel panel(OrbelPanel::Setup{
                                 .brand = sampleBrand(),
                                 .status = working ? QStringLiteral("Awake until 3:45 PM")
                                                   : QStringLiteral("The session did not start"),
                                 .dot = status,
                                 .isOn = isOn,
                                 .privacy = QStringLiteral("Your Mac, under your control"),
                                 .privacySymbol = QStringLiteral("checkmark.shield"),
                                 .showGuide = [] {},
                                 .showPreferences = [] {},
                             },
                             column, m_environment);
            layOut(&panel, 368);
            save(picture(&panel), working ? QStringLiteral("panel-working") : QStringLiteral("panel-attention"));
        }

        write(new OrbelPanel(OrbelPanel::Setup::withDotColor(
                                 sampleBrand(), QStringLiteral("Recording the screen"), BrandPalette::red(m_scheme),
                                 isOn, QStringLiteral("Stays on this Mac"), QStringLiteral("hand.raised"), [] {}),
                             nullptr, m_environment),
              368, QStringLiteral("panel-colour-dot"));
    }

    void settingRows()
    {
        const OrbelBrand brand = sampleBrand();
        SampleLoginItem login;
        LoginItem &item = login.item;

        auto *toggle = new OrbelSwitch(QStringLiteral("Keep the display awake"), m_environment);
        toggle->setControlSize(OrbelSwitch::ControlSize::Small);
        toggle->setChecked(true);
        QWidget *column = sampleColumn(
            {new SettingRow(QStringLiteral("Keep the display awake"), QStringLiteral("display"), toggle, m_environment),
             new SettingRow(QStringLiteral("Sound"), QStringLiteral("clock"),
                            ChoiceMenu::create<QString>(
                                Binding<QString>{[] { return QStringLiteral("Chime"); }, [](QString) {}},
                                {QStringLiteral("None"), QStringLiteral("Chime")},
                                [](const QString &name) { return name; }, m_environment),
                            m_environment),
             new ActionRow(QStringLiteral("A long title that runs out of room before the keys"),
                           QStringLiteral("gearshape"), brand.accent(m_scheme),
                           new KeyCaps({QStringLiteral("\u2318"), QStringLiteral(",")}, m_environment), m_environment),
             new OpenAtLoginRow(item, brand.color(), m_environment),
             sampleRow({new KeyCaps({QStringLiteral("\u2303"), QStringLiteral("\u2325"), QStringLiteral("Space")},
                                    m_environment)})},
            4);
        write(column, 336, QStringLiteral("panel-rows"));
    }

    void actionRows()
    {
        const OrbelBrand brand = sampleBrand();
        auto *actions = new QWidget;
        auto *list = new QVBoxLayout(actions);
        list->setContentsMargins(0, 0, 0, 0);
        list->setSpacing(4);
        const auto keys = [&](bool editing, bool conflict, bool disabled = false) {
            if (!editing)
                return new PanelShortcutKeys({QStringLiteral("\u2318"), QStringLiteral("K")}, std::nullopt, brand,
                                             conflict, disabled, m_environment);
            return new PanelShortcutKeys({}, QStringLiteral("Type a shortcut"), brand, true, conflict, false,
                                         PanelShortcutKeys::Editor{QStringLiteral("Shortcut"), {}, {}, [] {}},
                                         m_environment);
        };
        const auto action = [&](const QString &title, PanelActionRow::Setup setup, QWidget *trailing) {
            setup.title = title;
            list->addWidget(new PanelActionRow(std::move(setup), trailing, m_environment));
        };
        action(QStringLiteral("Start a session"),
               {.symbol = QStringLiteral("sun.max"), .brand = brand, .perform = [] {}}, keys(false, false));
        action(QStringLiteral("Hovered"),
               {.symbol = QStringLiteral("clock"), .brand = brand, .hovered = true, .perform = [] {}},
               keys(false, true));
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
        write(actions, 336, QStringLiteral("panel-action-rows"));
    }

    void symbols()
    {
        constexpr int cell = 40;
        constexpr int columns = 8;
        const int rows = int((usedSymbols.size() + columns - 1) / columns);
        QImage image(QSize(columns * cell, rows * cell) * int(pictureRatio), QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(pictureRatio);
        image.fill(BrandPalette::background(m_scheme));
        QPainter painter(&image);
        for (int i = 0; i < usedSymbols.size(); ++i) {
            const QRectF box((i % columns) * cell, (i / columns) * cell, cell, cell);
            SymbolTable::paint(painter, box.adjusted(12, 12, -12, -12), usedSymbols[i],
                               BrandPalette::primary(m_scheme));
        }
        painter.end();
        save(image, QStringLiteral("symbols"));
    }

    void brandBackground()
    {
        BrandBackground background(sampleBrand().color(), m_environment);
        background.resize(200, 200);
        save(picture(&background), QStringLiteral("brand-background"));
    }

    GalleryFolder &m_folder;
    ColorScheme m_scheme;
    OrbelEnvironment m_environment;
};

} // namespace

void drawPanelKit(GalleryFolder &folder, ColorScheme scheme)
{
    PanelKitSheets(folder, scheme).drawAll();
}

} // namespace pelorin::gallery
