// The program's one top-level window: menus, tool bars, status bar, the working pane of
// the current mode and the docked output panel. Every command arrives here as an action
// carrying its number and is offered to the current pane before the frame handles it.
#pragma once

#include "image/transform.h"
#include "phone/fit_to_limit.h"
#include "ui/command_rules.h"

#include <QMainWindow>
#include <QMap>
#include <QPointer>

#include <functional>
#include <memory>

class CAdjustDialog;
class CDotEditView;
class CScreenCapture;
class CommandPane;
class COutputPanel;
class CSourceView;
class DocumentSignals;
class LiveFitThreads;
class PhoneImageDocument;
class QAction;
class QDockWidget;
class QLabel;
class QMenu;
class QStackedWidget;
class QToolBar;
class QUrl;
class UserPrompts;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    // `prompts` answers message boxes and file dialogs (the real dialogs when none).
    explicit CMainFrame(UserPrompts* prompts = nullptr, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // The action of a command, or null.
    QAction* Action(int id) const { return actions_.value(id); }
    // Carries out a command as the menu would: nothing when it is disabled.
    void RunCommand(int id);
    // Re-evaluates enabling and check marks of every command.
    void UpdateCommandUi();
    FrameState State() const;

    int Mode() const { return mode_; }
    const QString& LoadFolder() const { return loadFolder_; }
    const QString& SaveFolder() const { return saveFolder_; }
    void SetSaveFolder(const QString& folder) { saveFolder_ = folder; }
    const QString& DocumentName() const { return documentName_; }
    void SetDocumentName(const QString& name) { documentName_ = name; }

    // The picture being worked on, and its notifications.
    PhoneImageDocument& Document() const { return *document_; }
    DocumentSignals* Signals() const { return signals_; }
    LiveFitThreads* FitThreads() const { return fitThreads_; }
    CSourceView* SourceView() const { return sourceView_; }
    COutputPanel* OutputPanel() const { return outputPanel_; }
    CDotEditView* DotEditor() const { return dotEditor_; }
    // The screen-capture window while it is open.
    CScreenCapture* CaptureWindow() const;
    bool AdjustDialogOpen() const { return adjustDialogOpen_; }
    QDockWidget* OutputBar() const { return outputBar_; }
    QToolBar* MainToolBar() const { return mainToolBar_; }
    QToolBar* AdjustToolBar() const { return adjustToolBar_; }
    QToolBar* DotEditToolBar() const { return dotEditToolBar_; }
    QLabel* IdleLabel() const { return idleLabel_; }
    UserPrompts* Prompts() const { return prompts_; }

    // Files dropped on the window: the first local one is opened unless it is a folder.
    // True when a file was taken.
    bool OpenDroppedUrls(const QList<QUrl>& urls);
    // A file chosen in the Open dialog or named on the command line: its folder becomes the
    // load folder and the picture is opened.
    bool OpenChosenPicture(const QString& path);
    // Opens a picture file in area selection, named after the file. A file that cannot be
    // read is named in a message with the reason, and the picture, the phone image, the
    // document name and the mode stay as they were; false then.
    bool OpenPictureFile(const QString& path);

    // The folder the Open and Save dialogs start in on a first run: the Pictures folder
    // when it exists, else the home folder; ends in "/".
    static QString DefaultPictureFolder();

protected:
    void customEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildActions();
    void BuildMenus();
    QToolBar* BuildToolBar(const QString& name, const std::vector<int>& buttons);
    void BuildStatusBar();
    void BuildOutputBar();
    void InstallHandlers();
    CommandPane* CurrentPane() const;
    CommandPane* DotEditorPane() const;
    bool IsDotEditorCommand(int id) const;
    void SetMode(int mode);
    void PopupSubmenu(int buttonId, QMenu* menu);

    // Command handlers.
    void OnOpen();
    void OnCustomSize();
    void OnOpenPluginFolder();
    void OnAbout();
    void OnPasteSource();
    // Turns the live fit on for the carrier (off when it follows that carrier already).
    void OnFitToLimit(Carrier carrier);
    // The status bar says while a fit runs, and what the last one chose.
    void ShowLiveFit();
    void OnRightAngle(RightAngle transform);
    void OnSave();
    void OnSizeCheck();
    // The send dialog with a delivery copy of the output image, deleted afterwards.
    void OnMail();
    // The web server dialog serving a delivery copy, deleted once the server has stopped.
    void OnWebServer();
    void OnMailAccount();
    void OnCapture();
    void OnCaptureFinished();
    void OnFreeRotation();
    void OnBrightness();
    void OnColorComponents();
    void RunAdjustDialog(CAdjustDialog& dialog);

    std::unique_ptr<UserPrompts> ownPrompts_;
    UserPrompts* prompts_;
    std::unique_ptr<PhoneImageDocument> document_;
    DocumentSignals* signals_ = nullptr;
    LiveFitThreads* fitThreads_ = nullptr;
    bool liveFitShown_ = false; // the status bar says a fit is running
    QMap<int, QAction*> actions_;
    QMap<int, std::function<void()>> handlers_;
    QMap<QString, QMenu*> submenus_;
    QStackedWidget* central_ = nullptr;
    CSourceView* sourceView_ = nullptr;
    CDotEditView* dotEditor_ = nullptr;
    QPointer<CScreenCapture> capture_;
    COutputPanel* outputPanel_ = nullptr;
    QDockWidget* outputBar_ = nullptr;
    QToolBar* mainToolBar_ = nullptr;
    QToolBar* adjustToolBar_ = nullptr;
    QToolBar* dotEditToolBar_ = nullptr;
    QLabel* idleLabel_ = nullptr;
    int mode_;
    QString loadFolder_, saveFolder_;
    QString documentName_;
    bool adjustDialogOpen_ = false;
};
