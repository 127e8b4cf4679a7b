#include "ui/recipient_history.h"

#include "desktop/settings_store.h"

#include <QComboBox>

#include <algorithm>

namespace {
constexpr const char* kSection = "EMAIL";
} // namespace

QStringList LoadRecipientHistory() {
    const auto settings = OpenUserSettings();
    settings->beginGroup(kSection);
    QStringList entries;
    // A hand-edited count must not make us read (and hold) millions of entries.
    const int count = std::clamp(settings->value("TO_COUNT", 0).toInt(), 0, kRecipientHistorySize);
    for (int n = 1; n <= count; ++n)
        entries.append(settings->value(QStringLiteral("TO(%1)").arg(n), QString()).toString());
    settings->endGroup();
    return entries;
}

void StoreRecipientHistory(const QStringList& entries) {
    const auto settings = OpenUserSettings();
    settings->beginGroup(kSection);
    settings->setValue("TO_COUNT", int(entries.size()));
    for (qsizetype i = 0; i < entries.size(); ++i)
        settings->setValue(QStringLiteral("TO(%1)").arg(i + 1), entries[i]);
    settings->endGroup();
}

QStringList UpdatedRecipientHistory(QStringList entries, const QString& text) {
    const QString upper = text.toUpper();
    for (qsizetype i = 0; i < entries.size(); ++i)
        if (entries[i].toUpper() == upper) {
            entries.removeAt(i);
            break;
        }
    if (entries.size() > kRecipientHistorySize - 1)
        entries.removeLast();
    entries.prepend(text);
    return entries;
}

void FillRecipientBox(QComboBox* box, const QStringList& entries) {
    QStringList sorted = entries;
    std::stable_sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    box->clear();
    box->addItems(sorted);
    if (!sorted.isEmpty())
        box->setCurrentIndex(0);
    else
        box->setEditText(QString());
}

void RememberRecipient(QComboBox* box) {
    const QString text = box->currentText();
    QStringList entries;
    for (int i = 0; i < box->count(); ++i)
        entries.append(box->itemText(i));
    entries = UpdatedRecipientHistory(entries, text);
    box->clear();
    box->addItems(entries);
    box->setCurrentIndex(0);
    StoreRecipientHistory(entries);
}
