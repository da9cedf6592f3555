// Resources as plain data: dialog templates (controls by id, kind, text and
// position in dialog units), menus, string tables and toolbar layouts. The
// programs' resources/ define them; CDialog and the toolbars are built from
// them. Nothing here depends on Qt.
#pragma once

#include <string>
#include <utility>
#include <vector>

// The id of a control that no code addresses (labels, frames).
inline constexpr int kNoControlId = -1;
// The command ids every dialog knows: Enter and the OK button send kIdOk,
// Esc, the close box and the Cancel button send kIdCancel.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

enum class ControlKind {
    kStaticText,
    kStaticFrame,  // an etched rectangle without text
    kIcon,         // a picture from an image resource (ControlTemplate::imageId)
    kEdit,
    kMultiLineEdit,
    kPushButton,
    kDefaultPushButton,
    kAutoCheckBox,
    kGroupBox,
    kListView,
};

// A rectangle in dialog units: left, top, width, height.
struct DialogRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool operator==(const DialogRect&) const = default;
};

struct ControlStyles {
    bool hidden = false;
    bool disabled = false;
    bool border = false;
    // Edits, buttons and check boxes are reached with Tab unless this is set;
    // labels, frames and group boxes never are.
    bool noTabStop = false;
    // Edits: scroll instead of wrapping or stopping at the edge.
    bool autoHorizontalScroll = false;
    bool autoVerticalScroll = false;
    bool verticalScrollBar = false;
    bool horizontalScrollBar = false;
    // Multi-line edits: Enter inserts a line break instead of reaching the dialog.
    bool wantReturn = false;
    // List views.
    bool singleSelection = false;
    bool alwaysShowSelection = false;
};

struct ControlTemplate {
    int id = kNoControlId;
    ControlKind kind = ControlKind::kStaticText;
    std::wstring text;
    DialogRect rect;
    ControlStyles styles;
    int imageId = 0;  // kIcon only
};

// One entry of a drop-down menu; command 0 is a separator. Neighbouring
// radio entries form one group of which exactly one is checked.
struct MenuItemTemplate {
    MenuItemTemplate(std::wstring itemText, int itemCommand, std::wstring itemShortcut = {},
                     bool isRadio = false)
        : text(std::move(itemText)),
          command(itemCommand),
          shortcut(std::move(itemShortcut)),
          radio(isRadio) {}

    std::wstring text;
    int command = 0;
    std::wstring shortcut;  // "Ctrl+1"; empty: none
    bool radio = false;
};

struct MenuPopupTemplate {
    std::wstring text;
    std::vector<MenuItemTemplate> items;
};

struct MenuTemplate {
    int id = 0;
    std::vector<MenuPopupTemplate> popups;
};

struct DialogStyles {
    bool resizable = false;
    bool minimizeBox = false;
    bool maximizeBox = false;
    // A window of its own in the task bar, rather than a dialog over its owner.
    bool appWindow = false;
};

struct DialogTemplate {
    int id = 0;
    std::wstring caption;
    int width = 0;  // dialog units
    int height = 0;
    std::wstring fontName = L"MS Shell Dlg";
    int pointSize = 8;
    DialogStyles styles;
    const MenuTemplate* menu = nullptr;
    std::vector<ControlTemplate> controls;
};

// A program's string resources by id.
struct StringTable {
    std::vector<std::pair<int, std::wstring>> entries;

    // The string with that id; empty when there is none.
    [[nodiscard]] std::wstring Load(int id) const;
};

// A toolbar resource: the size of one button picture, and the buttons left
// to right by command id (0 is a separator).
struct ToolBarTemplate {
    int id = 0;
    int imageWidth = 16;
    int imageHeight = 15;
    std::vector<int> commands;
};
