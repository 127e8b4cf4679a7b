// Answers the program's message boxes and file dialogs in tests.
#pragma once

#include "ui/user_prompts.h"

#include <QList>
#include <QStringList>

class FakePrompts : public UserPrompts {
public:
    QStringList messages;
    QList<FileDialogRequest> openRequests, saveRequests;
    QList<FileDialogResult> openAnswers, saveAnswers; // taken front first; empty: cancel

    void ShowMessage(QWidget*, const QString& text, Icon) override { messages.append(text); }
    FileDialogResult OpenFile(QWidget*, const FileDialogRequest& request) override {
        openRequests.append(request);
        return openAnswers.isEmpty() ? FileDialogResult{} : openAnswers.takeFirst();
    }
    FileDialogResult SaveFile(QWidget*, const FileDialogRequest& request) override {
        saveRequests.append(request);
        return saveAnswers.isEmpty() ? FileDialogResult{} : saveAnswers.takeFirst();
    }
};
