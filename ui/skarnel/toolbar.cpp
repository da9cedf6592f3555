// The toolbar classes: buttons from a toolbar template, labels from the
// string resources, the button size rules, the gripper and the picture sets.
#include "ui/skarnel/toolbar.h"

#include <QAction>
#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QPalette>
#include <QToolButton>
#include <algorithm>

#include "ui/framework/image_resources.h"
#include "ui/framework/qt_text.h"

namespace {

// The width a label adds around its text, as a button's picture adds 8.
constexpr int kLabelPadding = 8;
// The gap between the gripper side and the first button.
constexpr int kGripperSpace = 5;

// The bar shows no tooltips: its buttons say what they do underneath.
class TooltipBlocker : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ToolTip) return true;
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

std::wstring ToolBarButtonLabel(const std::wstring& resourceText) {
    const std::size_t lineFeed = resourceText.rfind(L'\n');
    return lineFeed == std::wstring::npos ? resourceText : resourceText.substr(lineFeed + 1);
}

QSize ToolBarButtonSize(QSize imageSize, bool textLabels, int labelWidth, int labelHeight) {
    QSize size(imageSize.width() + 8, imageSize.height() + 7);
    if (textLabels) {
        size.setWidth(std::max(size.width(), labelWidth));
        size.setHeight(size.height() + labelHeight);
    }
    return size;
}

std::vector<QPixmap> CutImageStrip(const QPixmap& strip, QSize size) {
    std::vector<QPixmap> pictures;
    if (strip.isNull() || size.width() <= 0 || size.height() <= 0) return pictures;
    for (int left = 0; left + size.width() <= strip.width(); left += size.width()) {
        pictures.push_back(strip.copy(left, 0, size.width(), size.height()));
    }
    return pictures;
}

COOExToolBar::COOExToolBar(QWidget* parent) : QToolBar(parent) {
    setMovable(false);
    setFloatable(false);
    setContentsMargins(kGripperSpace, 0, 0, 0);
}

bool COOExToolBar::Create(QWidget* parent, int id) {
    if (parent == nullptr) return false;
    if (parentWidget() != parent) setParent(parent);
    m_id = id;
    move(0, 0);
    show();
    return true;
}

bool COOExToolBar::LoadToolBar(const ToolBarTemplate& toolBar, const StringTable& strings) {
    if (toolBar.commands.empty()) return false;
    auto* blocker = new TooltipBlocker(this);
    int widest = 0;
    bool anyLabel = false;
    const QFontMetrics metrics(font());
    for (const int command : toolBar.commands) {
        if (command == 0) {
            addSeparator();
            continue;
        }
        const QString label = ToQString(ToolBarButtonLabel(strings.Load(command)));
        QAction* action = addAction(label);
        connect(action, &QAction::triggered, this, [this, command] { emit CommandSent(command); });
        widgetForAction(action)->installEventFilter(blocker);
        m_buttons.emplace_back(command, action);
        if (!label.isEmpty()) {
            anyLabel = true;
            widest = std::max(widest, metrics.horizontalAdvance(label) + kLabelPadding);
        }
    }
    m_labelWidth = std::max(widest, m_smallImageSize.width() + 8);
    // Two pixels keep the text clear of the picture above it.
    m_labelHeight = anyLabel ? metrics.height() + 2 : 0;
    LayOut();
    return true;
}

void COOExToolBar::LoadImages() { ApplyImageLists(); }

void COOExToolBar::ApplyImageLists() {
    const std::size_t first = m_imageSizeMode == ImageSizeMode::kSmall ? kHotSmall : kHotLarge;
    const std::vector<QPixmap>& hot = m_imageLists[first];
    const std::vector<QPixmap>& normal = m_imageLists[first + 1];
    const std::vector<QPixmap>& disabled = m_imageLists[first + 2];
    for (std::size_t image = 0; image < m_buttons.size(); ++image) {
        QIcon icon;
        if (image < normal.size()) icon.addPixmap(normal[image], QIcon::Normal);
        if (image < hot.size()) icon.addPixmap(hot[image], QIcon::Active);
        if (image < disabled.size()) icon.addPixmap(disabled[image], QIcon::Disabled);
        m_buttons[image].second->setIcon(icon);
    }
}

void COOExToolBar::SetTextLabels(bool on) {
    m_textLabels = on;
    LayOut();
}

QSize COOExToolBar::ButtonSize() const {
    const QSize image =
        m_imageSizeMode == ImageSizeMode::kSmall ? m_smallImageSize : m_largeImageSize;
    return ToolBarButtonSize(image, m_textLabels, m_labelWidth, m_labelHeight);
}

QAction* COOExToolBar::ActionFor(int command) const {
    for (const auto& [id, action] : m_buttons) {
        if (id == command) return action;
    }
    return nullptr;
}

void COOExToolBar::LayOut() {
    const QSize button = ButtonSize();
    setIconSize(m_imageSizeMode == ImageSizeMode::kSmall ? m_smallImageSize : m_largeImageSize);
    setToolButtonStyle(m_textLabels ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
    for (const auto& [id, action] : m_buttons) {
        if (QWidget* widget = widgetForAction(action)) widget->setFixedSize(button);
    }
    setFixedSize(kToolBarWidth, button.height() + 10);
    move(0, 0);
    update();
}

void COOExToolBar::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    // A bar has the face colour of buttons, whatever colour the window it
    // sits in has: on the window colour, white, its raised edges would not
    // show.
    painter.fillRect(rect(), palette().color(QPalette::Button));
    painter.end();
    QToolBar::paintEvent(event);
    DrawGripper();
    DrawBottomBorder();
}

void COOExToolBar::DrawGripper() {
    // One raised bar, 3 pixels wide, inside the bar's rectangle shrunk by 3.
    const QRect area = rect().adjusted(3, 3, -3, -3);
    if (area.height() <= 0) return;
    const QRect bar(area.left(), area.top(), 3, area.height());
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(bar.topLeft(), bar.topRight());
    painter.drawLine(bar.topLeft(), bar.bottomLeft());
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(bar.bottomLeft(), bar.bottomRight());
    painter.drawLine(bar.topRight(), bar.bottomRight());
}

void COOExToolBar::DrawBottomBorder() {
    // One line in the shadow colour parts the bar from what lies below it.
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(0, height() - 1, width() - 1, height() - 1);
}

void COOBmpToolBar::SetImageSource(int bitmapId, ImageKind kind, QColor transparent, ImageSet set) {
    const std::size_t list = static_cast<std::size_t>(kind) + (set == ImageSet::kSmall ? 0 : 3);
    m_sources[list] = ImageSource{bitmapId, transparent};
}

void COOBmpToolBar::LoadImages() {
    for (std::size_t list = 0; list < m_sources.size(); ++list) {
        const ImageSource& source = m_sources[list];
        m_imageLists[list].clear();
        if (source.bitmapId == 0) continue;
        const QSize size = list < 3 ? m_smallImageSize : m_largeImageSize;
        m_imageLists[list] =
            CutImageStrip(LoadImageResource(source.bitmapId, source.transparent), size);
    }
    ApplyImageLists();
}
