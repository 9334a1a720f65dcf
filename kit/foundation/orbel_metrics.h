#pragma once

// The kit's layout sizes in logical pixels. The views use these numbers
// directly; the order below is the order they were introduced in.
namespace orbel::OrbelMetrics {

inline constexpr int gapXS = 4;
inline constexpr int gapS = 8;
inline constexpr int gapM = 12;
inline constexpr int gapL = 16;
inline constexpr int gapXL = 24;
inline constexpr int panelWidth = 368;
inline constexpr int panelPadding = 16;
inline constexpr int footerButtonSize = 32;
inline constexpr int settingRowMinHeight = 32;
inline constexpr int actionRowMinHeight = 36;
inline constexpr int scrollBandHeight = 28;
inline constexpr int displayRowMinHeight = 32;
inline constexpr int cardPadding = 12;
inline constexpr int tileMinHeight = 56;
inline constexpr int cardCornerRadius = 16;
inline constexpr int inlineNoticeCornerRadius = 12;
inline constexpr int readoutMinHeight = 112;
inline constexpr int colonWidth = 12;
inline constexpr int readoutPadding = 16;
inline constexpr int flapHeight = 40;
inline constexpr int flapPadding = 8;
inline constexpr int keyCapCornerRadius = 4;
inline constexpr int keyCapSpacing = 4;
inline constexpr int headerSpacing = 12;
inline constexpr int symbolFrameWidth = 20;
inline constexpr int windowWidth = 560;
inline constexpr int stepBadgeSize = 24;
inline constexpr int initialWindowHeight = 480;
inline constexpr int welcomeSectionSpacing = 24;
inline constexpr int singlePageWelcomeInset = 88;
inline constexpr int paneRowHeight = 40;
inline constexpr int actionRowCornerRadius = 8;
inline constexpr int keyCapMinSize = 20;
inline constexpr int windowMargin = 32;
inline constexpr int appIconSize = 48;
inline constexpr int layoutSpacing = 32;
inline constexpr int headerMinHeight = 48;
inline constexpr int welcomeHeightAllowance = 80;
inline constexpr int switchMinSize = 44;
inline constexpr int chipIconWidth = 12;
inline constexpr int chromeTopPadding = 16;
inline constexpr int sidebarSpacing = 28;
inline constexpr int stepsSpacing = 32;
inline constexpr int contentColumnWidth = 496;
inline constexpr int welcomeWidth = 560;
inline constexpr int sidebarWidth = 176;
inline constexpr int wideWindowWidth = 768;
inline constexpr int sidebarPadding = 32;
inline constexpr int preferencesRowMinHeight = 44;
inline constexpr int panelScreenMargin = 32;
inline constexpr int panelAppIconSize = 40;
inline constexpr int progressDotsSpacing = 28;

} // namespace orbel::OrbelMetrics
