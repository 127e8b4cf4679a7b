// The Save and Size-check commands: the save dialog around the pipeline's writer, and the
// message telling whether the output fits the carriers' limits.
#pragma once

#include "ui/user_prompts.h"

#include <QString>

class OutputPipeline;
class PhoneImageDocument;
class QWidget;

// What the save dialog is asked: its title, the PNG/JPEG/all-files filter with the entry of
// the current format kind selected, the folder and the name proposed from the document name.
FileDialogRequest SaveDialogRequest(const QString& documentName, const QString& saveFolder,
                                    bool png);

// The path to write for the dialog's answer: a name without extension gets ".jpg" when the
// JPEG filter was selected, else ".png". Empty when the dialog was cancelled.
QString ChosenSavePath(const FileDialogResult& result);

// The message shown when `path` could not be written, with the reason.
QString SaveFailureMessage(const QString& path, const QString& reason);

class SaveFlow {
public:
    SaveFlow(UserPrompts& prompts, QWidget* parent) : prompts_(prompts), parent_(parent) {}

    // Asks for a name and writes the output image by its extension. The document name loses
    // its extension when the dialog opens; the save folder follows the chosen file. A failed
    // write is told to the user; an older file of that name is never left damaged. True when
    // a file was written.
    bool Save(const OutputPipeline& pipeline, QString& documentName, QString& saveFolder);

    // Encodes the output as the current format and shows how its size fares.
    void CheckSize(PhoneImageDocument& document);

private:
    UserPrompts& prompts_;
    QWidget* parent_;
};
