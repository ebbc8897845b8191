#include "ui/TextFont.h"

#include <QFontDatabase>
#include <QStringList>

QString HangulFamily() {
    const QStringList korean = QFontDatabase::families(QFontDatabase::Korean);
    for (const char* preferred : {"NanumGothic", "Noto Sans CJK KR", "NanumBarunGothic"}) {
        const QString family = QString::fromLatin1(preferred);
        if (korean.contains(family))
            return family;
    }
    return korean.isEmpty() ? QString() : korean.first();
}

QFont WithHangul(QFont font) {
    const QString hangul = HangulFamily();
    if (hangul.isEmpty())
        return font;
    QStringList families = font.families();
    if (families.isEmpty())
        families.append(font.family());
    if (!families.contains(hangul)) {
        families.append(hangul);
        font.setFamilies(families);
    }
    return font;
}
