// Skarnel's resources. Positions are in dialog units (left, top, width,
// height); texts are the ones users have always seen.
#include "resources/skarnel/skarnel_resources.h"

namespace {

DialogTemplate MakeAboutDialog() {
    DialogTemplate about;
    about.id = kIdAboutDialog;
    about.caption = L"About Skarnel";
    about.width = 235;
    about.height = 55;
    about.controls = {
        {kNoControlId, ControlKind::kIcon, L"", {11, 17, 21, 20}, {}, kIdProgramIcon},
        {kNoControlId, ControlKind::kStaticFrame, L"", {36, 8, 134, 40}, {}},
        {kNoControlId, ControlKind::kStaticText, kAboutText, {44, 16, 119, 8}, {}},
        {kNoControlId,
         ControlKind::kStaticText,
         L"Checks every link of a site, on the web or on disk.",
         {44, 28, 119, 16},
         {}},
        {kIdOk, ControlKind::kDefaultPushButton, L"OK", {178, 8, 50, 14}, {}},
    };
    return about;
}

DialogTemplate MakeMainDialog() {
    DialogTemplate main;
    main.id = kIdMainDialog;
    main.caption = L"Skarnel";
    main.width = 511;
    main.height = 263;
    main.styles = DialogStyles{.resizable = true, .minimizeBox = true, .appWindow = true};
    main.menu = &MainMenu();
    main.controls = {
        {kNoControlId, ControlKind::kStaticText, L"Path:", {13, 37, 18, 8}, {}},
        {kIdPathField,
         ControlKind::kEdit,
         L"",
         {38, 35, 440, 14},
         {.border = true, .autoHorizontalScroll = true}},
        {kIdBrowseButton, ControlKind::kPushButton, L"...", {481, 35, 21, 14}, {}},
        {kNoControlId,
         ControlKind::kStaticText,
         std::wstring(L"Example: ") + kExampleSiteAddress + L"  or  /srv/www/site/index.html",
         {146, 49, 218, 8},
         {}},
        {kIdResultsTable,
         ControlKind::kListView,
         L"",
         {7, 63, 497, 182},
         {.border = true, .singleSelection = true, .alwaysShowSelection = true}},
        {kIdStartButton, ControlKind::kPushButton, L"Start", {25, 76, 50, 26}, {.hidden = true}},
        {kIdOptionsButton,
         ControlKind::kPushButton,
         L"Options",
         {78, 76, 50, 26},
         {.hidden = true}},
        {kIdEditFileButton,
         ControlKind::kPushButton,
         L"Edit file",
         {131, 76, 50, 26},
         {.hidden = true}},
    };
    return main;
}

// The check boxes one below the other, 14 units apart; "Check https links",
// "Fast checking" (with its connection limit beside it), "Check anchors" and
// the site root folder join the scan options above the editor's controls,
// which move down with the group box and the buttons. The web checks have a
// group of their own below: their number field in the connection limit's
// column, the pattern fields under their long labels, and the other two
// fields beside theirs.
DialogTemplate MakeOptionsDialog() {
    DialogTemplate options;
    options.id = kIdOptionsDialog;
    options.caption = L"Options";
    options.width = 186;
    options.height = 355;
    options.controls = {
        {kIdCheckImages, ControlKind::kAutoCheckBox, L"Check images", {19, 16, 59, 10}, {}},
        {kIdCheckAllTags, ControlKind::kAutoCheckBox, L"Check all tags", {19, 30, 60, 10}, {}},
        {kIdCheckExternalUrls,
         ControlKind::kAutoCheckBox,
         L"Check external URLs for local copy",
         {19, 44, 127, 10},
         {}},
        {kIdScanPageOnly,
         ControlKind::kAutoCheckBox,
         L"Scan the specified page only",
         {19, 58, 107, 10},
         {}},
        {kIdCheckHttpsLinks,
         ControlKind::kAutoCheckBox,
         L"Check https links",
         {19, 72, 70, 10},
         {}},
        {kIdFastChecking, ControlKind::kAutoCheckBox, L"Fast checking", {19, 86, 58, 10}, {}},
        {kNoControlId, ControlKind::kStaticText, L"Connections:", {90, 87, 44, 8}, {}},
        {kIdConnectionsPerHost,
         ControlKind::kEdit,
         L"",
         {136, 85, 20, 12},
         {.border = true, .autoHorizontalScroll = true}},
        {kIdCheckAnchors, ControlKind::kAutoCheckBox, L"Check anchors", {19, 100, 64, 10}, {}},
        {kNoControlId, ControlKind::kStaticText, L"Site root folder:", {19, 117, 56, 8}, {}},
        {kIdSiteRoot,
         ControlKind::kEdit,
         L"",
         {77, 115, 99, 14},
         {.border = true, .autoHorizontalScroll = true}},
        {kIdUseExternalEditor,
         ControlKind::kAutoCheckBox,
         L"Use external editor",
         {19, 134, 77, 10},
         {}},
        {kNoControlId, ControlKind::kStaticText, L"Editor:", {19, 151, 22, 8}, {}},
        {kIdEditorCommand,
         ControlKind::kEdit,
         L"",
         {43, 149, 108, 14},
         {.border = true, .autoHorizontalScroll = true}},
        {kIdBrowseEditor, ControlKind::kPushButton, L"...", {154, 149, 22, 14}, {}},
        {kNoControlId, ControlKind::kGroupBox, L"", {7, 3, 172, 177}, {}},
        {kIdFollowRedirects,
         ControlKind::kAutoCheckBox,
         L"Follow redirects",
         {19, 199, 68, 10},
         {}},
        {kNoControlId, ControlKind::kStaticText, L"Retries:", {90, 200, 44, 8}, {}},
        {kIdRetries,
         ControlKind::kEdit,
         L"",
         {136, 198, 20, 12},
         {.border = true, .autoHorizontalScroll = true}},
        {kIdObeyRobots, ControlKind::kAutoCheckBox, L"Obey robots.txt", {19, 213, 66, 10}, {}},
        {kNoControlId, ControlKind::kStaticText, L"Exclude links matching:", {19, 228, 157, 8}, {}},
        {kIdExcludePatterns,
         ControlKind::kEdit,
         L"",
         {19, 238, 157, 14},
         {.border = true, .autoHorizontalScroll = true}},
        {kNoControlId,
         ControlKind::kStaticText,
         L"Don't read links of pages matching:",
         {19, 256, 157, 8},
         {}},
        {kIdNoFollowPatterns,
         ControlKind::kEdit,
         L"",
         {19, 266, 157, 14},
         {.border = true, .autoHorizontalScroll = true}},
        {kNoControlId, ControlKind::kStaticText, L"User agent:", {19, 286, 64, 8}, {}},
        {kIdUserAgent,
         ControlKind::kEdit,
         L"",
         {85, 284, 91, 14},
         {.border = true, .autoHorizontalScroll = true}},
        {kNoControlId, ControlKind::kStaticText, L"Accepted statuses:", {19, 304, 64, 8}, {}},
        {kIdAcceptedStatuses,
         ControlKind::kEdit,
         L"",
         {85, 302, 91, 14},
         {.border = true, .autoHorizontalScroll = true}},
        {kNoControlId, ControlKind::kGroupBox, L"Web checks", {7, 186, 172, 140}, {}},
        {kIdOk, ControlKind::kDefaultPushButton, L"OK", {7, 334, 50, 14}, {}},
        {kIdCancel, ControlKind::kPushButton, L"Cancel", {129, 334, 50, 14}, {}},
    };
    return options;
}

}  // namespace

const MenuTemplate& MainMenu() {
    static const MenuTemplate menu{
        kIdMainMenu,
        {
            MenuPopupTemplate{L"File",
                              {{L"Save results...", kIdSaveResults}, {L"", 0}, {L"Exit", kIdExit}}},
            MenuPopupTemplate{L"View",
                              {{L"Show all", kIdShowAll, L"Ctrl+1", true},
                               {L"Show errors", kIdShowErrors, L"Ctrl+2", true},
                               {L"Show skipped", kIdShowSkipped, L"Ctrl+3", true},
                               {L"Show OK", kIdShowOk, L"Ctrl+4", true}}},
            MenuPopupTemplate{L"Options", {{L"Options...", kIdOptionsMenu}}},
            MenuPopupTemplate{L"Help", {{L"About...", kIdAboutMenu}}},
        }};
    return menu;
}

const MenuPopupTemplate& RowContextMenu() {
    static const MenuPopupTemplate menu{L"",
                                        {{L"Copy link", kIdCopyLink, L"Ctrl+C"},
                                         {L"Copy row", kIdCopyRow},
                                         {L"Open link in browser", kIdOpenLink},
                                         {L"", 0},
                                         {L"Edit file", kIdEditCommand}}};
    return menu;
}

const DialogTemplate& AboutDialogTemplate() {
    static const DialogTemplate about = MakeAboutDialog();
    return about;
}

const DialogTemplate& MainDialogTemplate() {
    static const DialogTemplate main = MakeMainDialog();
    return main;
}

const DialogTemplate& OptionsDialogTemplate() {
    static const DialogTemplate options = MakeOptionsDialog();
    return options;
}

const StringTable& SkarnelStrings() {
    static const StringTable strings{{
        {kIdAboutString, L"&About Durnvale..."},
        {kIdSocketsFailedString, L"Windows sockets initialization failed."},
        {kIdStopCommand, L"Stop\nStop"},
        {kIdOptionsCommand, L"Options\nOptions"},
        {kIdEditCommand, L"Edit\nEdit"},
        {kIdStartCommand, L"Start\nStart"},
    }};
    return strings;
}

const ToolBarTemplate& MainToolBar() {
    static const ToolBarTemplate toolBar{
        kIdToolBar,
        16,
        15,
        {kIdStartCommand, kIdStopCommand, 0, kIdOptionsCommand, 0, kIdEditCommand}};
    return toolBar;
}
