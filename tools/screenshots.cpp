// screenshots OUTPUT_DIR [WIDTHxHEIGHT]: starts the main window at 900 x 600 (or the size
// given, e.g. 890x530 for the smallest window) over a scratch program
// folder holding one project and saves a picture of each page (page0.png .. page4.png)
// and of the job dialog. Runs on any Qt platform (offscreen by default).
#include "app/scripted_prompter.h"
#include "app/zhu.h"
#include "store/catalogue.h"
#include "store/program_folder.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

using namespace lumacite;

int main(int argc, char** argv) {
    int width = 900;
    int height = 600;
    if (argc < 2 || argc > 3 ||
        (argc == 3 && std::sscanf(argv[2], "%dx%d", &width, &height) != 2)) {
        std::fprintf(stderr, "usage: screenshots OUTPUT_DIR [WIDTHxHEIGHT]\n");
        return 1;
    }
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("SimSun"), QString::fromUtf8("宋体"),
                      QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")});
    font.setPixelSize(12);
    QApplication::setFont(font);

    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    const std::filesystem::path home = std::filesystem::temp_directory_path() /
                                       ("lumacite-screenshots-" + std::to_string(::getpid()));
    std::filesystem::remove_all(home);
    try {
        const auto file = store::prepare_program_folder(
                              home, store::shipped_catalogue(store::executable_folder()))
                              .catalogue;
        auto catalogue = store::Catalogue::open(file);
        catalogue.add_project({"P1", "PubMed", "示例项目"});
    } catch (const std::exception& e) {
        std::fprintf(stderr, "screenshots: %s\n", e.what());
        return 1;
    }
    app::ScriptedPrompter prompter;
    int status = 0;
    {
        app::TForm_zhu window(home, prompter, app::StartOptions{false});
        window.resize(width, height);
        window.show();
        QApplication::processEvents();
        for (int page = 0; page < 5; ++page) {
            window.TabSet1->setCurrentIndex(page);
            QApplication::processEvents();
            const QString name = out + QStringLiteral("/page%1.png").arg(page);
            if (!window.grab().save(name)) {
                std::fprintf(stderr, "screenshots: cannot write %s\n", name.toLocal8Bit().data());
                status = 1;
            }
        }
        auto dialog = window.start_caller_driven("提取关键字段...... 1 / 3");
        dialog->set_maximum(3);
        dialog->set_position(2);
        dialog->flush();
        QApplication::processEvents();
        dialog->grab().save(out + QStringLiteral("/job_dialog.png"));
        window.close();
    }
    std::filesystem::remove_all(home);
    if (!prompter.calls().empty()) {
        std::fprintf(stderr, "screenshots: the window spoke: %s\n", prompter.texts()[0].c_str());
        status = 1;
    }
    return status;
}
