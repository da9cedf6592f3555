// CDialog: building a dialog from its template and dispatching its commands.
#include "ui/framework/dialog.h"

#include <QAbstractButton>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QTreeView>
#include <cassert>

#include "ui/framework/image_resources.h"
#include "ui/framework/qt_text.h"

// The client area: reports its size changes to the dialog's OnSize.
class CDialogClient : public QWidget {
    Q_OBJECT

public:
    explicit CDialogClient(CDialog* dialog) : QWidget(dialog), m_dialog(dialog) {}

protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        m_dialog->ClientResized(event->size().width(), event->size().height());
    }

private:
    CDialog* m_dialog;
};

namespace {

QWidget* OwnerFor(const DialogTemplate& dialogTemplate, QWidget* parent) {
    if (parent != nullptr || dialogTemplate.styles.appWindow) return parent;
    return QApplication::activeWindow();
}

Qt::WindowFlags WindowFlagsFor(const DialogStyles& styles) {
    Qt::WindowFlags flags = styles.appWindow ? Qt::Window : Qt::Dialog;
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
             Qt::WindowCloseButtonHint;
    if (styles.minimizeBox) flags |= Qt::WindowMinimizeButtonHint;
    if (styles.maximizeBox) flags |= Qt::WindowMaximizeButtonHint;
    return flags;
}

QWidget* CreateStaticText(const ControlTemplate& control, QWidget* parent) {
    auto* label = new QLabel(ToQString(control.text), parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    return label;
}

QWidget* CreateFrame(QWidget* parent) {
    auto* frame = new QFrame(parent);
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    return frame;
}

QWidget* CreateIcon(const ControlTemplate& control, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setPixmap(LoadImageResource(control.imageId));
    return label;
}

QWidget* CreateEdit(const ControlTemplate& control, QWidget* parent) {
    auto* edit = new QLineEdit(ToQString(control.text), parent);
    edit->setFrame(control.styles.border);
    return edit;
}

QWidget* CreateMultiLineEdit(const ControlTemplate& control, QWidget* parent) {
    auto* edit = new QPlainTextEdit(ToQString(control.text), parent);
    ApplyMultiLineEditStyles(edit, control);
    return edit;
}

QWidget* CreatePushButton(const ControlTemplate& control, QWidget* parent) {
    auto* button = new QPushButton(ToQString(control.text), parent);
    // Enter is routed by the dialog itself (EnterCommand), not by Qt's
    // default-button logic.
    button->setAutoDefault(false);
    button->setDefault(control.kind == ControlKind::kDefaultPushButton);
    return button;
}

QWidget* CreateGroupBox(const ControlTemplate& control, QWidget* parent) {
    auto* group = new QGroupBox(ToQString(control.text), parent);
    // A group box is drawn behind the controls it frames and must not take
    // their clicks, whatever its place in the template.
    group->setAttribute(Qt::WA_TransparentForMouseEvents);
    return group;
}

QWidget* CreateListView(const ControlTemplate& control, QWidget* parent) {
    auto* view = new QTreeView(parent);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true);
    view->setAllColumnsShowFocus(true);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(control.styles.singleSelection ? QAbstractItemView::SingleSelection
                                                          : QAbstractItemView::ExtendedSelection);
    view->setFrameShape(control.styles.border ? QFrame::StyledPanel : QFrame::NoFrame);
    if (control.styles.alwaysShowSelection) KeepSelectionShownWithoutFocus(view);
    return view;
}

bool TakesTabFocus(const QWidget* widget) {
    return (widget->focusPolicy() & Qt::TabFocus) == Qt::TabFocus;
}

}  // namespace

void ApplyMultiLineEditStyles(QPlainTextEdit* edit, const ControlTemplate& control) {
    edit->setFrameShape(control.styles.border ? QFrame::StyledPanel : QFrame::NoFrame);
    edit->setLineWrapMode(control.styles.autoHorizontalScroll ? QPlainTextEdit::NoWrap
                                                              : QPlainTextEdit::WidgetWidth);
    edit->setVerticalScrollBarPolicy(control.styles.verticalScrollBar ? Qt::ScrollBarAlwaysOn
                                                                      : Qt::ScrollBarAlwaysOff);
    edit->setHorizontalScrollBarPolicy(control.styles.horizontalScrollBar ? Qt::ScrollBarAlwaysOn
                                                                          : Qt::ScrollBarAlwaysOff);
    edit->setTabChangesFocus(true);
}

void KeepSelectionShownWithoutFocus(QWidget* widget) {
    QPalette palette = widget->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    }
    widget->setPalette(palette);
}

CDialog::CDialog(const DialogTemplate& dialogTemplate, QWidget* parent)
    : QDialog(OwnerFor(dialogTemplate, parent)), m_template(dialogTemplate) {}

void CDialog::Create() {
    if (m_created) return;
    m_created = true;
    BuildWindow();
    if (OnInitDialog()) FocusFirstTabStop();
}

int CDialog::DoModal() {
    Create();
    m_ended = false;
    return exec();
}

void CDialog::EndDialog(int result) {
    m_ended = true;
    done(result);
}

void CDialog::SendCommand(int id) {
    const auto handler = m_commandHandlers.find(id);
    if (handler != m_commandHandlers.end()) {
        // A copy: the handler may replace itself or end the dialog.
        const std::function<void()> call = handler->second;
        call();
    } else if (id == kIdOk) {
        OnOK();
    } else if (id == kIdCancel) {
        OnCancel();
    }
}

QWidget* CDialog::GetDlgItem(int id) const {
    const auto control = m_controls.find(id);
    return control == m_controls.end() ? nullptr : control->second;
}

QAction* CDialog::MenuAction(int command) const {
    const auto action = m_menuActions.find(command);
    return action == m_menuActions.end() ? nullptr : action->second;
}

bool CDialog::UpdateData(bool save) {
    DoDataExchange(save);
    return true;
}

QRect CDialog::MapDialogRect(const DialogRect& rect) const {
    return DialogRectToPixels(rect, m_units);
}

bool CDialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void CDialog::OnOK() {
    if (UpdateData(true)) EndDialog(kIdOk);
}

void CDialog::OnCancel() { EndDialog(kIdCancel); }

void CDialog::OnClose() { SendCommand(kIdCancel); }

QWidget* CDialog::CreateControl(const ControlTemplate& control, QWidget* parent) {
    switch (control.kind) {
        case ControlKind::kStaticText:
            return CreateStaticText(control, parent);
        case ControlKind::kStaticFrame:
            return CreateFrame(parent);
        case ControlKind::kIcon:
            return CreateIcon(control, parent);
        case ControlKind::kEdit:
            return CreateEdit(control, parent);
        case ControlKind::kMultiLineEdit:
            return CreateMultiLineEdit(control, parent);
        case ControlKind::kPushButton:
        case ControlKind::kDefaultPushButton:
            return CreatePushButton(control, parent);
        case ControlKind::kAutoCheckBox:
            return new QCheckBox(ToQString(control.text), parent);
        case ControlKind::kGroupBox:
            return CreateGroupBox(control, parent);
        case ControlKind::kListView:
            return CreateListView(control, parent);
    }
    return new QWidget(parent);
}

void CDialog::OnCommand(int id, std::function<void()> handler) {
    m_commandHandlers[id] = std::move(handler);
}

void CDialog::UseWindowColourBackground() {
    for (QWidget* widget : {static_cast<QWidget*>(this), m_client}) {
        if (widget == nullptr) continue;
        QPalette palette = widget->palette();
        palette.setColor(QPalette::Window, palette.color(QPalette::Base));
        widget->setPalette(palette);
        widget->setAutoFillBackground(true);
    }
}

void CDialog::DdxText(bool save, int id, std::wstring& value) {
    QWidget* control = GetDlgItem(id);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        if (save) {
            value = ToWString(edit->text());
        } else {
            edit->setText(ToQString(value));
        }
    } else if (auto* multiLine = qobject_cast<QPlainTextEdit*>(control)) {
        if (save) {
            value = ToWString(multiLine->toPlainText());
        } else {
            multiLine->setPlainText(ToQString(value));
        }
    } else {
        assert(false && "DdxText needs an edit control");
    }
}

void CDialog::DdxCheck(bool save, int id, int& value) {
    auto* box = Item<QAbstractButton>(id);
    assert(box != nullptr && "DdxCheck needs a check box");
    if (box == nullptr) return;
    if (save) {
        value = box->isChecked() ? 1 : 0;
    } else {
        box->setChecked(value != 0);
    }
}

void CDialog::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::NoModifier) {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            SendCommand(EnterCommand());
            return;
        }
        if (event->key() == Qt::Key_Escape) {
            SendCommand(kIdCancel);
            return;
        }
    }
    // Not QDialog's handler: Enter and Esc are the dialog's own commands.
    QWidget::keyPressEvent(event);
}

void CDialog::closeEvent(QCloseEvent* event) {
    if (!m_ended) OnClose();
    event->setAccepted(m_ended);
}

bool CDialog::eventFilter(QObject* watched, QEvent* event) {
    // A multi-line edit without "want return" hands Enter to the dialog.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            SendCommand(EnterCommand());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CDialog::BuildWindow() {
    setWindowFlags(WindowFlagsFor(m_template.styles));
    setWindowTitle(ToQString(m_template.caption));
    m_font = DialogFont(ToQString(m_template.fontName), m_template.pointSize);
    m_units = BaseUnitsOf(m_font);
    BuildMenu();
    m_client = new CDialogClient(this);
    m_client->setFont(m_font);
    BuildControls();

    const int menuHeight = m_menuBar != nullptr ? m_menuBar->sizeHint().height() : 0;
    const QSize client(MulDivRounded(m_template.width, m_units.x, 4),
                       MulDivRounded(m_template.height, m_units.y, 8));
    // The template's own size is where the controls already are: only later
    // changes reach OnSize.
    m_lastClientSize = client;
    if (m_menuBar != nullptr) m_menuBar->setGeometry(0, 0, client.width(), menuHeight);
    m_client->setGeometry(0, menuHeight, client.width(), client.height());
    const QSize window(client.width(), client.height() + menuHeight);
    if (m_template.styles.resizable) {
        resize(window);
    } else {
        setFixedSize(window);
    }
}

void CDialog::BuildMenu() {
    if (m_template.menu == nullptr) return;
    m_menuBar = new QMenuBar(this);
    for (const MenuPopupTemplate& popup : m_template.menu->popups) {
        AddMenuItems(m_menuBar->addMenu(ToQString(popup.text)), popup.items);
    }
}

QMenu* CDialog::CreatePopupMenu(const MenuPopupTemplate& popup, QWidget* parent) {
    auto* menu = new QMenu(ToQString(popup.text), parent);
    AddMenuItems(menu, popup.items);
    return menu;
}

void CDialog::AddMenuItems(QMenu* menu, const std::vector<MenuItemTemplate>& items) {
    QActionGroup* radioGroup = nullptr;
    for (const MenuItemTemplate& item : items) {
        if (!item.radio) radioGroup = nullptr;
        if (item.command == 0) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(ToQString(item.text));
        if (!item.shortcut.empty()) action->setShortcut(QKeySequence(ToQString(item.shortcut)));
        if (item.radio) {
            if (radioGroup == nullptr) radioGroup = new QActionGroup(menu);
            action->setCheckable(true);
            radioGroup->addAction(action);
        }
        const int command = item.command;
        connect(action, &QAction::triggered, this, [this, command] { SendCommand(command); });
        m_menuActions[command] = action;
    }
}

void CDialog::BuildControls() {
    for (const ControlTemplate& control : m_template.controls) {
        QWidget* widget = CreateControl(control, m_client);
        widget->setGeometry(MapDialogRect(control.rect));
        if (control.styles.hidden) widget->setHidden(true);
        if (control.styles.disabled) widget->setEnabled(false);
        if (control.styles.noTabStop && TakesTabFocus(widget)) {
            widget->setFocusPolicy(Qt::ClickFocus);
        }
        if (control.kind == ControlKind::kGroupBox || control.kind == ControlKind::kStaticFrame) {
            widget->lower();
        }
        if (control.kind == ControlKind::kMultiLineEdit && !control.styles.wantReturn) {
            widget->installEventFilter(this);
        }
        if (control.id != kNoControlId) {
            m_controls[control.id] = widget;
            ConnectCommand(widget, control.id);
        }
    }
}

void CDialog::ConnectCommand(QWidget* widget, int id) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        connect(button, &QAbstractButton::clicked, this, [this, id] { SendCommand(id); });
    }
}

void CDialog::FocusFirstTabStop() {
    for (const ControlTemplate& control : m_template.controls) {
        QWidget* widget = GetDlgItem(control.id);
        if (widget == nullptr || !widget->isEnabled() || widget->isHidden()) continue;
        if (!TakesTabFocus(widget)) continue;
        widget->setFocus(Qt::TabFocusReason);
        return;
    }
}

void CDialog::ClientResized(int cx, int cy) {
    const QSize size(cx, cy);
    if (size == m_lastClientSize) return;
    m_lastClientSize = size;
    OnSize(cx, cy);
}

int CDialog::EnterCommand() const {
    QWidget* focused = focusWidget();
    for (const auto& [id, widget] : m_controls) {
        if (widget == focused && qobject_cast<QPushButton*>(widget) != nullptr) return id;
    }
    for (const auto& [id, widget] : m_controls) {
        auto* button = qobject_cast<QPushButton*>(widget);
        if (button != nullptr && button->isDefault() && button->isEnabled()) return id;
    }
    return kIdOk;
}

void CDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const int menuHeight = m_menuBar != nullptr ? m_menuBar->height() : 0;
    if (m_menuBar != nullptr) m_menuBar->setGeometry(0, 0, width(), menuHeight);
    if (m_client != nullptr) m_client->setGeometry(0, menuHeight, width(), height() - menuHeight);
}

#include "dialog.moc"
