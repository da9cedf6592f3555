// Skarnel's resource, control and command ids. The numbers are the ones the
// program has always used; other tools and the editor's hand-off know them.
#pragma once

// Dialog templates, icons, bitmaps, strings, toolbar.
inline constexpr int kIdAboutDialog = 100;
inline constexpr int kIdAboutString = 101;
inline constexpr int kIdMainDialog = 102;
inline constexpr int kIdSocketsFailedString = 103;
inline constexpr int kIdProgramIcon = 128;
inline constexpr int kIdOkBitmap = 129;
inline constexpr int kIdErrorBitmap = 130;
inline constexpr int kIdStartBitmap = 131;
inline constexpr int kIdStopBitmap = 132;
inline constexpr int kIdSkippedBitmap = 133;
inline constexpr int kIdOptionsDialog = 136;
inline constexpr int kIdOptionsBitmap = 137;
inline constexpr int kIdEditFileBitmap = 138;
inline constexpr int kIdToolBar = 139;
inline constexpr int kIdMainMenu = 140;
inline constexpr int kIdToolBarStrip = 141;

// Controls of the main window.
inline constexpr int kIdPathField = 1000;
inline constexpr int kIdBrowseButton = 1001;
inline constexpr int kIdResultsTable = 1002;
inline constexpr int kIdStartButton = 1003;
inline constexpr int kIdOptionsButton = 1005;
inline constexpr int kIdEditFileButton = 1007;

// Controls of the Options dialog.
inline constexpr int kIdCheckImages = 1004;
inline constexpr int kIdCheckAllTags = 1006;
inline constexpr int kIdEditorCommand = 1008;
inline constexpr int kIdCheckExternalUrls = 1009;
inline constexpr int kIdScanPageOnly = 1011;
inline constexpr int kIdUseExternalEditor = 1012;
inline constexpr int kIdCheckHttpsLinks = 1013;
inline constexpr int kIdFastChecking = 1014;
inline constexpr int kIdConnectionsPerHost = 1015;
inline constexpr int kIdCheckAnchors = 1016;
inline constexpr int kIdSiteRoot = 1017;
inline constexpr int kIdFollowRedirects = 1018;
inline constexpr int kIdRetries = 1019;
inline constexpr int kIdObeyRobots = 1020;
inline constexpr int kIdExcludePatterns = 1021;
inline constexpr int kIdNoFollowPatterns = 1022;
inline constexpr int kIdUserAgent = 1023;
inline constexpr int kIdAcceptedStatuses = 1024;
inline constexpr int kIdBrowseEditor = 1001;

// Commands of the menu, the toolbar and the system menu.
inline constexpr int kIdSaveResults = 32771;
inline constexpr int kIdExit = 32772;
inline constexpr int kIdOptionsMenu = 32773;
inline constexpr int kIdAboutMenu = 32774;
inline constexpr int kIdStopCommand = 32777;
inline constexpr int kIdOptionsCommand = 32778;
inline constexpr int kIdEditCommand = 32779;
inline constexpr int kIdStartCommand = 32780;
inline constexpr int kIdSystemAbout = 16;
// The View menu's filter and the results table's context menu.
inline constexpr int kIdShowAll = 32781;
inline constexpr int kIdShowErrors = 32782;
inline constexpr int kIdShowSkipped = 32783;
inline constexpr int kIdShowOk = 32784;
inline constexpr int kIdCopyLink = 32785;
inline constexpr int kIdCopyRow = 32786;
inline constexpr int kIdOpenLink = 32787;

// The control-bar id the toolbar is created with.
inline constexpr int kIdToolBarWindow = 0xE800;
