#pragma once

#include <QString>
#include <QStringList>

// A file filter written as "Name|*.a;*.b|Name|*.c|" (names and pattern lists in turn) as the
// file dialog takes it: "Name (*.a *.b);;Name (*.c)". A name that already ends in its patterns
// in brackets is kept as it is.
inline QString DialogFilter(const QString& pairs) {
    const QStringList parts = pairs.split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString name = parts[i].trimmed();
        const QString patterns = QString(parts[i + 1]).replace(';', ' ').trimmed();
        if (name.isEmpty() || patterns.isEmpty())
            continue;
        const QString bracketed = "(" + patterns + ")";
        filters << (name.endsWith(bracketed) ? name : name + " " + bracketed);
    }
    return filters.join(";;");
}
