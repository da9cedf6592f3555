// ZentribEditor's dialog templates, menu and strings, as data. Its icon is in
// images/, compiled in under :/images and loaded with LoadImageResource
// (ui/framework/image_resources.h).
#pragma once

#include "resources/editor/editor_ids.h"
#include "ui/framework/resource_types.h"

inline constexpr wchar_t kEditorCaption[] = L"Skarnel Editor";
inline constexpr wchar_t kEditorAboutText[] = L"Skarnel Editor Version 1.0";

[[nodiscard]] const DialogTemplate& EditorDialogTemplate();
[[nodiscard]] const DialogTemplate& EditorAboutDialogTemplate();
[[nodiscard]] const MenuTemplate& EditorMenu();
[[nodiscard]] const StringTable& EditorStrings();
