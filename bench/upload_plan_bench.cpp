#include "upload/sent_manifest.h"
#include "upload/upload_runner.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;
using namespace tsuzuri;
using namespace tsuzuri::upload;

namespace {

// A diary folder whose 1,000 photos of 50 KB all arrived before, as the record says; then one is edited.
struct Site {
    QTemporaryDir home;
    UploadRequest request;
    explicit Site(bool touchedAll) {
        const QString image = home.path() + u"/diary/image"_s;
        QDir().mkpath(image);
        QDir().mkpath(home.path() + u"/ini"_s);
        request = {
            home.path(), u"diary"_s, {u"ftp.example.jp"_s, u"me"_s, {}, u"www"_s, 0}, {u"[フォルダ]image"_s}, true};
        SentManifest sent = SentManifest::load(request.home, request.folder, request.connection);
        QByteArray bytes(50 * 1024, '\0');
        for (int i = 0; i < 1000; ++i) {
            const QString name = u"photo%1.jpg"_s.arg(i, 4, 10, QLatin1Char('0'));
            for (qsizetype b = 0; b < bytes.size(); ++b)
                bytes[b] = char(i * 31 + b * 7);
            QFile f(image + u'/' + name);
            if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
                return;
            f.close();
            const QFileInfo info(f.fileName());
            sent.arrived(u"image/"_s + name,
                         {info.size(), info.lastModified().toMSecsSinceEpoch(), *fileSha256(f.fileName())});
        }
        sent.save();
        QFile edited(image + u"/photo0500.jpg"_s);
        if (edited.open(QIODevice::ReadWrite))
            edited.write("edited");
        if (!touchedAll)
            return;
        // Copied back from a backup: every time moved, no byte changed; each file is hashed again.
        for (const QString& name : QDir(image).entryList(QDir::Files)) {
            QFile f(image + u'/' + name);
            if (f.open(QIODevice::ReadWrite))
                f.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime);
        }
    }
};

void plan(benchmark::State& state, bool touchedAll) {
    Site site(touchedAll);
    for (auto _ : state) {
        Plan p;
        const Outcome o = planUpload(site.request, p);
        if (!o.ok() || p.fileCount != 1 || p.unchangedCount != 999)
            state.SkipWithError("wrong plan");
        benchmark::DoNotOptimize(p);
    }
}

// The usual case: the record read, 1,000 files looked at, the one whose size moved found.
void BM_ChangedOnlyPlan_OneOf1000Edited(benchmark::State& state) {
    plan(state, false);
}
// Every file's time moved (restored, copied): all 50 MB hashed again to find that nothing else changed.
void BM_ChangedOnlyPlan_OneOf1000Edited_AllTimesMoved(benchmark::State& state) {
    plan(state, true);
}

} // namespace

BENCHMARK(BM_ChangedOnlyPlan_OneOf1000Edited)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChangedOnlyPlan_OneOf1000Edited_AllTimesMoved)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
