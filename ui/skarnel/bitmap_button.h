// A push button that shows a picture from the image resources (white
// transparent) in place of a plain face. The main window's three hidden
// buttons are of this kind. UI thread only.
#pragma once

#include <QPushButton>

class CBitmapButton : public QPushButton {
    Q_OBJECT

public:
    explicit CBitmapButton(const QString& text, QWidget* parent);

    // Shows picture id (0: none); the button's text stays as its caption.
    void SetBitmap(int id);
    [[nodiscard]] int Bitmap() const { return m_bitmap; }

private:
    int m_bitmap = 0;
};
