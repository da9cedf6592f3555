// Copying and comparing scan options value by value.
#include "engine/scan_options.h"

ScanOptions& ScanOptions::operator=(const ScanOptions& other) {
    if (this == &other) return *this;
    checkImages = other.checkImages.load();
    checkAllTags = other.checkAllTags.load();
    checkExternalUrls = other.checkExternalUrls.load();
    useExternalEditor = other.useExternalEditor.load();
    editorCommand = other.editorCommand;
    scanPageOnly = other.scanPageOnly.load();
    checkHttpsLinks = other.checkHttpsLinks.load();
    return *this;
}

bool operator==(const ScanOptions& a, const ScanOptions& b) {
    return a.checkImages == b.checkImages && a.checkAllTags == b.checkAllTags &&
           a.checkExternalUrls == b.checkExternalUrls &&
           a.useExternalEditor == b.useExternalEditor && a.editorCommand == b.editorCommand &&
           a.scanPageOnly == b.scanPageOnly && a.checkHttpsLinks == b.checkHttpsLinks;
}
