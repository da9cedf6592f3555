// ZentribEditor's resource, control and command ids, the numbers the editor
// has always used.
#pragma once

// Dialog templates, strings, icon, menu.
inline constexpr int kIdEditorAboutDialog = 100;
inline constexpr int kIdEditorAboutString = 101;
inline constexpr int kIdEditorDialog = 102;
inline constexpr int kIdEditorIcon = 128;
inline constexpr int kIdEditorMenu = 129;

// The one control of the editor window: the text field.
inline constexpr int kIdTextField = 1000;

// Commands of the menu and the system menu.
inline constexpr int kIdSaveAs = 32771;
inline constexpr int kIdEditorExit = 32772;
inline constexpr int kIdEditorAbout = 32773;
inline constexpr int kIdEditorSystemAbout = 16;
