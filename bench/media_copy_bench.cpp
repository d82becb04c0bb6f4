#include "media/media_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;
using namespace tsuzuri;

namespace {

// A video-sized file of varied bytes (a file of zeros might be copied sparsely).
struct Video {
    QTemporaryDir dir;
    QString path = dir.path() + u"/movie.mp4"_s;
    qint64 size;
    explicit Video(qint64 bytes) : size(bytes) {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return;
        QByteArray block(1024 * 1024, '\0');
        for (int i = 0; i < block.size(); ++i)
            block[i] = char((i * 131) ^ (i >> 7));
        for (qint64 done = 0; done < bytes; done += block.size())
            f.write(block.constData(), std::min<qint64>(block.size(), bytes - done));
    }
};

constexpr qint64 kVideo = 64 * 1024 * 1024;

// The window handles its events between chunks: the chunk size bounds how long it goes without.
void BM_CopyReplacingByChunkSize(benchmark::State& state) {
    Video video(kVideo);
    const QString destination = video.dir.path() + u"/image.mp4"_s;
    media::CopyOptions options;
    options.chunkSize = state.range(0);
    int chunks = 0;
    options.progress = [&](qint64, qint64) { ++chunks; };
    for (auto _ : state) {
        if (media::copyReplacing(video.path, destination, options).status != media::CopyStatus::Copied)
            state.SkipWithError("copy failed");
    }
    state.SetBytesProcessed(state.iterations() * kVideo);
    state.counters["chunks"] = benchmark::Counter(chunks, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_CopyReplacingByChunkSize)->Arg(64 << 10)->Arg(256 << 10)->Arg(1 << 20)->Arg(4 << 20)->Unit(benchmark::kMillisecond);

// For comparison: Qt's own whole-file copy, which cannot show progress or be cancelled.
void BM_QFileCopy(benchmark::State& state) {
    Video video(kVideo);
    const QString destination = video.dir.path() + u"/image.mp4"_s;
    for (auto _ : state) {
        QFile::remove(destination);
        if (!QFile::copy(video.path, destination))
            state.SkipWithError("copy failed");
    }
    state.SetBytesProcessed(state.iterations() * kVideo);
}
BENCHMARK(BM_QFileCopy)->Unit(benchmark::kMillisecond);

// The check before asking to replace: two equal videos are read whole.
void BM_CompareIdenticalVideos(benchmark::State& state) {
    Video video(kVideo);
    const QString destination = video.dir.path() + u"/image.mp4"_s;
    QFile::copy(video.path, destination);
    for (auto _ : state) {
        if (media::compareWithExisting(video.path, destination) != media::Existing::Identical)
            state.SkipWithError("not identical");
    }
    state.SetBytesProcessed(state.iterations() * kVideo * 2);
}
BENCHMARK(BM_CompareIdenticalVideos)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
