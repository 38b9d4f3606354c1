// lumacite [--home DIR] [--no-splash]: the desktop program.
#include "messages.h"
#include "store/catalogue.h"
#include "store/program_folder.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QStringList>

using namespace lumacite;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(msg::application_title));

    std::string home;
    const QStringList args = QApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--home") && i + 1 < args.size()) {
            home = args[++i].toStdString();
        } else if (args[i].startsWith(QStringLiteral("--home="))) {
            home = args[i].mid(7).toStdString();
        }
    }
    std::filesystem::path catalogue_path;
    try {
        const auto folder = store::resolve_program_folder(home);
        catalogue_path = store::prepare_program_folder(
            folder, store::shipped_catalogue(store::executable_folder()));
        store::Catalogue::open(catalogue_path);
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QString::fromUtf8(msg::caption),
                              QString::fromUtf8(e.what()));
        return 3;
    }
    QMainWindow window;
    window.setWindowTitle(QString::fromUtf8(msg::window_caption));
    window.setCentralWidget(new QLabel(QString::fromStdString(catalogue_path.string())));
    window.resize(890, 530);
    window.show();
    return QApplication::exec();
}
