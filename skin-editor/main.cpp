// Mantlery: the skin editor of Sonvale.
//   mantlery [FILE.wps]

#include "skin-editor/EditorLanguage.h"
#include "skin-editor/EditorWindow.h"
#include "ui/TextFont.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Mantlery");
    QApplication::setApplicationVersion(SONVALE_VERSION);
    EditorLanguage::Install(app, EditorLanguage::UiLanguage());
    // Skins carry Korean names and texts whatever the language.
    QApplication::setFont(WithHangul(QApplication::font()));

    EditorWindow window;
    window.show();
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
        window.OpenPath(arguments.at(1));
    return app.exec();
}
