#include "ui/file_filter.h"

QList<FileFilterEntry> ParseFileFilter(const QString& text) {
    const QStringList parts = text.split('|');
    QList<FileFilterEntry> entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            break;
        entries.append({parts[i], parts[i + 1]});
    }
    return entries;
}

QStringList ToQtFilters(const QList<FileFilterEntry>& entries) {
    QStringList filters;
    for (const FileFilterEntry& entry : entries) {
        QStringList patterns;
        for (const QString& pattern : entry.patterns.split(';', Qt::SkipEmptyParts)) {
            const QString trimmed = pattern.trimmed();
            patterns.append(trimmed == "*.*" ? QStringLiteral("*") : trimmed);
        }
        QString description = entry.description.trimmed();
        if (description.endsWith(')')) {
            const qsizetype open = description.lastIndexOf('(');
            if (open >= 0)
                description = description.left(open).trimmed();
        }
        filters.append(description + " (" + patterns.join(' ') + ")");
    }
    return filters;
}
