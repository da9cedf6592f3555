// The About box.
#include "ui/skarnel/dlg_about.h"

#include "resources/skarnel/skarnel_resources.h"

CDlgAbout::CDlgAbout(QWidget* parent) : CDialog(AboutDialogTemplate(), parent) {}
