// File dialog filters written as "description|patterns|...|" pairs, and their Qt form.
#pragma once

#include <QString>
#include <QStringList>

struct FileFilterEntry {
    QString description; // "JPEG (*.jpg;*.jpeg)"
    QString patterns;    // "*.jpg;*.jpeg"
};

// Splits "a|b|c|d||" into pairs; an unpaired tail is dropped.
QList<FileFilterEntry> ParseFileFilter(const QString& text);

// One Qt filter per entry: the description with its trailing "(...)" replaced by the real
// patterns, blank-separated, because Qt matches by what stands in the parentheses. "*.*"
// becomes "*" so that files without an extension are listed too.
QStringList ToQtFilters(const QList<FileFilterEntry>& entries);
