#include "ui/Translated.h"

#include <QCoreApplication>

QString Translated(const UiText& text) {
    if (text.Empty())
        return {};
    const QString pattern = QCoreApplication::translate(text.context, text.source);
    return QString::fromStdU16String(UiText::Fill(pattern.toStdU16String(), text.args));
}
