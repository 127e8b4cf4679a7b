#include "ui/main_frame.h"

#include "desktop/program_paths.h"
#include "desktop/settings_store.h"
#include "desktop/shell_open.h"
#include "desktop/stored_settings.h"
#include "phone/phone_image_document.h"
#include "phone/temp_file_cleanup.h"
#include "plugins/plugin_host.h"
#include "qtimage/dib_clipboard.h"
#include "qtimage/dib_qimage.h"
#include "ui/about_dialog.h"
#include "ui/color_selector.h"
#include "ui/color_swatch.h"
#include "ui/command_ids.h"
#include "ui/command_pane.h"
#include "ui/command_table.h"
#include "ui/command_texts.h"
#include "ui/core_texts.h"
#include "ui/custom_size_dialog.h"
#include "ui/document_signals.h"
#include "ui/dot_edit_view.h"
#include "ui/live_fit_threads.h"
#include "ui/mail_account_dialog.h"
#include "ui/mail_send_dialog.h"
#include "ui/output_panel.h"
#include "ui/panel_scroll_area.h"
#include "ui/rotate_dialog.h"
#include "ui/save_flow.h"
#include "ui/screen_capture.h"
#include "ui/source_view.h"
#include "ui/tone_dialogs.h"
#include "ui/user_prompts.h"
#include "ui/web_server_dialog.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDir>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

namespace {

// The platform's own keys for the commands that have one, besides the program's
// accelerators written in the menu texts.
QList<QKeySequence> StandardKeys(int id) {
    using namespace cmd;
    static const QMap<int, QKeySequence::StandardKey> keys = {
        {kOpen, QKeySequence::Open},         {kSave, QKeySequence::Save},
        {kUndo, QKeySequence::Undo},         {kCopyPhoneImage, QKeySequence::Copy},
        {kPasteSource, QKeySequence::Paste}, {kExit, QKeySequence::Quit},
        {kZoomIn, QKeySequence::ZoomIn},     {kZoomOut, QKeySequence::ZoomOut},
    };
    if (!keys.contains(id))
        return {};
    QList<QKeySequence> bindings = QKeySequence::keyBindings(keys.value(id));
    // Desktops without a theme of their own name no key for quitting; theirs all use Ctrl+Q.
    if (bindings.isEmpty() && id == kExit)
        bindings.append(QKeySequence(Qt::CTRL | Qt::Key_Q));
    return bindings;
}

QString WithTrailingSlash(QString folder) {
    if (!folder.endsWith('/'))
        folder += '/';
    return folder;
}

// A delivery copy of the output image, removed when the command is done with it.
class DeliveryCopy {
public:
    explicit DeliveryCopy(const OutputPipeline& pipeline)
        : path_(pipeline.OutputImage() ? QString::fromStdString(pipeline.MakeDeliveryCopy())
                                       : QString()) {}
    ~DeliveryCopy() { RemoveTempFile(path_.toStdString()); }
    DeliveryCopy(const DeliveryCopy&) = delete;
    DeliveryCopy& operator=(const DeliveryCopy&) = delete;
    const QString& path() const { return path_; }

private:
    QString path_;
};

} // namespace

QString CMainFrame::DefaultPictureFolder() {
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QFileInfo(pictures).isDir())
        return WithTrailingSlash(pictures);
    return WithTrailingSlash(QDir::homePath());
}

CMainFrame::CMainFrame(UserPrompts* prompts, QWidget* parent)
    : QMainWindow(parent), prompts_(prompts), mode_(cmd::kAreaSelect),
      documentName_(tr("新規携帯画像")) {
    if (!prompts_) {
        ownPrompts_ = std::make_unique<QtUserPrompts>();
        prompts_ = ownPrompts_.get();
    }
    setWindowTitle(tr("モコア"));

    {
        const FrameSettings stored = ReadFrameSettings(DefaultPictureFolder());
        loadFolder_ = stored.loadFolder;
        saveFolder_ = stored.saveFolder;
        document_ = std::make_unique<PhoneImageDocument>(ReadPhoneSettings(UserSettingsSection()));
        signals_ = new DocumentSignals(document_.get(), this);
        fitThreads_ = new LiveFitThreads(document_.get(), this);
        document_->SetLiveFitRunner(fitThreads_);

        central_ = new QStackedWidget(this);
        sourceView_ = new CSourceView(signals_, central_);
        dotEditor_ = new CDotEditView(central_);
        dotEditor_->setObjectName("dotEditor");
        central_->addWidget(sourceView_);
        central_->addWidget(dotEditor_);
        setCentralWidget(central_);
    }

    BuildActions();
    BuildMenus();
    mainToolBar_ = BuildToolBar("mainToolBar", MainToolBarButtons());
    // The adjustment and dot-edit bars take turns on a row of their own.
    addToolBarBreak(Qt::TopToolBarArea);
    adjustToolBar_ = BuildToolBar("adjustToolBar", AdjustToolBarButtons());
    dotEditToolBar_ = BuildToolBar("dotEditToolBar", DotEditToolBarButtons());
    dotEditToolBar_->hide();
    BuildStatusBar();
    BuildOutputBar();
    InstallHandlers();

    // The panes and the panel follow the document; the frame follows what it enables.
    connect(signals_, &DocumentSignals::changed, this, &CMainFrame::UpdateCommandUi);
    connect(signals_, &DocumentSignals::fitChanged, this, &CMainFrame::ShowLiveFit);
    connect(signals_, &DocumentSignals::profileChanged, this,
            [this] { setWindowTitle(ProfileCaption(document_->Profile())); });
    dotEditor_->SetPhoneImage(document_.get());
    // A full temporary folder need not stop the conversion: the file goes where saves go.
    document_->SetTempFallbackFolder(saveFolder_.toStdString());
    dotEditor_->SetPenColor(outputPanel_->Swatch()->Color());
    connect(signals_, &DocumentSignals::workingCopyChanged, dotEditor_,
            &CDotEditView::WorkingCopyChanged);
    connect(outputPanel_, &COutputPanel::penColorChanged, dotEditor_, &CDotEditView::SetPenColor);
    connect(dotEditor_, &CDotEditView::colorPicked, outputPanel_->ColorSelector(),
            &CColorSelector::SetColorFromOutside);
    connect(dotEditor_, &CDotEditView::stateChanged, this, &CMainFrame::UpdateCommandUi);
    setWindowTitle(ProfileCaption(document_->Profile()));

    setAcceptDrops(true);
    SetMode(cmd::kAreaSelect);
    // Tall enough for the whole output panel where the screen allows; on a short screen the
    // panel scrolls.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize available = screen->availableGeometry().size();
        resize(std::min(1000, available.width() * 9 / 10),
               std::min(std::max(760, sizeHint().height()), available.height() * 9 / 10));
    }
    UpdateCommandUi();
}

CMainFrame::~CMainFrame() {
    delete capture_.data(); // a window of its own, not a child: closed with the frame
    WriteFrameSettings({loadFolder_, saveFolder_});
    UserSettingsSection settings;
    WritePhoneSettings(settings, document_->Settings());
    // The panes and the panel show the document: they go before it.
    delete outputBar_;
    delete central_;
    delete signals_;
    // The fits still running are told to stop; their results go nowhere.
    document_->SetLiveFitRunner(nullptr);
    delete fitThreads_;
}

void CMainFrame::BuildActions() {
    for (const CommandInfo& info : AllCommands()) {
        auto* action = new QAction(this);
        action->setData(info.id);
        // The accelerator is read from the original text, whatever a translation says.
        const QString original = info.menuText ? QString::fromUtf8(info.menuText) : QString();
        QString text = info.menuText ? CommandText(info.menuText) : QString();
        QList<QKeySequence> keys;
        if (const qsizetype tab = original.indexOf('\t'); tab >= 0)
            keys.append(QKeySequence(original.mid(tab + 1), QKeySequence::PortableText));
        text = text.section('\t', 0, 0);
        for (const QKeySequence& key : StandardKeys(info.id))
            if (!keys.contains(key))
                keys.append(key);
        // The menu shows the first.
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        const QString tip = CommandTipText(info);
        action->setText(text.isEmpty() ? tip : text);
        action->setStatusTip(CommandStatusText(info));
        if (!tip.isEmpty()) {
            action->setToolTip(tip);
            action->setIconText(tip);
        }
        const QString icon = QStringLiteral(":/mokoa/toolbar/%1.png").arg(info.id);
        if (QFileInfo::exists(icon))
            action->setIcon(QIcon(icon));
        action->setCheckable(MayCarryCheckMark(info.id));
        connect(action, &QAction::triggered, this, [this, id = info.id] { RunCommand(id); });
        // Accelerators act even while no menu is open.
        addAction(action);
        actions_.insert(info.id, action);
    }
    // One resampling at a time: shown as a radio group.
    auto* resampling = new QActionGroup(this);
    for (int id = cmd::kResampleAuto; id <= cmd::kResampleLanczos; ++id)
        resampling->addAction(Action(id));
}

void CMainFrame::BuildMenus() {
    std::function<void(QMenu*, const std::vector<MenuNode>&)> fill =
        [&](QMenu* menu, const std::vector<MenuNode>& nodes) {
            for (const MenuNode& node : nodes) {
                if (node.id == 0) {
                    menu->addSeparator();
                } else if (node.id < 0) {
                    // Found again by the original text.
                    QMenu* sub = menu->addMenu(CommandText(node.text));
                    submenus_.insert(QString::fromUtf8(node.text), sub);
                    fill(sub, node.children);
                } else if (QAction* action = Action(node.id)) {
                    menu->addAction(action);
                }
            }
        };
    for (const MenuNode& top : MenuBar()) {
        QMenu* menu = menuBar()->addMenu(CommandText(top.text));
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUi);
        fill(menu, top.children);
    }
}

QToolBar* CMainFrame::BuildToolBar(const QString& name, const std::vector<int>& buttons) {
    auto* bar = new QToolBar(this);
    bar->setObjectName(name);
    bar->setIconSize(QSize(16, 15));
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    QFont font = QApplication::font();
    font.setPointSize(8);
    bar->setFont(font);
    for (int id : buttons) {
        if (id == 0)
            bar->addSeparator();
        else if (QAction* action = Action(id))
            bar->addAction(action);
    }
    // One button size for the whole bar: the largest label decides.
    QSize largest;
    for (QAction* action : bar->actions())
        if (QWidget* button = bar->widgetForAction(action); button && !action->isSeparator())
            largest = largest.expandedTo(button->sizeHint());
    for (QAction* action : bar->actions())
        if (QWidget* button = bar->widgetForAction(action); button && !action->isSeparator())
            button->setMinimumSize(largest);
    addToolBar(Qt::TopToolBarArea, bar);
    return bar;
}

void CMainFrame::BuildStatusBar() {
    // A normal status-bar widget is hidden while a status text is shown, so this label is
    // exactly the idle text.
    idleLabel_ = new QLabel(CommandText(kIdleStatusText), this);
    statusBar()->addWidget(idleLabel_, 1);
}

void CMainFrame::BuildOutputBar() {
    outputBar_ = new QDockWidget(this);
    outputBar_->setObjectName("outputBar");
    outputBar_->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    outputBar_->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    // No title: an empty widget whose layout gives it no height at all.
    auto* noTitle = new QWidget(outputBar_);
    (new QHBoxLayout(noTitle))->setContentsMargins(0, 0, 0, 0);
    outputBar_->setTitleBarWidget(noTitle);
    outputPanel_ = new COutputPanel(signals_);
    outputBar_->setWidget(new CPanelScrollArea(outputPanel_, outputBar_));
    addDockWidget(Qt::LeftDockWidgetArea, outputBar_);
    if (QMenu* fit = submenus_.value(QString::fromUtf8(kFitMenuText))) {
        outputPanel_->FitButton()->setMenu(fit);
        connect(fit, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUi);
    }
}

void CMainFrame::InstallHandlers() {
    using namespace cmd;
    // In the language the windows speak.
    auto open = [](QString (*page)(UiLanguage)) {
        return [page] { ShellOpen(page(UiLanguageOf())); };
    };
    handlers_ = {
        {kOpen, [this] { OnOpen(); }},
        {kSave, [this] { OnSave(); }},
        {kSizeCheck, [this] { OnSizeCheck(); }},
        {kFitJSky, [this] { OnFitToLimit(Carrier::JSky); }},
        {kFitEZweb, [this] { OnFitToLimit(Carrier::EZweb); }},
        {kTransferRegistration, open(TransferPagePath)},
        {kMail, [this] { OnMail(); }},
        {kWebServer, [this] { OnWebServer(); }},
        {kExit, [this] { close(); }},
        {kAreaSelect, [this] { SetMode(kAreaSelect); }},
        {kDotEdit, [this] { SetMode(kDotEdit); }},
        {kPasteSource, [this] { OnPasteSource(); }},
        {kCapture, [this] { OnCapture(); }},
        {kFreeRotation, [this] { OnFreeRotation(); }},
        {kBrightness, [this] { OnBrightness(); }},
        {kColorComponents, [this] { OnColorComponents(); }},
        {kRotateRight, [this] { OnRightAngle(RightAngle::Clockwise); }},
        {kRotateLeft, [this] { OnRightAngle(RightAngle::CounterClockwise); }},
        {kFlipHorizontal, [this] { OnRightAngle(RightAngle::UpsideDown); }},
        {kFlipVertical, [this] { OnRightAngle(RightAngle::Mirror); }},
        {kUndo, [this] { document_->UndoBaseImage(); }},
        {kCopyPhoneImage, [this] { DibToClipboard(document_->Pipeline().OutputImage()); }},
        {kPenSizeMenu, [this] { PopupSubmenu(kPenSizeMenu, submenus_.value("ペン先の幅")); }},
        {kScaleMenu, [this] { PopupSubmenu(kScaleMenu, submenus_.value("表示スケール")); }},
        {kToleranceMenu, [this] { PopupSubmenu(kToleranceMenu, submenus_.value("塗りの色域値")); }},
        {kGetPlugins, open(PluginPagePath)},
        {kOpenPluginFolder, [this] { OnOpenPluginFolder(); }},
        {kCustomSize, [this] { OnCustomSize(); }},
        {kMailAccount, [this] { OnMailAccount(); }},
        {kToolBar, [this] { mainToolBar_->setVisible(mainToolBar_->isHidden()); }},
        {kStatusBar, [this] { statusBar()->setVisible(statusBar()->isHidden()); }},
        {kResampleAuto, [this] { document_->SetResampling(ResamplingChoice::Auto); }},
        {kResampleClassic, [this] { document_->SetResampling(ResamplingChoice::Classic); }},
        {kResampleArea, [this] { document_->SetResampling(ResamplingChoice::Area); }},
        {kResampleLanczos, [this] { document_->SetResampling(ResamplingChoice::Lanczos); }},
        {kHelp, open(HelpFilePath)},
        {kUpdateInfo, open(UpdatePagePath)},
        {kAbout, [this] { OnAbout(); }},
    };
}

bool CMainFrame::IsDotEditorCommand(int id) const {
    using namespace cmd;
    return id == kPen || id == kFill || id == kHand || id == kEyedropper ||
           (id >= kPenSize1 && id <= kPenSize5) || (id >= kZoom3 && id <= kZoom9) ||
           (id >= kTolerance0 && id <= kTolerance50);
}

CommandPane* CMainFrame::CurrentPane() const {
    if (mode_ == cmd::kAreaSelect)
        return sourceView_;
    return DotEditorPane();
}

CommandPane* CMainFrame::DotEditorPane() const {
    return dotEditor_;
}

FrameState CMainFrame::State() const {
    FrameState state;
    state.hasOutput = document_->Pipeline().OutputImage() != nullptr;
    state.mode = mode_;
    state.undoAvailable = document_->UndoAvailable();
    state.toolBarShown = !mainToolBar_->isHidden();
    state.statusBarShown = !statusBar()->isHidden();
    state.resampling = int(document_->ChosenResampling());
    if (document_->LiveFitOn())
        state.liveFit =
            document_->LiveFitCarrier() == Carrier::JSky ? cmd::kFitJSky : cmd::kFitEZweb;
    return state;
}

void CMainFrame::UpdateCommandUi() {
    const FrameState state = State();
    CommandPane* pane = CurrentPane();
    CommandPane* dotEditor = DotEditorPane();
    for (auto it = actions_.cbegin(); it != actions_.cend(); ++it) {
        const int id = it.key();
        CommandUi ui = EvaluateFrameCommand(id, state);
        if (!(pane && pane->UpdateCommand(id, state, &ui)) && dotEditor && pane != dotEditor &&
            IsDotEditorCommand(id))
            dotEditor->UpdateCommand(id, state, &ui);
        it.value()->setEnabled(ui.enabled);
        if (it.value()->isCheckable())
            it.value()->setChecked(ui.checked);
    }
}

void CMainFrame::RunCommand(int id) {
    QAction* action = Action(id);
    if (!action)
        return;
    UpdateCommandUi();
    if (!action->isEnabled())
        return;
    CommandPane* pane = CurrentPane();
    CommandPane* dotEditor = DotEditorPane();
    if (pane && pane->HandleCommand(id)) {
    } else if (dotEditor && pane != dotEditor && IsDotEditorCommand(id) &&
               dotEditor->HandleCommand(id)) {
    } else if (auto handler = handlers_.value(id)) {
        handler();
    }
    UpdateCommandUi();
}

void CMainFrame::SetMode(int mode) {
    mode_ = mode;
    const bool area = mode == cmd::kAreaSelect;
    central_->setCurrentWidget(area ? static_cast<QWidget*>(sourceView_) : dotEditor_);
    adjustToolBar_->setVisible(area);
    dotEditToolBar_->setVisible(!area);
    central_->setFocusProxy(central_->currentWidget());
    central_->currentWidget()->setFocus();
    UpdateCommandUi();
}

void CMainFrame::PopupSubmenu(int buttonId, QMenu* menu) {
    if (!menu)
        return;
    UpdateCommandUi();
    QPoint where = QCursor::pos();
    for (QToolBar* bar : {mainToolBar_, adjustToolBar_, dotEditToolBar_})
        if (QWidget* button = bar->widgetForAction(Action(buttonId));
            button && button->isVisible()) {
            where = button->mapToGlobal(QPoint(0, button->height()));
            break;
        }
    menu->popup(where);
}

bool CMainFrame::OpenPictureFile(const QString& path) {
    const QFileInfo file(path);
    const PictureLoad load =
        document_->OpenPicture(QFile::encodeName(file.absoluteFilePath()).toStdString());
    if (!load.loaded) {
        prompts_->ShowMessage(this, OpenFailureMessage(path, load.error),
                              UserPrompts::Icon::kWarning);
        return false;
    }
    documentName_ = file.fileName();
    SetMode(cmd::kAreaSelect);
    if (load.error == LoadError::Truncated)
        statusBar()->showMessage(
            file.fileName() + QStringLiteral(": ") + LoadFailureReason(load.error), 15000);
    return true;
}

void CMainFrame::OnPasteSource() {
    DibPtr pasted(DibFromClipboard());
    if (!pasted)
        return;
    document_->SetPicture(std::move(pasted));
    documentName_ = QStringLiteral("clipboard");
}

void CMainFrame::OnRightAngle(RightAngle transform) {
    document_->TurnPicture(transform);
}

void CMainFrame::OnOpen() {
    FileDialogRequest request;
    request.title = tr("画像ファイルの読み込み");
    request.folder = loadFolder_;
    request.filter =
        tr("対応画像ファイル (*.jpg;*.png;*.bmp)|*.jpg;*.jpeg;*.png;*.bmp|"
           "JPEG (*.jpg;*.jpeg)|*.jpg;*.jpeg|PNG (*.png)|*.png|Bitmap (*.bmp)|*.bmp|") +
        PluginFilterText(sourceView_->PluginFilter()) + tr("すべてのファイル (*.*)|*.*||");
    request.filterIndex = 1;
    const FileDialogResult result = prompts_->OpenFile(this, request);
    if (!result.path.isEmpty())
        OpenChosenPicture(result.path);
}

bool CMainFrame::OpenChosenPicture(const QString& path) {
    const QFileInfo file(path);
    if (file.absoluteDir().exists())
        loadFolder_ = WithTrailingSlash(file.absolutePath());
    return OpenPictureFile(file.absoluteFilePath());
}

bool CMainFrame::OpenDroppedUrls(const QList<QUrl>& urls) {
    for (const QUrl& url : urls) {
        if (!url.isLocalFile())
            continue;
        const QFileInfo file(url.toLocalFile());
        if (file.isDir())
            return false;
        OpenPictureFile(file.absoluteFilePath());
        return true;
    }
    return false;
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    if (OpenDroppedUrls(event->mimeData()->urls()))
        event->acceptProposedAction();
}

void CMainFrame::OnCustomSize() {
    CCustomSizeDlg dialog(document_->Profile().CustomWidth(), document_->Profile().CustomHeight(),
                          prompts_, this);
    if (dialog.exec() == QDialog::Accepted)
        document_->SetCustomSize(dialog.Width(), dialog.Height());
}

void CMainFrame::OnOpenPluginFolder() {
    const QString folder = QString::fromStdString(PluginFolderBesideExecutable());
    QDir().mkpath(folder);
    ShellOpen(folder);
}

void CMainFrame::OnFitToLimit(Carrier carrier) {
    // The command of the carrier being followed turns the mode off; the fitted format stays.
    if (document_->LiveFitOn() && document_->LiveFitCarrier() == carrier)
        document_->StopLiveFit();
    else
        document_->StartLiveFit(carrier);
}

void CMainFrame::ShowLiveFit() {
    const bool running = document_->LiveFitRunning();
    const QString carrier = QString::fromUtf8(RuleFor(document_->LiveFitCarrier()).name);
    if (running) {
        statusBar()->showMessage(tr("%1 のサイズに合わせています…").arg(carrier));
    } else if (liveFitShown_ && document_->LiveFitOn()) {
        // A fit came back: what it chose shows in the format list, and here with its PSNR.
        statusBar()->showMessage(
            FitSummaryText(document_->LastLiveFit(), document_->LiveFitCarrier()), 10000);
    } else if (liveFitShown_) {
        statusBar()->clearMessage();
    }
    liveFitShown_ = running;
}

void CMainFrame::OnAbout() {
    CAboutDlg dialog(this);
    dialog.exec();
}

void CMainFrame::OnSave() {
    SaveFlow(*prompts_, this).Save(document_->Pipeline(), documentName_, saveFolder_);
    document_->SetTempFallbackFolder(saveFolder_.toStdString());
}

void CMainFrame::OnSizeCheck() {
    SaveFlow(*prompts_, this).CheckSize(*document_);
}

void CMainFrame::OnMail() {
    const DeliveryCopy copy(document_->Pipeline());
    CMailSendDlg dialog(copy.path(), saveFolder_, prompts_, this);
    dialog.exec();
}

void CMainFrame::OnWebServer() {
    const DeliveryCopy copy(document_->Pipeline());
    CWebServerDlg dialog(copy.path(), prompts_, this);
    dialog.exec();
}

void CMainFrame::OnMailAccount() {
    CMailAccountDlg dialog(prompts_, this);
    dialog.exec();
}

CScreenCapture* CMainFrame::CaptureWindow() const {
    return capture_;
}

void CMainFrame::OnCapture() {
    if (capture_)
        return;
    // No parent: a window tied to the frame would be minimised with it, and the user
    // captures with the frame minimised. The destructor closes it instead.
    capture_ = new CScreenCapture(prompts_);
    capture_->SetNotify(this, kCaptureFinishedEvent);
    capture_->show();
}

void CMainFrame::customEvent(QEvent* event) {
    if (event->type() == kCaptureFinishedEvent)
        OnCaptureFinished();
    QMainWindow::customEvent(event);
}

void CMainFrame::OnCaptureFinished() {
    // Under an open tone or colour dialog the capture stays in its window.
    if (adjustDialogOpen_ || !capture_ || capture_->Captured().isNull())
        return;
    DibPtr picture(DibFromDeviceBitmap(capture_->Captured()));
    if (!picture)
        return;
    document_->SetPicture(std::move(picture));
    documentName_ = QStringLiteral("capture");
    if (isMinimized())
        showNormal();
    UpdateCommandUi();
}

void CMainFrame::OnFreeRotation() {
    if (!document_->HasPicture())
        return;
    if (DibPtr turned = CRotateDlg::Run(document_->Picture(), prompts_, this))
        document_->ReplacePicture(std::move(turned));
}

void CMainFrame::RunAdjustDialog(CAdjustDialog& dialog) {
    adjustDialogOpen_ = true;
    dialog.exec(); // Cancel has given the starting picture back, OK left the result
    adjustDialogOpen_ = false;
}

void CMainFrame::OnBrightness() {
    if (!document_->HasPicture())
        return;
    CBrightnessContrastDlg dialog(signals_, this);
    RunAdjustDialog(dialog);
}

void CMainFrame::OnColorComponents() {
    if (!document_->HasPicture())
        return;
    CColorComponentDlg dialog(signals_, prompts_, this);
    RunAdjustDialog(dialog);
}
