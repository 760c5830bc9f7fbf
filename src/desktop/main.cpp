// tavrento: the desktop application.
#include <QApplication>
#include <QIcon>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <optional>
#include <string>

#include "core/file_io.h"
#include "platform/linux/curl_http.h"
#include "platform/linux/lhasa_lzh.h"
#include "platform/linux/system_clock.h"
#include "qt_platform/qt_clipboard.h"
#include "qt_platform/qt_prompter.h"
#include "qt_platform/qt_shell.h"
#include "qt_platform/unattended_prompter.h"
#include "window/main_window.h"
#include "window/startup_options.h"
#include "window/ui_font.h"
#include "window/ui_language.h"
#include "workspace/archive.h"

int main(int argc, char** argv) {
    using namespace tav;
    using namespace tav::desktop;

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavrento"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("office-chart-line")));
    useJapaneseUiFont();
    if (!useJapaneseQtTexts())
        std::fputs(
            "tavrento: Qt's Japanese translations are not installed (qt6-translations-l10n)\n",
            stderr);

    std::vector<std::string> arguments;
    for (int index = 1; index < argc; ++index)
        arguments.emplace_back(argv[index]);
    const auto startup = parseStartupOptions(arguments);
    if (!startup.error.empty()) {
        std::fprintf(stderr, "tavrento: %s\n%s", startup.error.c_str(), kStartupUsage);
        return 2;
    }
    if (startup.help) {
        std::fputs(kStartupUsage, stdout);
        return 0;
    }

    // A screenshot run has nobody to answer; it takes every default.
    QtPrompter interactive;
    UnattendedPrompter unattended;
    Prompter& prompter = startup.screenshot ? static_cast<Prompter&>(unattended) : interactive;
    CurlHttp http;
    LhasaLzh lzh;
    QtShell shell;
    SystemClock clock;
    QtClipboard clipboard;
    Workspace workspace(ProgramFolder(locateProgramFolder(currentFolderLocation(startup.folder))),
                        Platform{prompter, http, lzh, shell, clock, clipboard});

    MainWindow window(workspace);
    window.setUnattended(startup.screenshot.has_value());
    interactive.setParent(&window);
    shell.onFailure = [&prompter](const std::string& message) {
        prompter.message(message, MessageIcon::Warning);
    };
    interactive.onProgress = [&window](int percent) { window.showProgress(percent); };
    interactive.onStatus = [&window](const std::string& text) { window.showStatus(text); };
    const bool needsStore = workspace.initProgramFolder();
    // Without stored options the window would open at 500 x 500, too small
    // for the chart; a first start (and the screenshot) takes more room.
    const bool placed = fileio::fileExists(workspace.folder().path("Option.cfg"));
    const StockCode code = workspace.loadSettings(startup.code);
    window.placeFromOptions();
    if (startup.screenshot) {
        window.resize(1280, 800);
    } else if (!placed) {
        const QRect screen = window.screen()->availableGeometry();
        const QSize size = QSize(1280, 800).boundedTo(screen.size() * 9 / 10);
        window.setGeometry(QRect(QPoint(0, 0), size)
                               .translated(screen.center() - QRect(QPoint(0, 0), size).center()));
    }
    if (workspace.options().maximized)
        window.showMaximized();
    else
        window.show();
    // A new folder gets its store from the daily archives before any series
    // is shown; the window shows the progress.
    if (needsStore) createStoreFromArchives(workspace, window.archiveDialog());
    window.start(code);

    // Ending the session may quit without closing the window first.
    QObject::connect(&application, &QCoreApplication::aboutToQuit, &window,
                     [&window] { window.shutDown(); });

    if (startup.screenshot) {
        // Render once everything is laid out and painted, then quit.
        QTimer::singleShot(300, &window, [&] {
            window.repaintTick();
            const QString path = QString::fromStdString(*startup.screenshot);
            const bool saved = window.grab().save(path);
            std::printf("%s\n", saved ? startup.screenshot->c_str() : "screenshot failed");
            std::fflush(stdout);
            window.close();
        });
    }
    return application.exec();
}
