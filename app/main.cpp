// The program: builds the real services and the main window, and runs the event loop.
#include "settings/keychain_password_store.h"
#include "ui/main_window.h"
#include "ui/qt_folder_chooser.h"
#include "ui/qt_media_services.h"
#include "ui/qt_services.h"
#include "upload/curl_ftp_client.h"

#include <QApplication>
#include <QEventLoop>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QPixmap>
#include <QTabWidget>
#include <QTimer>
#include <QTranslator>

using namespace Qt::StringLiterals;

namespace {

class CurlFtpConnector final : public tsuzuri::FtpConnector {
public:
    std::unique_ptr<tsuzuri::upload::FtpSession> makeSession() override {
        return tsuzuri::upload::makeCurlFtpSession();
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(tsuzuri::applicationTitle());

    // Qt's own texts (context menus of the text boxes, dialogs) in Japanese, like the rest of the window.
    QTranslator qtbase;
    if (qtbase.load(QLocale(QLocale::Japanese, QLocale::Japan), u"qtbase"_s, u"_"_s,
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtbase);

    tsuzuri::QtMessageBoxes messages;
    tsuzuri::SystemClock clock;
    tsuzuri::QtClipboard clipboard;
    tsuzuri::QtLauncher launcher;
    launcher.setMessages(&messages);
    tsuzuri::QtFileChooser files;
    tsuzuri::QtCopyProgress copyProgress;
    tsuzuri::QtDialogRunner dialogs;
    CurlFtpConnector ftp;
    tsuzuri::QtFolderChooser folders;
    tsuzuri::KeychainPasswordStore passwords;
    tsuzuri::MainWindow window(
        QCoreApplication::applicationDirPath(),
        {{&messages, &clock, &clipboard, &launcher, &files, &copyProgress, &ftp, &folders, &passwords}, &dialogs});
    messages.setParent(&window);
    files.setParent(&window);
    copyProgress.setParent(&window);
    folders.setParent(&window);
    // The window says when the program ends: after its shut-down, or when it could not start.
    bool ended = false;
    QObject::connect(&window, &tsuzuri::MainWindow::programEnded, &app, [&ended] {
        ended = true;
        QCoreApplication::quit();
    });
    if (!window.start() || ended)
        return 1; // the start-up failed and said why; the event loop never ran

    // Tooling only (scripts/screenshot, the start-up benchmark): show the window at a size ("min" or
    // WxH) on a tab, save it as shown, or just report that it was shown, and end.
    const QString size = qEnvironmentVariable("TSUZURI_SCREENSHOT_SIZE");
    if (size == u"min"_s) {
        window.resize(window.minimumSizeHint());
    } else if (const QStringList wh = size.split(u'x'); wh.size() == 2) {
        window.resize(wh[0].toInt(), wh[1].toInt());
    }
    if (auto* tabs = window.findChild<QTabWidget*>(); tabs && qEnvironmentVariableIsSet("TSUZURI_SCREENSHOT_TAB"))
        tabs->setCurrentIndex(qEnvironmentVariableIntValue("TSUZURI_SCREENSHOT_TAB"));
    if (const QString terms = qEnvironmentVariable("TSUZURI_SCREENSHOT_SEARCH"); !terms.isEmpty()) {
        window.findChild<QLineEdit*>(u"queryEdit"_s)->setText(terms);
        QEventLoop wait; // the results arrive from the search's worker a moment later
        QTimer::singleShot(1500, &wait, &QEventLoop::quit);
        wait.exec();
    }
    window.show();
    const QString screenshot = qEnvironmentVariable("TSUZURI_SCREENSHOT");
    if (!screenshot.isEmpty() || qEnvironmentVariableIsSet("TSUZURI_QUIT_WHEN_SHOWN")) {
        QTimer::singleShot(0, &window, [&window, screenshot] {
            const QPixmap shot = window.grab();
            const bool saved = screenshot.isEmpty() || shot.save(screenshot);
            QCoreApplication::exit(saved ? 0 : 1);
        });
    }
    return QApplication::exec();
}
