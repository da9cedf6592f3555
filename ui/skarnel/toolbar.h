// The main window's toolbar. COOExToolBar is a flat QToolBar with a gripper,
// labels under the pictures and separate picture sets for the normal, hot and
// disabled looks; COOBmpToolBar fills those sets by cutting bitmap strips.
// A click sends the button's command id through CommandSent. UI thread only.
#pragma once

#include <QColor>
#include <QPixmap>
#include <QSize>
#include <QToolBar>
#include <array>
#include <string>
#include <vector>

#include "ui/framework/resource_types.h"

// The label a button's string resource gives: the part after its last line
// feed (the whole string when it has none).
[[nodiscard]] std::wstring ToolBarButtonLabel(const std::wstring& resourceText);

// A button's size: the picture plus 8 by 7 pixels; with labels, at least the
// label width wide and the label height higher.
[[nodiscard]] QSize ToolBarButtonSize(QSize imageSize, bool textLabels, int labelWidth,
                                      int labelHeight);

// The pictures of a strip cut left to right into pieces of size; columns
// left over at the right carry no picture.
[[nodiscard]] std::vector<QPixmap> CutImageStrip(const QPixmap& strip, QSize size);

// The bar is as wide as any window it sits in will be; the window never
// resizes it.
inline constexpr int kToolBarWidth = 1450;

class COOExToolBar : public QToolBar {
    Q_OBJECT

public:
    enum class ImageSizeMode { kSmall = 0, kLarge = 1 };
    // Indexes of the six picture sets.
    enum ImageList {
        kHotSmall,
        kNormalSmall,
        kDisabledSmall,
        kHotLarge,
        kNormalLarge,
        kDisabledLarge
    };

    explicit COOExToolBar(QWidget* parent);

    // Gives the bar its id and shows it at the top of the parent. False when
    // there is no parent to sit in.
    bool Create(QWidget* parent, int id);
    // Makes one button per command of the template (0: a separator), labelled
    // from strings, measures the labels and lays the bar out. False when the
    // template has no buttons.
    virtual bool LoadToolBar(const ToolBarTemplate& toolBar, const StringTable& strings);
    virtual void LoadImages();
    // Hands the current mode's hot, normal and disabled sets to the buttons.
    void ApplyImageLists();
    void SetTextLabels(bool on);

    [[nodiscard]] QSize ButtonSize() const;
    [[nodiscard]] int LabelWidth() const { return m_labelWidth; }
    [[nodiscard]] int LabelHeight() const { return m_labelHeight; }
    [[nodiscard]] int Id() const { return m_id; }
    [[nodiscard]] const std::vector<QPixmap>& Images(ImageList list) const {
        return m_imageLists[list];
    }
    // The action of the button that sends command, or nullptr.
    [[nodiscard]] QAction* ActionFor(int command) const;

signals:
    void CommandSent(int command);

protected:
    void paintEvent(QPaintEvent* event) override;

    std::array<std::vector<QPixmap>, 6> m_imageLists;
    QSize m_smallImageSize{16, 16};
    QSize m_largeImageSize{32, 32};

private:
    void LayOut();
    void DrawGripper();
    void DrawBottomBorder();

    bool m_floatingMemory = false;
    ImageSizeMode m_imageSizeMode = ImageSizeMode::kSmall;
    bool m_textLabels = true;
    int m_labelHeight = 0;
    int m_labelWidth = 0;
    int m_id = 0;
    std::vector<std::pair<int, QAction*>> m_buttons;
};

class COOBmpToolBar : public COOExToolBar {
    Q_OBJECT

public:
    enum class ImageKind { kHot = 0, kNormal = 1, kDisabled = 2 };
    enum class ImageSet { kSmall, kLarge };

    explicit COOBmpToolBar(QWidget* parent) : COOExToolBar(parent) {}

    // Which bitmap feeds one look of one set, and its transparent colour.
    void SetImageSource(int bitmapId, ImageKind kind, QColor transparent, ImageSet set);
    void LoadImages() override;

private:
    struct ImageSource {
        int bitmapId = 0;
        QColor transparent;
    };
    std::array<ImageSource, 6> m_sources;
};
