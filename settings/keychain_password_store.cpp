#include "settings/keychain_password_store.h"

#include <qt6keychain/keychain.h>

#include <QEventLoop>

using namespace Qt::StringLiterals;

namespace tsuzuri {

namespace {

const QString kService = u"Tsuzuri FTP"_s;

// Runs a job to its end. A job may finish inside start(); the loop only runs when it has not.
QKeychain::Error finish(QKeychain::Job& job) {
    job.setAutoDelete(false);
    bool done = false;
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
        done = true;
        loop.quit();
    });
    job.start();
    if (!done)
        loop.exec();
    return job.error();
}

Outcome failed(const QKeychain::Job& job) {
    return Outcome::failure(Msg::ErrorWithReason, {job.errorString()});
}

} // namespace

bool KeychainPasswordStore::available() {
    if (!available_) {
        // Looking up an entry that is not there tells whether anything answers at all.
        QKeychain::ReadPasswordJob probe(kService);
        probe.setKey(u"tsuzuri-keyring-probe"_s);
        const QKeychain::Error e = finish(probe);
        available_ = e == QKeychain::NoError || e == QKeychain::EntryNotFound;
    }
    return *available_;
}

std::optional<QString> KeychainPasswordStore::read(const QString& key, Outcome* why) {
    QKeychain::ReadPasswordJob job(kService);
    job.setKey(key);
    const QKeychain::Error e = finish(job);
    if (e == QKeychain::NoError)
        return job.textData();
    if (why && e != QKeychain::EntryNotFound)
        *why = failed(job);
    return std::nullopt;
}

Outcome KeychainPasswordStore::write(const QString& key, const QString& password) {
    QKeychain::WritePasswordJob job(kService);
    job.setKey(key);
    job.setTextData(password);
    return finish(job) == QKeychain::NoError ? Outcome::success() : failed(job);
}

Outcome KeychainPasswordStore::remove(const QString& key) {
    QKeychain::DeletePasswordJob job(kService);
    job.setKey(key);
    const QKeychain::Error e = finish(job);
    return e == QKeychain::NoError || e == QKeychain::EntryNotFound ? Outcome::success() : failed(job);
}

} // namespace tsuzuri
