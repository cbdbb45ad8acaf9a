#pragma once

#include "SettingsFile.hpp"
#include "TBinder.hpp"
#include "TimerEngine.hpp"

#include <QMainWindow>
#include <QMargins>
#include <QPoint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class IDialogs;
class QAction;
class QLabel;
class QMenu;
class QSystemTrayIcon;
class QTabWidget;
class QToolButton;
class QPushButton;
class QLineEdit;
class TFmDisplay;
class TShortcutPriority;

// The operator's window and the program's main window: the time mirror, the four command
// buttons, five tabs of settings, the menus, the tray icon and the program-wide shortcuts. It owns
// the timing engine, which decides everything, and carries out what the engine asks of it.
// Closing it ends the program. UI thread only.
class TFmMain : public QMainWindow, public quorvane::IControlView {
    Q_OBJECT
public:
    // `settings` names the settings file; with an empty path the window starts with the
    // defaults and saves nothing.
    TFmMain(quorvane::IClock& clock, quorvane::ITimerFactory& timers, quorvane::ISoundCues& sound,
            IDialogs& dialogs, quorvane::TSettingsChoice settings = {}, QWidget* parent = nullptr);
    ~TFmMain() override;

    quorvane::TTimerEngine& Engine() { return *m_engine; }
    QSystemTrayIcon* TrayIcon() const { return m_trayIcon; }
    QMenu* TrayPopupMenu() const { return m_trayPopupMenu; }
    bool InTray() const { return m_inTray; }
    // The display window, or null before the first showing.
    TFmDisplay* Display() const { return FmDisplay.get(); }
    const std::string& SettingsFileName() const { return m_settings.Path; }
    bool SettingsLoaded() const { return m_settingsLoaded; }

    // Gives another window of the program the commands' and the main menu's shortcuts: Qt fires
    // an action only through a visible window that carries it, and the keys must work there too,
    // also while this window is hidden in the tray.
    void ShareShortcuts(QWidget* window) const;

    // Closes for a session that ends (a signal), which cannot wait for the operator: `save`
    // takes the place of the settings save, and no failure of it keeps the window open.
    using TSessionSave = std::function<void(const std::string& path, quorvane::TTimerEngine&,
                                            const quorvane::TWindowPlace&, bool displayMaximised)>;
    void CloseAtSessionEnd(TSessionSave save);

    void MnExitClick();
    void MnAboutClick();
    // Hides the window and its taskbar entry behind the tray icon.
    void MinimiseToTray();
    void MnShowControlsClick();
    void TrayIconClick();

    // IControlView
    void SetControlTimeText(const std::string& text) override;
    void SetControlTimeColour(quorvane::Colour colour) override;
    void SetControlTimeBackColour(quorvane::Colour colour) override;
    void SetTitleText(const std::string& text) override;
    void ProcessPendingEvents() override;
    void ShowWarning(const std::string& text) override;
    void SetStayOnTop(bool onTop) override;
    void ShowDisplayWindow(bool show) override;
    void FocusMessageClear() override;
    void FocusMessageEditor() override;

signals:
    // The close request was accepted: the program ends.
    void Closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildWindow();
    void BuildTimesTab(QWidget* page);
    void BuildColoursTab(QWidget* page);
    void BuildOptionsTab(QWidget* page);
    void BuildSoundTab(QWidget* page);
    void BuildMessageTab(QWidget* page);
    void BuildMenus();
    void BuildTray();
    void BuildTimerMenu();
    // The time mirror striped and "Blackout" over it while the display window is dark.
    void ShowBlackout();
    QAction* CommandAction(const char* name, quorvane::TCommand& command);
    void AddProgramAction(QAction* action);
    void CreateDisplayWindow();

    void FormCreate();
    void FormShow();
    // Returns false when the settings could not be saved: the window then stays open.
    bool FormClose();
    void LoadSettings();
    void LoadDefaults();
    quorvane::TWindowPlace MainWindowPlace() const;

    // Runs what the operator started; an exception escaping it is shown in the error box.
    void RunOperator(const std::function<void()>& handler);
    void UpdateEscapeClear();
    void PlaceAt(const QPoint& framePosition);
    QMargins FrameMargins() const;
    QRect FrameGeometry() const;
    void MoveFrameTo(const QPoint& framePosition);
    void FrameMayHaveChanged();
    void AwaitFrame(int attempts);

    IDialogs& m_dialogs;
    std::unique_ptr<quorvane::TTimerEngine> m_engine;
    TBinder m_binder;
    const quorvane::TSettingsChoice m_settings;
    // Set once the settings file has been read; a file that could not be read is never
    // overwritten.
    bool m_settingsLoaded = false;
    TSessionSave m_sessionSave;
    bool m_closing = false;
    bool FirstShowDone = false;
    bool m_inTray = false;
    bool m_snapping = false;
    QPoint m_restorePosition;
    // Where the program put the window's frame, and the frame's margins at that moment.
    std::optional<QPoint> m_wantedPosition;
    QMargins m_placedMargins;

    QLabel* LaTime = nullptr;
    QLabel* LaBlackout = nullptr;
    quorvane::Colour m_timeBackColour = 0x000000;
    QTabWidget* PageControl1 = nullptr;
    QWidget* tsMessage = nullptr;
    QLineEdit* edtMessageText = nullptr;
    QPushButton* btnMessageClear = nullptr;
    QAction* m_escapeClear = nullptr;
    QMenu* m_trayPopupMenu = nullptr;
    QSystemTrayIcon* m_trayIcon = nullptr;
    TShortcutPriority* m_shortcutPriority = nullptr;
    // The commands and main-menu items whose keys belong to the whole program.
    std::vector<QAction*> m_programActions;
    // Declared last, so that it goes first: it reads the engine until it is gone.
    std::unique_ptr<TFmDisplay> FmDisplay;
};
