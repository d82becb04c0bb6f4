// A window that is typed into and then killed: started by the journal test, which sends SIGKILL once this
// prints READY (the journal of what was typed is on disk by then).
#include "fakes.h"

#include "diary/recovery_journal.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTimer>

#include <cstdio>

using namespace Qt::StringLiterals;
using namespace tsuzuri;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString home = QString::fromLocal8Bit(argv[1]);
    test::RecordingMessages messages;
    test::FixedClock clock;
    MainWindow window(home, {{&messages, &clock}});
    if (!window.start())
        return 2;
    window.show();
    auto* title = window.findChild<QLineEdit*>(u"titleEdit"_s);
    title->setFocus();
    QInputMethodEvent typed;
    typed.setCommitString(u"消えない日記"_s);
    QCoreApplication::sendEvent(title, &typed);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        if (QFile::exists(journal::path(home, u"diary"_s))) {
            std::puts("READY");
            std::fflush(stdout);
            poll.stop();
        }
    });
    poll.start(50);
    return QApplication::exec();
}
