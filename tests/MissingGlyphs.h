#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QString>
#include <QTextLayout>

// How many glyphs of the text, laid out in the font with Qt's fallback faces, come out as the
// empty box (glyph 0: no installed face has the character); -1 when nothing was laid out.
inline int MissingGlyphs(const QFont& font, const QString& text) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    int glyphs = 0;
    int missing = 0;
    for (const QGlyphRun& run : layout.glyphRuns())
        for (const quint32 glyph : run.glyphIndexes()) {
            ++glyphs;
            missing += glyph == 0 ? 1 : 0;
        }
    return glyphs == 0 ? -1 : missing;
}
