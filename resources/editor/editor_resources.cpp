// ZentribEditor's resources. Positions are in dialog units (left, top, width,
// height); texts are the ones users have always seen.
#include "resources/editor/editor_resources.h"

namespace {

DialogTemplate MakeEditorDialog() {
    DialogTemplate editor;
    editor.id = kIdEditorDialog;
    editor.caption = kEditorCaption;
    editor.width = 588;
    editor.height = 277;
    // A fixed frame: the text field never moves or changes size.
    editor.styles = DialogStyles{.resizable = false, .minimizeBox = true, .appWindow = true};
    editor.menu = &EditorMenu();
    editor.controls = {
        {kIdTextField,
         ControlKind::kMultiLineEdit,
         L"",
         {0, 1, 587, 275},
         {.border = true,
          .autoHorizontalScroll = true,
          .autoVerticalScroll = true,
          .verticalScrollBar = true,
          .wantReturn = true}},
    };
    return editor;
}

DialogTemplate MakeAboutDialog() {
    DialogTemplate about;
    about.id = kIdEditorAboutDialog;
    about.caption = L"About Skarnel Editor";
    about.width = 235;
    about.height = 55;
    about.controls = {
        {kNoControlId, ControlKind::kIcon, L"", {11, 17, 21, 20}, {}, kIdEditorIcon},
        {kNoControlId, ControlKind::kStaticFrame, L"", {36, 8, 134, 40}, {}},
        {kNoControlId, ControlKind::kStaticText, kEditorAboutText, {44, 16, 119, 8}, {}},
        {kNoControlId,
         ControlKind::kStaticText,
         L"Opens a page at a line and saves it under any name.",
         {44, 28, 119, 16},
         {}},
        {kIdOk, ControlKind::kDefaultPushButton, L"OK", {178, 8, 50, 14}, {}},
    };
    return about;
}

}  // namespace

const MenuTemplate& EditorMenu() {
    static const MenuTemplate menu{
        kIdEditorMenu,
        {
            MenuPopupTemplate{L"File",
                              {{L"Save as...", kIdSaveAs}, {L"", 0}, {L"Exit", kIdEditorExit}}},
            MenuPopupTemplate{L"Help", {{L"About...", kIdEditorAbout}}},
        }};
    return menu;
}

const DialogTemplate& EditorDialogTemplate() {
    static const DialogTemplate editor = MakeEditorDialog();
    return editor;
}

const DialogTemplate& EditorAboutDialogTemplate() {
    static const DialogTemplate about = MakeAboutDialog();
    return about;
}

const StringTable& EditorStrings() {
    static const StringTable strings{{
        {kIdEditorAboutString, L"&About ZentribEditor..."},
    }};
    return strings;
}
