// The About box: the program icon and its name and version in a frame.
#pragma once

#include "ui/framework/dialog.h"

class CDlgAbout : public CDialog {
    Q_OBJECT

public:
    explicit CDlgAbout(QWidget* parent = nullptr);
};
