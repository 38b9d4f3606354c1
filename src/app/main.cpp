// lumacite [--home DIR] [--no-splash]: the desktop program. The splash is also skipped
// when the environment variable LUMACITE_NO_SPLASH is set.
#include "app/qt_prompter.h"
#include "app/startup.h"
#include "app/translations.h"
#include "app/zhu.h"
#include "messages.h"
#include "store/catalogue.h"

#include <QApplication>
#include <QFont>
#include <QStringList>

#include <cstdlib>

using namespace lumacite;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(msg::application_title));
    app::install_qt_translations(app);
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("SimSun"), QString::fromUtf8("宋体"),
                      QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")});
    font.setPixelSize(12);
    QApplication::setFont(font);

    std::string home;
    bool splash = std::getenv("LUMACITE_NO_SPLASH") == nullptr;
    const QStringList args = QApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--home") && i + 1 < args.size()) {
            home = args[++i].toStdString();
        } else if (args[i].startsWith(QStringLiteral("--home="))) {
            home = args[i].mid(7).toStdString();
        } else if (args[i] == QStringLiteral("--no-splash")) {
            splash = false;
        }
    }

    app::QtPrompter prompter;
    const auto folder = app::prepare_home(home, prompter);
    if (!folder) {
        return 3;
    }
    std::unique_ptr<app::TForm_zhu> window;
    try {
        window = std::make_unique<app::TForm_zhu>(*folder, prompter, app::StartOptions{splash});
    } catch (const store::CatalogueError& e) {
        prompter.refuse(std::string(msg::catalogue_cannot_open) + e.what());
        return 3;
    }
    prompter.set_parent(window.get());
    window->show();
    return QApplication::exec();
}
