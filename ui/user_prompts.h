// Message boxes and file dialogs go through this seam so that tests can answer them.
#pragma once

#include <QString>

class QWidget;

struct FileDialogRequest {
    QString title;
    QString folder;       // where the dialog starts
    QString proposedName; // save dialog only
    QString filter;       // "description|patterns|...||"
    int filterIndex = 1;  // 1-based
    QString defaultSuffix;
};

struct FileDialogResult {
    QString path;        // empty when cancelled
    int filterIndex = 0; // 1-based index of the filter selected when the dialog closed
};

class UserPrompts {
public:
    enum class Icon { kNone, kInformation, kWarning };
    virtual ~UserPrompts() = default;
    // A message box with an OK button and the application title as caption.
    virtual void ShowMessage(QWidget* parent, const QString& text, Icon icon) = 0;
    // Asks for an existing file.
    virtual FileDialogResult OpenFile(QWidget* parent, const FileDialogRequest& request) = 0;
    // Asks for a file to write, confirming before an existing one is replaced.
    virtual FileDialogResult SaveFile(QWidget* parent, const FileDialogRequest& request) = 0;
};

// The real dialogs.
class QtUserPrompts : public UserPrompts {
public:
    void ShowMessage(QWidget* parent, const QString& text, Icon icon) override;
    FileDialogResult OpenFile(QWidget* parent, const FileDialogRequest& request) override;
    FileDialogResult SaveFile(QWidget* parent, const FileDialogRequest& request) override;
};
