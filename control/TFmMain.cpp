#include "TFmMain.hpp"

#include "ColourConversion.hpp"
#include "ControlAccessibility.hpp"
#include "ErrorText.hpp"
#include "IDialogs.hpp"
#include "ProgramVersion.hpp"
#include "ScreenSnap.hpp"
#include "SettingsBinding.hpp"
#include "StayOnTop.hpp"
#include "TAboutBox.hpp"
#include "TColourButton.hpp"
#include "TFileNameEdit.hpp"
#include "TFmDisplay.hpp"
#include "TFontSelector.hpp"
#include "TShortcutPriority.hpp"
#include "TSpinEditor.hpp"
#include "TToggleButton.hpp"
#include "TimerIcon.hpp"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMoveEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

using namespace quorvane;

namespace {

constexpr int kClientWidth = 274;
constexpr int kClientHeight = 346;
constexpr int kTimeHeight = 75;
constexpr int kCommandWidth = 69;
constexpr int kCommandHeight = 41;
constexpr int kTabsHeight = 226;
constexpr int kSnapDistance = 5;

QString ToQt(const std::string& text) {
    return QString::fromStdString(text);
}

const QString& ProgramTitle() {
    static const QString title = QStringLiteral("Quorvane");
    return title;
}

template <class T> T* Named(T* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QLabel* LabelFor(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

void Compact(QLayout* layout) {
    layout->setContentsMargins(4, 3, 4, 3);
    layout->setSpacing(3);
}

// Sets the topmost state; an unchanged topmost state is re-asserted by raising, which does not
// activate the window, so that a window that came up since goes back under it.
void KeepOnTop(QWidget& window, bool onTop) {
    if (ApplyStayOnTop(window, onTop) || !onTop || !window.isVisible())
        return;
    if (QApplication::activePopupWidget() == nullptr &&
        QApplication::activeModalWidget() == nullptr)
        window.raise();
}

constexpr char kSettingsFileMissing[] = "The specified ini file could not be found.\r\n\r\nIt will "
                                        "be created when the program closes.";

// Message boxes here break lines with "\n" alone.
QString BoxText(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

} // namespace

TFmMain::TFmMain(IClock& clock, ITimerFactory& timers, ISoundCues& sound, IDialogs& dialogs,
                 TSettingsChoice settings, QWidget* parent)
    : QMainWindow(parent)
    , m_dialogs(dialogs)
    , m_engine(std::make_unique<TTimerEngine>(*this, clock, timers, sound))
    , m_binder([this](const std::function<void()>& handler) { RunOperator(handler); })
    , m_settings(std::move(settings)) {
    // Before any control exists: Qt keeps the first interface it makes for a control.
    InstallControlAccessibility();
    BuildWindow();
    FormCreate();
}

TFmMain::~TFmMain() {
    // The display window goes before the engine it reads.
    m_engine->SetDisplay(nullptr);
    FmDisplay.reset();
    // The widgets go first: some of them signal on their way out (a tab widget reports its
    // current page changing), and every such signal reaches into the engine.
    delete takeCentralWidget();
    delete m_trayPopupMenu;
    m_trayPopupMenu = nullptr;
}

// ---- building ---------------------------------------------------------------------------------

void TFmMain::BuildWindow() {
    setObjectName(QStringLiteral("FmMain"));
    setWindowTitle(ProgramTitle());
    setWindowIcon(TimerIcon());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    m_shortcutPriority = new TShortcutPriority(this);

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("Client"));
    client->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(client);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    LaTime = Named(new QLabel(QStringLiteral("00:00:00"), client), "LaTime");
    LaTime->setGeometry(0, 0, kClientWidth, kTimeHeight);
    LaTime->setAlignment(Qt::AlignCenter);
    LaTime->setAutoFillBackground(true);
    QFont timeFont(QStringLiteral("Arial"));
    timeFont.setBold(true);
    timeFont.setFixedPitch(true);
    timeFont.setPixelSize(48);
    LaTime->setFont(timeFont);
    SetControlTimeBackColour(0x000000);
    SetControlTimeColour(0x008000);

    TTimerEngine& e = *m_engine;
    const struct {
        const char* name;
        TCommand& command;
        QStyle::StandardPixmap image;
    } commands[] = {
        {"btRun", e.actRun, QStyle::SP_MediaPlay},
        {"btPause", e.actPause, QStyle::SP_MediaPause},
        {"btSetStart", e.actSetStartTime, QStyle::SP_MediaSkipBackward},
        {"btJump", e.actJump, QStyle::SP_MediaSkipForward},
    };
    QFont bold = font();
    bold.setBold(true);
    int column = 0;
    for (const auto& c : commands) {
        auto* button = Named(new QToolButton(client), c.name);
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setIcon(style()->standardIcon(c.image));
        button->setIconSize(QSize(16, 16));
        button->setFont(bold);
        button->setFocusPolicy(Qt::StrongFocus);
        // Four 69-pixel buttons in 274 pixels: the middle seams overlap by a pixel.
        button->setGeometry((kClientWidth - kCommandWidth) * column / 3, kTimeHeight + 2,
                            kCommandWidth, kCommandHeight);
        m_binder.Button(button, c.command);
        ++column;
    }

    PageControl1 = Named(new QTabWidget(client), "PageControl1");
    PageControl1->setGeometry(0, kClientHeight - kTabsHeight, kClientWidth, kTabsHeight);
    // Five tabs in 274 pixels: narrow tabs, all in view without scroll arrows.
    PageControl1->setUsesScrollButtons(false);
    PageControl1->tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 6px; }"));
    const struct {
        const char* name;
        const char* caption;
        void (TFmMain::*build)(QWidget*);
    } tabs[] = {
        {"tsTimes", "Times", &TFmMain::BuildTimesTab},
        {"tsColours", "Colours", &TFmMain::BuildColoursTab},
        {"tsOptions", "Options", &TFmMain::BuildOptionsTab},
        {"tsSound", "Sound", &TFmMain::BuildSoundTab},
        {"tsMessage", "Message", &TFmMain::BuildMessageTab},
    };
    for (const auto& t : tabs) {
        auto* page = Named(new QWidget, t.name);
        (this->*t.build)(page);
        PageControl1->addTab(page, QLatin1String(t.caption));
    }
    tsMessage = PageControl1->widget(4);
    PageControl1->setCurrentIndex(0);
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
        UpdateEscapeClear();
        if (PageControl1->widget(index) == tsMessage)
            RunOperator([this] { m_engine->tsMessageShow(); });
    });

    // The window's cancel button: Escape presses Clear while it can take the focus, that is
    // while the Message tab shows and Clear is enabled. Otherwise Escape goes on as usual.
    m_escapeClear = new QAction(this);
    m_escapeClear->setObjectName(QStringLiteral("EscapeClear"));
    m_escapeClear->setShortcut(QKeySequence(Qt::Key_Escape));
    m_escapeClear->setShortcutContext(Qt::WindowShortcut);
    addAction(m_escapeClear);
    m_shortcutPriority->Watch(m_escapeClear);
    connect(m_escapeClear, &QAction::triggered, this, [this] { btnMessageClear->click(); });
    e.actMessageClear.Changed.Watch([this] { UpdateEscapeClear(); });
    UpdateEscapeClear();

    BuildMenus();
    BuildTray();
    BuildTimerMenu();
}

void TFmMain::BuildTimesTab(QWidget* page) {
    TControls& c = m_engine->Controls;
    auto* column = new QVBoxLayout(page);
    Compact(column);
    const struct {
        const char* group;
        const char* title;
        TSpinEdit& hours;
        TSpinEdit& minutes;
        TSpinEdit& seconds;
        const char* names[3];
        const char* clear;
        const char* clearHint;
        void (TTimerEngine::*clearClick)();
        const char* active;
        TCheck& activeModel;
    } groups[] = {
        {"gbStartPosition",
         "Start Time",
         c.EdStartHours,
         c.EdStartMinutes,
         c.EdStartSeconds,
         {"EdStartHours", "EdStartMinutes", "EdStartSeconds"},
         "BtClearStart",
         "Clear the start time (00:00:00)",
         &TTimerEngine::BtClearStartClick,
         "btEndActive",
         c.btEndActive},
        {"gbStopPosition",
         "Warning Time",
         c.EdWarnHours,
         c.EdWarnMinutes,
         c.EdWarnSeconds,
         {"EdWarnHours", "EdWarnMinutes", "EdWarnSeconds"},
         "BtClearEnd",
         "Clear the warning time (00:00:00)",
         &TTimerEngine::BtClearEndClick,
         "btWarnActive",
         c.btWarnActive},
        {"AdvGroupBox1",
         "Auto Pause Time",
         c.EdAutoPauseHours,
         c.EdAutoPauseMinutes,
         c.EdAutoPauseSeconds,
         {"EdAutoPauseHours", "EdAutoPauseMinutes", "EdAutoPauseSeconds"},
         "btClearAutoPause",
         "",
         &TTimerEngine::btClearAutoPauseClick,
         "btAutoPauseActive",
         c.btAutoPauseActive},
    };
    for (const auto& g : groups) {
        auto* group = Named(new QGroupBox(QLatin1String(g.title), page), g.group);
        auto* row = new QHBoxLayout(group);
        Compact(row);
        TSpinEdit* models[3] = {&g.hours, &g.minutes, &g.seconds};
        const char* parts[3] = {"Hours", "Minutes", "Seconds"};
        for (int i = 0; i < 3; ++i) {
            auto* editor = Named(
                new TSpinEditor(models[i]->Minimum, models[i]->Maximum, 1, 2, group), g.names[i]);
            editor->setAccessibleName(QLatin1String(parts[i]));
            m_binder.Spin(editor, *models[i]);
            row->addWidget(editor);
        }
        auto* clear = Named(new QPushButton(tr("Clear"), group), g.clear);
        clear->setToolTip(QLatin1String(g.clearHint));
        connect(clear, &QPushButton::clicked, this, [this, click = g.clearClick] {
            RunOperator([this, click] { ((*m_engine).*click)(); });
        });
        row->addWidget(clear);
        auto* active = Named(new TToggleButton(tr("Active"), group), g.active);
        m_binder.Check(active, g.activeModel);
        row->addWidget(active);
        column->addWidget(group);
    }
    m_binder.Caption(page->findChild<QGroupBox*>(QStringLiteral("gbStartPosition")),
                     c.gbStartPosition);
}

void TFmMain::BuildColoursTab(QWidget* page) {
    TControls& c = m_engine->Controls;
    auto* grid = new QGridLayout(page);
    Compact(grid);
    const struct {
        const char* caption;
        const char* name;
        TColourSelector& model;
        const char* modeName;
        TSelector* mode;
        // The row's label names its colour selector; the mode list is named for what it sets.
        const char* modeCaption;
    } rows[] = {
        {"Running", "EdRunColour", c.EdRunColour, nullptr, nullptr, nullptr},
        {"Paused", "EdPauseColour", c.EdPauseColour, "edPauseDisplayMode", &c.edPauseDisplayMode,
         "Display Mode At Counter Pause"},
        {"Warning", "EdWarnColour", c.EdWarnColour, "edWarningDisplayMode", &c.edWarningDisplayMode,
         "Display Mode At Counter Warning"},
        {"Expired", "EdExpiredColour", c.EdExpiredColour, "edExpiredDisplayMode",
         &c.edExpiredDisplayMode, "Display Mode At Counter End"},
        {"Stopped", "EdStopColour", c.EdStopColour, "edStopDisplayMode", &c.edStopDisplayMode,
         "Display Mode At Counter Stop"},
        {"Background", "EdBackColour", c.EdBackColour, nullptr, nullptr, nullptr},
        {"Message", "EdMessageColour", c.EdMessageColour, "edMessageDisplayMode",
         &c.edMessageDisplayMode, "Message Display Mode"},
    };
    int row = 0;
    for (const auto& r : rows) {
        const QString caption = QLatin1String(r.caption);
        auto* button = Named(new TColourButton(caption, m_dialogs, page), r.name);
        grid->addWidget(LabelFor(caption, button, page), row, 0);
        m_binder.Colour(button, r.model);
        grid->addWidget(button, row, 1);
        if (r.mode != nullptr) {
            auto* mode = Named(new QComboBox(page), r.modeName);
            mode->setAccessibleName(QLatin1String(r.modeCaption));
            m_binder.Selector(mode, *r.mode);
            grid->addWidget(mode, row, 2);
        } else if (&r.model == &c.EdBackColour) {
            auto* transparent = Named(new QCheckBox(tr("Transparent"), page), "cbTransparent");
            m_binder.Check(transparent, c.cbTransparent);
            grid->addWidget(transparent, row, 2);
        }
        ++row;
    }
}

void TFmMain::BuildOptionsTab(QWidget* page) {
    TControls& c = m_engine->Controls;
    auto* grid = new QGridLayout(page);
    Compact(grid);
    grid->setVerticalSpacing(1);

    auto* counterMode = Named(new QComboBox(page), "edCounterMode");
    m_binder.Selector(counterMode, c.edCounterMode);
    grid->addWidget(LabelFor(tr("Counter Mode"), counterMode, page), 0, 0);
    grid->addWidget(counterMode, 0, 1, 1, 2);

    auto* displayWidth = Named(new QComboBox(page), "edDisplayWidth");
    m_binder.Selector(displayWidth, c.edDisplayWidth);
    grid->addWidget(LabelFor(tr("Counter Width"), displayWidth, page), 1, 0);
    grid->addWidget(displayWidth, 1, 1, 1, 2);

    auto* fontName = Named(new TFontSelector(page), "edTimeFontName");
    fontName->setAccessibleName(tr("Time Font"));
    m_binder.Font(fontName, c.edTimeFontName);
    grid->addWidget(fontName, 2, 0);
    auto* fontSize =
        Named(new TSpinEditor(c.edTimeFontSize.Minimum, c.edTimeFontSize.Maximum, 2, 3, page),
              "edTimeFontSize");
    m_binder.Spin(fontSize, c.edTimeFontSize);
    grid->addWidget(fontSize, 2, 1);
    grid->addWidget(LabelFor(tr("Font"), fontSize, page), 2, 2);

    const struct {
        const char* name;
        const char* caption;
        TCheck& model;
    } checks[] = {
        {"cbBorderless", "Borderless Window", c.cbBorderless},
        {"cbStayOnTop", "Stay On Top Window", c.cbStayOnTop},
        {"cbMinimiseControlsToTray", "Minimise Control Window To Tray Icon",
         c.cbMinimiseControlsToTray},
        {"cbShowCountInTitleBar", "Show Countdown In Title Bar", c.cbShowCountInTitleBar},
        {"cbQuickRestart", "Enable Quick Restart (Space Key)", c.cbQuickRestart},
        {"cbShowTimePie", "Show Time Pie", c.cbShowTimePie},
    };
    int row = 3;
    for (const auto& k : checks) {
        auto* box = Named(new QCheckBox(QLatin1String(k.caption), page), k.name);
        m_binder.Check(box, k.model);
        grid->addWidget(box, row++, 0, 1, 3);
    }

    auto* interval = Named(
        new TSpinEditor(c.edCounterInterval.Minimum, c.edCounterInterval.Maximum, 50, 4, page),
        "edCounterInterval");
    m_binder.Spin(interval, c.edCounterInterval);
    grid->addWidget(interval, row, 0, Qt::AlignRight);
    grid->addWidget(LabelFor(tr("Count Interval (ms)"), interval, page), row, 1, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(row + 1, 1);
}

void TFmMain::BuildSoundTab(QWidget* page) {
    TTimerEngine& e = *m_engine;
    TControls& c = e.Controls;
    auto* column = new QVBoxLayout(page);
    Compact(column);
    const struct {
        const char* caption;
        const char* name;
        TTextEdit& model;
        const char* play;
        TCommand& playCommand;
        const char* stop;
        TCommand& stopCommand;
    } rows[] = {
        {"Timing", "edSoundTiming", c.edSoundTiming, "btTimingSoundPlay", e.actTimingSoundPlay,
         "btTimingSoundStop", e.actTimingSoundStop},
        {"At End", "edSoundAtEnd", c.edSoundAtEnd, "btEndSoundPlay", e.actEndSoundPlay,
         "btEndSoundStop", e.actEndSoundStop},
    };
    for (const auto& r : rows) {
        auto* editor = Named(new TFileNameEdit(m_dialogs, page), r.name);
        column->addWidget(LabelFor(QLatin1String(r.caption), editor->Editor(), page));
        // The label is not the inner editor's sibling, so a screen reader would not find it.
        editor->Editor()->setAccessibleName(QLatin1String(r.caption));
        m_binder.FileName(editor, r.model);
        // The file dialog is modal: the topmost order is not re-asserted while it is open.
        connect(editor, &TFileNameEdit::ButtonClicked, this,
                [this] { RunOperator([this] { m_engine->SuspendStayOnTop(); }); });
        connect(editor, &TFileNameEdit::DialogClosed, this,
                [this] { RunOperator([this] { m_engine->ResumeStayOnTop(); }); });
        auto* line = new QHBoxLayout;
        line->setSpacing(3);
        line->addWidget(editor, 1);
        auto* play = Named(new QPushButton(page), r.play);
        play->setFixedWidth(48);
        m_binder.Button(play, r.playCommand);
        line->addWidget(play);
        auto* stop = Named(new QPushButton(page), r.stop);
        stop->setFixedWidth(48);
        m_binder.Button(stop, r.stopCommand);
        line->addWidget(stop);
        column->addLayout(line);
    }
    auto* loop = Named(new QCheckBox(tr("Loop"), page), "edSoundAtEndLoop");
    m_binder.Check(loop, c.edSoundAtEndLoop);
    column->addWidget(loop);
    column->addStretch(1);
}

void TFmMain::BuildMessageTab(QWidget* page) {
    TTimerEngine& e = *m_engine;
    TControls& c = e.Controls;
    auto* column = new QVBoxLayout(page);
    Compact(column);

    edtMessageText = Named(new QLineEdit(page), "edtMessageText");
    column->addWidget(LabelFor(tr("Message Text"), edtMessageText, page));
    column->addWidget(edtMessageText);
    m_binder.Text(edtMessageText, c.edtMessageText);
    connect(edtMessageText, &QLineEdit::returnPressed, this,
            [this] { RunOperator([this] { m_engine->actMessageSend.Execute(); }); });

    auto* buttons = new QHBoxLayout;
    auto* send = Named(new QPushButton(page), "btnMessageSend");
    send->setFixedSize(121, 33);
    m_binder.Button(send, e.actMessageSend);
    btnMessageClear = Named(new QPushButton(page), "btnMessageClear");
    btnMessageClear->setFixedSize(121, 33);
    m_binder.Button(btnMessageClear, e.actMessageClear);
    buttons->addWidget(send);
    buttons->addWidget(btnMessageClear);
    column->addLayout(buttons);

    auto* grid = new QGridLayout;
    grid->setSpacing(3);
    auto* time =
        Named(new TSpinEditor(c.edMessageTime.Minimum, c.edMessageTime.Maximum, 1, 2, page),
              "edMessageTime");
    m_binder.Spin(time, c.edMessageTime);
    grid->addWidget(time, 0, 0);
    grid->addWidget(LabelFor(tr("Message Time"), time, page), 0, 1);
    auto* autoClear = Named(new QCheckBox(tr("Auto Clear Editor"), page), "cbAutoClearEditor");
    m_binder.Check(autoClear, c.cbAutoClearEditor);
    grid->addWidget(autoClear, 0, 2);

    auto* mode = Named(new QComboBox(page), "edMessageMode");
    m_binder.Selector(mode, c.edMessageMode);
    grid->addWidget(LabelFor(tr("Display Mode"), mode, page), 1, 0, 1, 2);
    grid->addWidget(mode, 1, 2);

    auto* fontName = Named(new TFontSelector(page), "edMessageFontName");
    fontName->setAccessibleName(tr("Message Font"));
    m_binder.Font(fontName, c.edMessageFontName);
    grid->addWidget(fontName, 2, 0, 1, 2);
    auto* fontRow = new QHBoxLayout;
    auto* fontSize =
        Named(new TSpinEditor(c.edMessageFontSize.Minimum, c.edMessageFontSize.Maximum, 2, 3, page),
              "edMessageFontSize");
    m_binder.Spin(fontSize, c.edMessageFontSize);
    fontRow->addWidget(fontSize);
    fontRow->addWidget(LabelFor(tr("Font"), fontSize, page), 1);
    grid->addLayout(fontRow, 2, 2);
    grid->setColumnStretch(2, 1);
    column->addLayout(grid);
    column->addStretch(1);
}

QAction* TFmMain::CommandAction(const char* name, TCommand& command) {
    auto* action = new QAction(this);
    action->setObjectName(QLatin1String(name));
    m_binder.Command(action, command);
    AddProgramAction(action);
    return action;
}

void TFmMain::AddProgramAction(QAction* action) {
    addAction(action);
    m_shortcutPriority->Watch(action);
    m_programActions.push_back(action);
}

void TFmMain::ShareShortcuts(QWidget* window) const {
    for (QAction* action : m_programActions)
        window->addAction(action);
}

void TFmMain::BuildMenus() {
    QMenuBar* bar = menuBar();
    QMenu* file = Named(bar->addMenu(tr("&File")), "MnFile");
    QAction* exit = Named(file->addAction(tr("E&xit")), "MnExit");
    exit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    exit->setShortcutContext(Qt::ApplicationShortcut);
    AddProgramAction(exit);
    connect(exit, &QAction::triggered, this, [this] { RunOperator([this] { MnExitClick(); }); });

    QMenu* view = Named(bar->addMenu(tr("View")), "MnView");
    QAction* display = Named(view->addAction(tr("Show Display Window")), "MnDisplayWindow");
    m_binder.CheckItem(display, m_engine->Controls.MnDisplayWindow);

    QMenu* help = Named(bar->addMenu(tr("&Help")), "MnHelp");
    QAction* about = Named(help->addAction(tr("&About...")), "MnAbout");
    connect(about, &QAction::triggered, this, [this] { RunOperator([this] { MnAboutClick(); }); });
}

void TFmMain::BuildTray() {
    TTimerEngine& e = *m_engine;
    m_trayPopupMenu = Named(new QMenu(this), "TrayPopupMenu");
    m_trayPopupMenu->addAction(CommandAction("actRun", e.actRun));
    m_trayPopupMenu->addAction(CommandAction("actPause", e.actPause));
    m_trayPopupMenu->addAction(CommandAction("actSetStartTime", e.actSetStartTime));
    m_trayPopupMenu->addAction(CommandAction("actJump", e.actJump));
    CommandAction("actRestart", e.actRestart);
    m_trayPopupMenu->addSeparator();
    QAction* show = Named(m_trayPopupMenu->addAction(tr("Show Controls")), "MnShowControls");
    connect(show, &QAction::triggered, this,
            [this] { RunOperator([this] { MnShowControlsClick(); }); });
    m_trayPopupMenu->addSeparator();
    QAction* exit = Named(m_trayPopupMenu->addAction(tr("Exit Timer")), "MnExitTimer");
    connect(exit, &QAction::triggered, this, [this] { RunOperator([this] { MnExitClick(); }); });

    m_trayIcon = Named(new QSystemTrayIcon(windowIcon(), this), "TrayIcon");
    m_trayIcon->setToolTip(ProgramTitle());
    // No context menu of the platform's own: every button opens the one menu here, once.
    connect(m_trayIcon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::Context ||
                    reason == QSystemTrayIcon::MiddleClick)
                    TrayIconClick();
            });
}

void TFmMain::BuildTimerMenu() {
    TTimerEngine& e = *m_engine;
    // The tray's command actions serve here too: one action per key.
    const auto made = [this](const char* name) {
        return findChild<QAction*>(QLatin1String(name), Qt::FindDirectChildrenOnly);
    };
    QMenu* timer = Named(new QMenu(tr("&Timer"), menuBar()), "MnTimer");
    for (const char* name : {"actRun", "actPause", "actSetStartTime", "actJump", "actRestart"})
        timer->addAction(made(name));
    QAction* restart = made("actRestart");
    if (restart->text().isEmpty())
        restart->setText(tr("Quick Restart"));
    timer->addSeparator();
    QAction* add = CommandAction("actAddMinute", e.actAddMinute);
    QAction* take = CommandAction("actTakeMinute", e.actTakeMinute);
    timer->addAction(add);
    timer->addAction(take);
    timer->addSeparator();
    QAction* blackout = CommandAction("actBlackout", e.actBlackout);
    blackout->setCheckable(true);
    // The item's check follows the engine, also where the item's own toggle did not reach it.
    const auto follow = [this, blackout] {
        blackout->setChecked(m_engine->Blackout());
        ShowBlackout();
    };
    e.actBlackout.Changed.Watch(follow);
    connect(blackout, &QAction::triggered, this, follow);
    timer->addAction(blackout);
    timer->addAction(CommandAction("actAttention", e.actAttention));
    menuBar()->insertMenu(findChild<QMenu*>(QStringLiteral("MnView"))->menuAction(), timer);

    // Add and take in the tray, after the other timer commands.
    const QList<QAction*> tray = m_trayPopupMenu->actions();
    const qsizetype jump = tray.indexOf(made("actJump"));
    m_trayPopupMenu->insertActions(jump + 1 < tray.size() ? tray.at(jump + 1) : nullptr,
                                   {add, take});

    LaBlackout = Named(new QLabel(tr("Blackout"), LaTime), "LaBlackout");
    LaBlackout->setAlignment(Qt::AlignCenter);
    LaBlackout->setAutoFillBackground(true);
    QPalette palette = LaBlackout->palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, Qt::yellow);
    LaBlackout->setPalette(palette);
    QFont bold = LaBlackout->font();
    bold.setBold(true);
    LaBlackout->setFont(bold);
    const int height = LaBlackout->sizeHint().height();
    LaBlackout->setGeometry(0, kTimeHeight - height, kClientWidth, height);
    LaBlackout->hide();
}

void TFmMain::ShowBlackout() {
    const bool dark = m_engine->Blackout();
    LaBlackout->setVisible(dark);
    QPalette palette = LaTime->palette();
    if (dark) {
        // Grey stripes over the background colour: what the audience sees is not this time.
        QPixmap tile(8, 8);
        tile.fill(ToQColor(m_timeBackColour));
        QPainter painter(&tile);
        painter.setPen(QPen(QColor(128, 128, 128), 2));
        painter.drawLine(0, 8, 8, 0);
        painter.end();
        palette.setBrush(QPalette::Window, QBrush(tile));
    } else {
        palette.setBrush(QPalette::Window, QBrush(ToQColor(m_timeBackColour)));
    }
    LaTime->setPalette(palette);
}

// ---- start-up and shutdown --------------------------------------------------------------------

void TFmMain::FormCreate() {
    // The sound cues, with the mixer and its channels, are made by the caller before this window,
    // so they exist before the settings are read; no device opens until a cue first plays.
    if (m_settings.ArgumentFileMissing)
        m_dialogs.Information(nullptr, ProgramTitle(),
                              BoxText(QString::fromLatin1(kSettingsFileMissing)));
    RunOperator([this] {
        LoadSettings();
        m_settingsLoaded = true;
    });
    // A file that could not be read leaves the controls as they were built; the program goes on
    // with the defaults instead, and the unread file is not overwritten at close.
    if (!m_settingsLoaded)
        RunOperator([this] { LoadDefaults(); });
    RunOperator([this] {
        m_engine->ShowTimesInEditors();
        m_engine->actSetStartTime.Execute();
        SetStayOnTop(m_engine->Controls.cbStayOnTop.Checked());
    });
}

void TFmMain::LoadSettings() {
    if (m_settings.Path.empty()) {
        LoadDefaults();
        return;
    }
    TWindowPlace place;
    LoadSettingsFile(m_settings.Path, *m_engine, place);
    // "Main Top" and "Main Left" take effect at once.
    PlaceAt(QPoint(place.Left, place.Top));
}

void TFmMain::LoadDefaults() {
    // An empty document gives every setting its default.
    TWindowPlace place;
    quorvane::LoadSettings(TIniDocument(), *m_engine, place);
    PlaceAt(QPoint(place.Left, place.Top));
}

TWindowPlace TFmMain::MainWindowPlace() const {
    // Hidden in the tray, the window is where it will come back to.
    const QPoint at = m_inTray ? m_restorePosition : FrameGeometry().topLeft();
    TWindowPlace place;
    place.Top = at.y();
    place.Left = at.x();
    return place;
}

void TFmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!FirstShowDone)
        AwaitFrame(40);
    FormShow();
}

void TFmMain::FormShow() {
    // Later showings, such as coming back from the tray, change nothing.
    if (FirstShowDone)
        return;
    RunOperator([this] {
        TTimerEngine& e = *m_engine;
        CreateDisplayWindow();
        ShowDisplayWindow(e.Controls.MnDisplayWindow.Checked());
        e.SetDisplayBackColour(e.Controls.EdBackColour.Selected());
        FmDisplay->ApplyDisplayFonts();
        e.ApplyCounterState(CounterState::Stopped);
    });
    FirstShowDone = true;
}

void TFmMain::CreateDisplayWindow() {
    // A top-level window of its own, not a child: it lives on another screen.
    FmDisplay = std::make_unique<TFmDisplay>(*m_engine);
    FmDisplay->setWindowIcon(windowIcon());
    m_engine->SetDisplay(FmDisplay.get());
    // The program's keys work in the display window too.
    ShareShortcuts(FmDisplay.get());
    // Closing the display window from the window manager ends the program, through this window.
    connect(FmDisplay.get(), &TFmDisplay::CloseRequested, this, &TFmMain::MnExitClick,
            Qt::QueuedConnection);
    ApplyStayOnTop(*FmDisplay, m_engine->Controls.cbStayOnTop.Checked());
}

void TFmMain::closeEvent(QCloseEvent* event) {
    m_closing = true;
    bool closing = FormClose();
    // A session that ended while the box of a failed save was open does not wait for another.
    if (!closing && m_sessionSave)
        closing = FormClose();
    m_closing = false;
    if (!closing) {
        event->ignore();
        return;
    }
    event->accept();
    m_trayIcon->hide();
    if (FmDisplay)
        FmDisplay->hide();
    emit Closed();
}

bool TFmMain::FormClose() {
    RunOperator([this] { m_engine->ApplyCounterState(CounterState::Stopped); });
    if (FmDisplay)
        FmDisplay->RecordGeometry();
    if (!m_settingsLoaded || m_settings.Path.empty())
        return true;
    if (m_sessionSave) {
        m_sessionSave(m_settings.Path, *m_engine, MainWindowPlace(),
                      FmDisplay != nullptr && FmDisplay->isMaximized());
        return true;
    }
    bool saved = false;
    RunOperator([this, &saved] {
        SaveSettingsFile(m_settings.Path, *m_engine, MainWindowPlace(),
                         FmDisplay != nullptr && FmDisplay->isMaximized());
        saved = true;
    });
    return saved;
}

void TFmMain::CloseAtSessionEnd(TSessionSave save) {
    m_sessionSave = std::move(save);
    // A close under way, waiting in the box of its failed save, goes on as the session's.
    if (!m_closing)
        close();
}

void TFmMain::MnExitClick() {
    close();
}

void TFmMain::MnAboutClick() {
    // A modal box must not be pushed under the windows that are kept on top.
    m_engine->SuspendStayOnTop();
    TAboutBox box(ProgramVersionRecord(), this);
    box.exec();
    m_engine->ResumeStayOnTop();
}

// ---- tray -------------------------------------------------------------------------------------

void TFmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMinimized())
        return;
    // Without a tray the window would vanish with no way back, so it goes to the task bar.
    if (m_engine->Controls.cbMinimiseControlsToTray.Checked() &&
        QSystemTrayIcon::isSystemTrayAvailable())
        QMetaObject::invokeMethod(this, &TFmMain::MinimiseToTray, Qt::QueuedConnection);
}

void TFmMain::MinimiseToTray() {
    if (m_inTray)
        return;
    m_inTray = true;
    m_restorePosition = FrameGeometry().topLeft();
    // The window stays minimised while hidden: leaving that state maps the window again on X11,
    // so it is left only on the way back.
    hide();
    m_trayIcon->show();
}

void TFmMain::MnShowControlsClick() {
    if (!m_inTray)
        return;
    m_inTray = false;
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    if (FrameGeometry().topLeft() != m_restorePosition)
        MoveFrameTo(m_restorePosition);
    raise();
    activateWindow();
    m_trayIcon->hide();
}

void TFmMain::TrayIconClick() {
    m_trayPopupMenu->popup(QCursor::pos());
    // The keyboard goes into the menu at once, on its first item that can be chosen, so that a
    // screen reader announces the menu and its item as soon as it opens.
    for (QAction* item : m_trayPopupMenu->actions()) {
        if (!item->isSeparator() && item->isEnabled()) {
            m_trayPopupMenu->setActiveAction(item);
            break;
        }
    }
}

void TFmMain::PlaceAt(const QPoint& framePosition) {
    m_wantedPosition = framePosition;
    m_placedMargins = FrameMargins();
    MoveFrameTo(framePosition);
}

// The platform window knows the frame as soon as the window manager tells it; the widget's own
// frame geometry can lag behind until the window next moves or resizes.
QMargins TFmMain::FrameMargins() const {
    const QWindow* handle = windowHandle();
    return handle ? handle->frameMargins() : QMargins();
}

QRect TFmMain::FrameGeometry() const {
    const QWindow* handle = windowHandle();
    return handle ? handle->frameGeometry() : frameGeometry();
}

void TFmMain::MoveFrameTo(const QPoint& framePosition) {
    m_snapping = true;
    // Placing the client area is exact whatever gravity the window was mapped with; placing the
    // frame through Qt is not, once the window was mapped with its client area placed.
    if (QWindow* handle = windowHandle()) {
        const QMargins frame = handle->frameMargins();
        handle->setPosition(framePosition + QPoint(frame.left(), frame.top()));
    } else {
        move(framePosition);
    }
    m_snapping = false;
}

// A window placed before the window manager framed it has its client area where its frame
// belongs; once the frame is known, the frame goes to the stored place.
void TFmMain::FrameMayHaveChanged() {
    if (!m_wantedPosition)
        return;
    const QMargins frame = FrameMargins();
    if (frame == m_placedMargins)
        return;
    m_placedMargins = frame;
    MoveFrameTo(*m_wantedPosition);
}

// The window manager frames a new window a moment after it is mapped, and Qt raises no event
// for the frame's extents arriving: look for them a few times after the first showing.
void TFmMain::AwaitFrame(int attempts) {
    FrameMayHaveChanged();
    if (attempts <= 0 || FrameMargins() != QMargins())
        return;
    QTimer::singleShot(50, this, [this, attempts] { AwaitFrame(attempts - 1); });
}

void TFmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FrameMayHaveChanged();
}

void TFmMain::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    FrameMayHaveChanged();
    // Only the operator's moves snap; the program places the window where it means to.
    if (!event->spontaneous() || m_snapping || screen() == nullptr)
        return;
    const QRect frame = FrameGeometry();
    const QPoint snapped = SnapToEdges(frame, screen()->availableGeometry(), kSnapDistance);
    if (snapped != frame.topLeft())
        MoveFrameTo(snapped);
}

// ---- what the engine asks of the window -------------------------------------------------------

void TFmMain::SetControlTimeText(const std::string& text) {
    LaTime->setText(ToQt(text));
}

void TFmMain::SetControlTimeColour(Colour colour) {
    QPalette palette = LaTime->palette();
    palette.setColor(QPalette::WindowText, ToQColor(colour));
    LaTime->setPalette(palette);
}

void TFmMain::SetControlTimeBackColour(Colour colour) {
    m_timeBackColour = colour;
    QPalette palette = LaTime->palette();
    palette.setColor(QPalette::Window, ToQColor(colour));
    LaTime->setPalette(palette);
    if (LaBlackout != nullptr && m_engine->Blackout())
        ShowBlackout();
}

void TFmMain::SetTitleText(const std::string& text) {
    const QString title = ToQt(text);
    setWindowTitle(title);
    if (m_trayIcon->isVisible())
        m_trayIcon->setToolTip(title);
}

void TFmMain::ProcessPendingEvents() {
    // Repaints, not the operator's next key: a handler must not be entered again from inside
    // itself.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TFmMain::ShowWarning(const std::string& text) {
    m_dialogs.Warning(this, windowTitle(), BoxText(ToQt(text)));
}

void TFmMain::SetStayOnTop(bool onTop) {
    // The display window first, so that the operator's window stays above it.
    if (FmDisplay)
        KeepOnTop(*FmDisplay, onTop);
    KeepOnTop(*this, onTop);
}

void TFmMain::ShowDisplayWindow(bool show) {
    if (!FmDisplay)
        return;
    if (show)
        FmDisplay->ShowWithGeometry();
    else
        FmDisplay->HideRecordingGeometry();
}

void TFmMain::FocusMessageClear() {
    if (btnMessageClear->isVisible() && btnMessageClear->isEnabled())
        btnMessageClear->setFocus();
}

void TFmMain::FocusMessageEditor() {
    if (edtMessageText->isVisible() && edtMessageText->isEnabled())
        edtMessageText->setFocus();
}

// ---- helpers ----------------------------------------------------------------------------------

void TFmMain::RunOperator(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        m_dialogs.Error(this, windowTitle(), ErrorBoxText(error.what()));
    }
}

void TFmMain::UpdateEscapeClear() {
    m_escapeClear->setEnabled(PageControl1->currentWidget() == tsMessage &&
                              m_engine->actMessageClear.Enabled());
}
