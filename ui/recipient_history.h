// The recent recipients that the mail and web server dialogs offer in their address boxes,
// kept in section "EMAIL" as TO_COUNT and TO(1) … TO(n).
#pragma once

#include <QStringList>

class QComboBox;

inline constexpr int kRecipientHistorySize = 10;

QStringList LoadRecipientHistory();
void StoreRecipientHistory(const QStringList& entries);

// The list after a sending to `text`: the first entry equal to it regardless of letter case
// is removed, the last entry goes when ten remain, and `text` comes first as typed.
QStringList UpdatedRecipientHistory(QStringList entries, const QString& text);

// Fills an address box with the stored entries in sorted order (letter case ignored) and
// puts the first of them into its edit field.
void FillRecipientBox(QComboBox* box, const QStringList& entries);
// After a sending: updates the box's list with its current text, selects it and stores
// the list in the box's order.
void RememberRecipient(QComboBox* box);
