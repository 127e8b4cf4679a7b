#include "ui/user_prompts.h"

#include "ui/file_filter.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace {

FileDialogResult RunFileDialog(QWidget* parent, const FileDialogRequest& request, bool save) {
    const QList<FileFilterEntry> entries = ParseFileFilter(request.filter);
    const QStringList filters = ToQtFilters(entries);
    QFileDialog dialog(parent, request.title, request.folder);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters[request.filterIndex - 1]);
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // A bare name gets the extension of the filter selected (the default one for "*"),
        // so that the dialog's overwrite question is asked about the file really written.
        auto suffixFor = [&](const QString& filter) {
            const qsizetype index = filters.indexOf(filter);
            if (index >= 0 && index < entries.size()) {
                const QString first = entries[index].patterns.section(';', 0, 0).trimmed();
                if (first.startsWith("*.") && first != "*.*")
                    return first.mid(2);
            }
            return request.defaultSuffix;
        };
        dialog.setDefaultSuffix(suffixFor(dialog.selectedNameFilter()));
        QObject::connect(
            &dialog, &QFileDialog::filterSelected, &dialog,
            [&](const QString& filter) { dialog.setDefaultSuffix(suffixFor(filter)); });
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
    const QMessageBox::Icon shown = icon == Icon::kWarning       ? QMessageBox::Warning
                                    : icon == Icon::kInformation ? QMessageBox::Information
                                                                 : QMessageBox::NoIcon;
    QMessageBox box(shown, QCoreApplication::translate("UserPrompts", "モコア"), text,
                    QMessageBox::Ok, parent);
    box.exec();
}

FileDialogResult QtUserPrompts::OpenFile(QWidget* parent, const FileDialogRequest& request) {
    return RunFileDialog(parent, request, false);
}

FileDialogResult QtUserPrompts::SaveFile(QWidget* parent, const FileDialogRequest& request) {
    return RunFileDialog(parent, request, true);
}
