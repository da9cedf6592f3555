// CDialog: a QDialog built from a dialog template. It creates the controls
// at their template positions (dialog units mapped through the dialog font),
// puts the menu bar above the client area, finds controls by id, moves
// values to and from them in DoDataExchange, and dispatches command ids from
// buttons, menus, Enter and Esc to handlers. UI thread only.
#pragma once

#include <QDialog>
#include <QFont>
#include <functional>
#include <map>
#include <string>

#include "ui/framework/dialog_units.h"
#include "ui/framework/resource_types.h"

class QAction;
class QMenu;
class QMenuBar;
class QPlainTextEdit;

// Gives a multi-line edit the frame, wrapping and scroll bars its template
// asks for; for windows that create their own edit class for a template id.
void ApplyMultiLineEditStyles(QPlainTextEdit* edit, const ControlTemplate& control);
// Draws the selection the same with or without the focus, so a selected row or
// line stays visible while the user works elsewhere.
void KeepSelectionShownWithoutFocus(QWidget* widget);

class CDialog : public QDialog {
    Q_OBJECT

public:
    // Without a parent, the dialog is owned by the application's active window.
    explicit CDialog(const DialogTemplate& dialogTemplate, QWidget* parent = nullptr);

    // Builds the window and runs OnInitDialog (once), without a modal loop.
    void Create();
    // Creates the window if needed, runs it modally, and returns the result
    // given to EndDialog (kIdOk, kIdCancel, ...).
    int DoModal();
    void EndDialog(int result);
    // True once EndDialog has run.
    [[nodiscard]] bool HasEnded() const { return m_ended; }

    // Runs the handler of a command id as a click, a menu entry or a key would.
    void SendCommand(int id);

    // The control with that id, or nullptr.
    [[nodiscard]] QWidget* GetDlgItem(int id) const;
    template <class Widget>
    [[nodiscard]] Widget* Item(int id) const {
        return qobject_cast<Widget*>(GetDlgItem(id));
    }

    // Runs DoDataExchange: save moves control values into members.
    bool UpdateData(bool save);

    // The area below the menu bar that holds the controls.
    [[nodiscard]] QWidget* ClientArea() const { return m_client; }
    [[nodiscard]] QMenuBar* MenuBar() const { return m_menuBar; }
    // The menu entry that sends command, or nullptr.
    [[nodiscard]] QAction* MenuAction(int command) const;
    [[nodiscard]] const DialogTemplate& Template() const { return m_template; }
    [[nodiscard]] const QFont& DialogFontUsed() const { return m_font; }
    [[nodiscard]] DialogBaseUnits BaseUnits() const { return m_units; }
    [[nodiscard]] QRect MapDialogRect(const DialogRect& rect) const;

protected:
    // Runs after the controls exist; the default fills them from the members.
    // Returning true lets the framework focus the first control that takes it.
    virtual bool OnInitDialog();
    virtual void DoDataExchange(bool save) { (void)save; }
    // What kIdOk and kIdCancel do when no handler is set: OK takes the values
    // from the controls and ends with kIdOk; Cancel ends with kIdCancel.
    virtual void OnOK();
    virtual void OnCancel();
    // A close request (close box, Alt+F4); the default sends kIdCancel.
    virtual void OnClose();
    // The client area's new size, after every resize that changed it.
    virtual void OnSize(int cx, int cy) {
        (void)cx;
        (void)cy;
    }
    // Creates the widget for one template control; override to supply a
    // widget class of your own for some id.
    virtual QWidget* CreateControl(const ControlTemplate& control, QWidget* parent);

    void OnCommand(int id, std::function<void()> handler);
    // A pop-up menu of its own (a context menu) whose entries send their
    // commands as the menu bar's do; MenuAction finds them too.
    QMenu* CreatePopupMenu(const MenuPopupTemplate& popup, QWidget* parent);
    // Paints the dialog in the window colour instead of the dialog face colour.
    void UseWindowColourBackground();

    // Data exchange helpers for DoDataExchange.
    void DdxText(bool save, int id, std::wstring& value);
    void DdxCheck(bool save, int id, int& value);

    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class CDialogClient;

    void BuildWindow();
    void BuildMenu();
    void AddMenuItems(QMenu* menu, const std::vector<MenuItemTemplate>& items);
    void BuildControls();
    void ConnectCommand(QWidget* widget, int id);
    void FocusFirstTabStop();
    void ClientResized(int cx, int cy);
    // The command Enter sends: the focused push button's, else the default
    // push button's, else kIdOk.
    [[nodiscard]] int EnterCommand() const;

    DialogTemplate m_template;
    QFont m_font;
    DialogBaseUnits m_units;
    QMenuBar* m_menuBar = nullptr;
    QWidget* m_client = nullptr;
    std::map<int, QWidget*> m_controls;
    std::map<int, QAction*> m_menuActions;
    std::map<int, std::function<void()>> m_commandHandlers;
    bool m_created = false;
    bool m_ended = false;
    QSize m_lastClientSize;
};
