#include "ui/TextFont.h"

#include "settings/Settings.h"

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

QFont FontOf(const FontSetting& setting, int defaultPixels) {
    QFont font = WithHangul(QFont(QString::fromStdU16String(setting.face)));
    font.setPixelSize(setting.height < 0 ? -setting.height
                                         : (setting.height > 0 ? setting.height : defaultPixels));
    font.setBold(setting.Weight() >= 700);
    font.setItalic(setting.Italic());
    font.setUnderline(setting.Underline());
    return font;
}
