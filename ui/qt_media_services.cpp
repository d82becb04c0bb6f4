#include "ui/qt_media_services.h"

#include "diary/messages.h"
#include "ui/qt_services.h"

#include <QDesktopServices>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QProcess>
#include <QProgressDialog>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace tsuzuri {

namespace {

// A program that ends with an error within this long of its start did not do what was asked.
constexpr qint64 kQuickExitMs = 5000;

} // namespace

QtLauncher::QtLauncher() : environment_(launch::systemEnvironment()) {}

Outcome QtLauncher::start(const launch::Command& command) {
    const Outcome notStarted =
        Outcome::failure(Msg::LaunchFailed, {command.displayName, messageText(Msg::ProgramNotStarted)});
    if (command.kind == launch::Command::Kind::ShellOpen) {
        // An address stays as it is; anything else is a file on this machine.
        const QUrl url = command.target.contains(u"://"_s) ? QUrl(command.target) : QUrl::fromLocalFile(command.target);
        return QDesktopServices::openUrl(url) ? Outcome::success() : notStarted;
    }
    // Arguments go to the program as they are: no shell ever splits the page path. The program runs on
    // without us; one that gives up at once (xdg-open finding no browser, an editor refusing the file)
    // is told with what it said, as the user would otherwise see nothing at all.
    // No parent on purpose: the program must outlive us (a QProcess ends its program when destroyed), so
    // the object goes only once the program has ended.
    auto* process = new QProcess;
    process->setProgram(command.program);
    process->setArguments(command.arguments);
    process->start();
    if (!process->waitForStarted(10000)) {
        delete process;
        return notStarted;
    }
    QElapsedTimer since;
    since.start();
    QObject::connect(
        process, &QProcess::finished, process,
        [process, since, name = command.displayName, messages = messages_](int code, QProcess::ExitStatus) {
            process->deleteLater();
            if (code == 0 || since.elapsed() > kQuickExitMs || !messages)
                return;
            const QString said = QString::fromLocal8Bit(process->readAllStandardError()).trimmed();
            messages->tell(messageText(Msg::ProgramFailed, {name, QString::number(code), said}));
        });
    return Outcome::success();
}

QString withUpperCasePatterns(const QString& filter) {
    const qsizetype open = filter.lastIndexOf(u'(');
    if (open < 0 || !filter.endsWith(u')'))
        return filter;
    QStringList patterns = filter.mid(open + 1, filter.size() - open - 2).split(u' ', Qt::SkipEmptyParts);
    const QStringList given = patterns;
    for (const QString& p : given) {
        const QString upper = p.toUpper();
        if (!patterns.contains(upper))
            patterns << upper;
    }
    return filter.left(open + 1) + patterns.join(u' ') + u')';
}

std::optional<QString> QtFileChooser::saveFile(const QString& title, const QString& path, const QString& filter) {
    const QString chosen = QFileDialog::getSaveFileName(parent_, title, path, filter);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}

std::optional<QStringList> QtFileChooser::openFiles(const OpenFilesRequest& request) {
    QStringList filters = request.filters;
#if !defined(Q_OS_WIN) && !defined(Q_OS_MACOS)
    // Here the dialogs match patterns case-sensitively, like the file system.
    for (QString& f : filters)
        f = withUpperCasePatterns(f);
#endif
    QString selected = filters.value(request.selectedFilter);
    const QStringList files =
        QFileDialog::getOpenFileNames(parent_, request.title, request.folder, filters.join(u";;"_s), &selected);
    if (files.isEmpty())
        return std::nullopt;
    return files;
}

QtCopyProgress::QtCopyProgress() = default;
QtCopyProgress::~QtCopyProgress() {
    delete dialog_.data();
}

namespace {
// The dialog counts in thousandths: its range is an int, a video's size is not.
constexpr int kSteps = 1000;
} // namespace

void QtCopyProgress::begin(const QString& name, qint64) {
    delete dialog_.data();
    dialog_ = new QProgressDialog(u"「"_s + name + u"」を[image]フォルダにコピーしています…"_s, u"キャンセル"_s, 0,
                                  kSteps, parent_);
    dialog_->setWindowTitle(applicationTitle());
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    // Quick copies finish before it would appear; slow ones show it within half a second.
    dialog_->setMinimumDuration(500);
    dialog_->setValue(0);
}

bool QtCopyProgress::progressed(qint64 done, qint64 total) {
    if (!dialog_)
        return true;
    const int step = total > 0 ? int(done * kSteps / total) : kSteps;
    // Once shown, a window-modal dialog lets the window's events run here, between chunks.
    dialog_->setValue(std::min(step, kSteps));
    return !dialog_->wasCanceled();
}

void QtCopyProgress::end() {
    delete dialog_.data();
}

void QtDialogRunner::run(QDialog& dialog) {
    dialog.exec();
}

} // namespace tsuzuri
