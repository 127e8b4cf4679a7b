#include "ui/user_prompts.h"

#include "app/settings_store.h"
#include "ui/file_filter.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {

FileDialogResult RunFileDialog(QWidget* parent, const FileDialogRequest& request, bool save) {
    const QStringList filters = ToQtFilters(ParseFileFilter(request.filter));
    QFileDialog dialog(parent, request.title, request.folder);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters[request.filterIndex - 1]);
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // The extension is added by the caller from the filter chosen, not by the dialog.
        if (!request.proposedName.isEmpty())
            dialog.selectFile(request.proposedName);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return {dialog.selectedFiles().first(), int(filters.indexOf(dialog.selectedNameFilter())) + 1};
}

} // namespace

void QtUserPrompts::ShowMessage(QWidget* parent, const QString& text, Icon icon) {
    QMessageBox box(icon == Icon::kWarning ? QMessageBox::Warning : QMessageBox::Information,
                    QString::fromUtf8(kApplicationName), text, QMessageBox::Ok, parent);
    box.exec();
}

FileDialogResult QtUserPrompts::OpenFile(QWidget* parent, const FileDialogRequest& request) {
    return RunFileDialog(parent, request, false);
}

FileDialogResult QtUserPrompts::SaveFile(QWidget* parent, const FileDialogRequest& request) {
    return RunFileDialog(parent, request, true);
}
