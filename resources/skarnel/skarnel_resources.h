// Skarnel's dialog templates, menu, strings and toolbar, as data. Pictures
// are in images/, compiled in under :/images and loaded with
// LoadImageResource (ui/framework/image_resources.h).
#pragma once

#include "resources/skarnel/skarnel_ids.h"
#include "ui/framework/resource_types.h"

// The example web address the Path field starts with: a local server, so
// pressing Start by accident reaches nothing outside this machine.
inline constexpr wchar_t kExampleSiteAddress[] = L"http://localhost/index.html";
inline constexpr wchar_t kAboutText[] = L"Skarnel Version 1.2";

[[nodiscard]] const DialogTemplate& AboutDialogTemplate();
[[nodiscard]] const DialogTemplate& MainDialogTemplate();
[[nodiscard]] const DialogTemplate& OptionsDialogTemplate();
[[nodiscard]] const MenuTemplate& MainMenu();
// The results table's context menu.
[[nodiscard]] const MenuPopupTemplate& RowContextMenu();
[[nodiscard]] const StringTable& SkarnelStrings();
[[nodiscard]] const ToolBarTemplate& MainToolBar();
