#include "upload/sent_manifest.h"

#include "store/paths.h"
#include "store/textfile.h"
#include "upload/server_address.h"
#include "upload/upload_plan.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace tsuzuri::upload {

namespace {

QString targetOf(const ConnectionSettings& c) {
    const std::optional<ServerAddress> a = serverAddress(c);
    const QString where = a ? a->host.toLower() + u':' + QString::number(a->port) : c.host;
    return protocolName(c.protocol).toLower() + u"://"_s + c.user + u'@' + where + remoteBase(c.remoteDir);
}

QByteArray line(const QString& path, const SentFile& f) {
    return f.sha256.toHex() + ' ' + QByteArray::number(f.size) + ' ' + QByteArray::number(f.modified) + ' ' +
           path.toUtf8() + '\n';
}

} // namespace

std::optional<QByteArray> fileSha256(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    QCryptographicHash h(QCryptographicHash::Sha256);
    if (!h.addData(&f))
        return std::nullopt;
    return h.result();
}

QString SentManifest::fileFor(const QString& home, const QString& folder, const ConnectionSettings& c) {
    const QByteArray id = QCryptographicHash::hash(targetOf(c).toUtf8(), QCryptographicHash::Sha256).toHex().left(12);
    return paths::iniFolder(home) + u"/sent_"_s + folder + u'_' + QString::fromLatin1(id) + u".txt"_s;
}

SentManifest SentManifest::load(const QString& home, const QString& folder, const ConnectionSettings& c) {
    SentManifest m;
    m.path_ = fileFor(home, folder, c);
    m.target_ = targetOf(c);
    const std::optional<QByteArray> bytes = textfile::readRegularFile(m.path_);
    if (!bytes)
        return m;
    const QList<QByteArray> lines = bytes->split('\n');
    // The last piece has no line end: it was cut short, or is the empty rest after the final one.
    for (qsizetype i = 1; i + 1 < lines.size(); ++i) {
        const QByteArray& l = lines[i];
        if (l.startsWith("- ")) {
            m.files_.remove(QString::fromUtf8(l.mid(2)));
            continue;
        }
        const QList<QByteArray> f = l.split(' ');
        bool sizeOk = false, timeOk = false;
        SentFile s;
        s.sha256 = QByteArray::fromHex(f.value(0));
        s.size = f.value(1).toLongLong(&sizeOk);
        s.modified = f.value(2).toLongLong(&timeOk);
        const qsizetype pathAt = f.value(0).size() + f.value(1).size() + f.value(2).size() + 3;
        if (f.size() < 4 || s.sha256.size() != 32 || !sizeOk || !timeOk || pathAt >= l.size())
            continue;
        m.files_.insert(QString::fromUtf8(l.mid(pathAt)), s);
    }
    return m;
}

const SentFile* SentManifest::find(const QString& path) const {
    const auto it = files_.constFind(path);
    return it == files_.cend() ? nullptr : &*it;
}

bool SentManifest::unchanged(const QString& path, const QString& localPath, qint64 size, qint64 modified) const {
    const SentFile* f = find(path);
    if (!f || f->size != size)
        return false;
    if (f->modified == modified)
        return true;
    return fileSha256(localPath) == f->sha256;
}

QByteArray SentManifest::render() const {
    QByteArray out = target_.toUtf8() + '\n';
    QStringList paths = files_.keys();
    paths.sort();
    for (const QString& p : std::as_const(paths))
        out += line(p, files_[p]);
    return out;
}

Outcome SentManifest::save() const {
    if (path_.isEmpty())
        return Outcome::success();
    if (!QFileInfo(QFileInfo(path_).path()).isDir() && !QDir().mkpath(QFileInfo(path_).path()))
        return Outcome::failure(Msg::FolderCreateFailed, {QDir::toNativeSeparators(QFileInfo(path_).path())});
    return textfile::writeFileAtomically(path_, render());
}

Outcome SentManifest::forget(const QStringList& paths) {
    for (const QString& p : paths)
        files_.remove(p);
    // Written even when nothing went: a line cut short by a crash must not run into the next one.
    return save();
}

void SentManifest::arrived(const QString& path, const SentFile& file) {
    files_.insert(path, file);
    QFile f(path_);
    if (!QFileInfo::exists(path_)) {
        save();
        return;
    }
    if (f.open(QIODevice::Append))
        f.write(line(path, file));
}

} // namespace tsuzuri::upload
