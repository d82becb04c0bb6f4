#include "settings/settings_files.h"

#include "store/paths.h"
#include "store/textfile.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace tsuzuri {

namespace {

// A line carries a tag when the tag occurs anywhere in it; its value is everything from the sixth
// character on, wherever the tag stood. These quirks are the files' format: hand-edited files rely on them.
QString valueOf(QStringView line) {
    return line.size() > 5 ? line.sliced(5).toString() : QString();
}

// A check-box value: a whole number 0..2, as the check boxes hold them.
std::optional<int> checkValue(QStringView value) {
    const QString v = value.trimmed().toString();
    bool ok = false;
    const int n = v.toInt(&ok);
    if (!ok || n < 0 || n > 2)
        return std::nullopt;
    return n;
}

using Lines = QList<QStringView>;

struct Tagged {
    QStringView tag;
    bool isCheck;
};

// Walks the lines; for each, the first tag (in table order) it holds decides. Returns false on a bad
// check-box value or a value apply refuses, having applied every line before it.
template <size_t N, typename Apply> bool walk(const QString& text, const std::array<Tagged, N>& tags, Apply&& apply) {
    for (QStringView line : textfile::splitLines(text)) {
        for (size_t t = 0; t < N; ++t) {
            if (!line.contains(tags[t].tag))
                continue;
            const QString value = valueOf(line);
            if (tags[t].isCheck) {
                const std::optional<int> n = checkValue(value);
                if (!n || !apply(t, QString(), *n))
                    return false;
            } else if (!apply(t, value, 0)) {
                return false;
            }
            break;
        }
    }
    return true;
}

std::optional<QByteArray> renderLines(const QList<std::pair<QString, QString>>& lines, Outcome* why) {
    QString text;
    for (const auto& [caption, line] : lines) {
        if (line.contains(u'\r') || line.contains(u'\n')) {
            if (why)
                *why = Outcome::failure(Msg::LineBreakInSetting, {caption});
            return std::nullopt;
        }
        if (!textfile::canEncode(line)) {
            if (why)
                *why = Outcome::failure(Msg::CannotEncode, {caption});
            return std::nullopt;
        }
        text += line;
        text += textfile::kCrLf;
    }
    return textfile::encodeStrict(text);
}

std::optional<QByteArray> readIfFile(const QString& path) {
    return textfile::readRegularFile(path);
}

Outcome ensureIniFolder(const QString& home) {
    const QString dir = paths::iniFolder(home);
    if (QFileInfo(dir).isDir() || QDir().mkpath(dir))
        return Outcome::success();
    return Outcome::failure(Msg::FolderCreateFailed, {QDir::toNativeSeparators(dir)});
}

} // namespace

QString protocolName(Protocol p) {
    switch (p) {
    case Protocol::Ftp:
        return u"FTP"_s;
    case Protocol::Ftps:
        return u"FTPS"_s;
    case Protocol::Sftp:
        return u"SFTP"_s;
    }
    return {};
}

std::optional<Protocol> protocolFromName(QStringView name) {
    for (const Protocol p : {Protocol::Ftp, Protocol::Ftps, Protocol::Sftp}) {
        if (name.trimmed().compare(protocolName(p), Qt::CaseInsensitive) == 0)
            return p;
    }
    return std::nullopt;
}

ConnectionSettingsRead parseConnectionSettings(QByteArrayView bytes) {
    static constexpr std::array<Tagged, 7> tags{{{u"[FTP]", false},
                                                 {u"[UID]", false},
                                                 {u"[PSW]", false},
                                                 {u"[DIR]", false},
                                                 {u"[CHK]", true},
                                                 {u"[PRT]", false},
                                                 {u"[POR]", false}}};
    ConnectionSettingsRead r;
    r.exists = true;
    r.protocol = Protocol::Ftp;
    r.port = QString();
    const QString text = textfile::decode(bytes);
    bool unknownProtocol = false;
    r.failed = !walk(text, tags, [&](size_t t, const QString& v, int n) {
        switch (t) {
        case 0:
            r.host = v;
            break;
        case 1:
            r.user = v;
            break;
        case 2:
            r.password = v;
            break;
        case 3:
            r.remoteDir = v;
            break;
        case 4:
            r.deleteAfterUpload = n;
            break;
        case 5:
            r.protocol = protocolFromName(v);
            unknownProtocol = !r.protocol;
            break;
        default:
            r.port = v.trimmed();
            break;
        }
        return !unknownProtocol;
    });
    return r;
}

SizeSettingsRead parseSizeSettings(QByteArrayView bytes) {
    static constexpr std::array<Tagged, 6> tags{{{u"[imw]", false},
                                                 {u"[imh]", false},
                                                 {u"[mow]", false},
                                                 {u"[moh]", false},
                                                 {u"[chk]", true},
                                                 {u"[hol]", true}}};
    SizeSettingsRead r;
    r.exists = true;
    const QString text = textfile::decode(bytes);
    r.failed = !walk(text, tags, [&](size_t t, const QString& v, int n) {
        switch (t) {
        case 0:
            r.imageWidth = v;
            break;
        case 1:
            r.imageHeight = v;
            break;
        case 2:
            r.videoWidth = v;
            break;
        case 3:
            r.videoHeight = v;
            break;
        case 4:
            r.originalSize = n;
            break;
        default:
            r.holidays = n == 0 ? HolidayRules::Classic : HolidayRules::Law;
            break;
        }
        return true;
    });
    return r;
}

std::optional<QByteArray> renderConnectionSettings(const ConnectionSettings& s, Outcome* why) {
    QList<std::pair<QString, QString>> lines{{u"接続先"_s, u"[FTP]"_s + s.host},
                                             {u"ユーザーID"_s, u"[UID]"_s + s.user},
                                             {u"パスワード"_s, u"[PSW]"_s + s.password},
                                             {u"アップロード先"_s, u"[DIR]"_s + s.remoteDir},
                                             {QString(), u"[CHK]"_s + QString::number(s.deleteAfterUpload)}};
    // Plain FTP on the usual port keeps the five lines every version reads.
    if (s.protocol != Protocol::Ftp)
        lines.append({QString(), u"[PRT]"_s + protocolName(s.protocol)});
    if (!s.port.isEmpty())
        lines.append({u"ポート"_s, u"[POR]"_s + s.port});
    return renderLines(lines, why);
}

SizeSettings defaultSizes() {
    SizeSettings s;
    s.imageWidth = u"320"_s;
    s.imageHeight = u"240"_s;
    s.videoWidth = u"320"_s;
    s.videoHeight = u"256"_s;
    return s;
}

Outcome checkSizes(SizeSettings& s) {
    const std::pair<QString*, QString> sizes[] = {{&s.imageWidth, u"画像サイズの横幅"_s},
                                                  {&s.imageHeight, u"画像サイズの縦幅"_s},
                                                  {&s.videoWidth, u"動画サイズの横幅"_s},
                                                  {&s.videoHeight, u"動画サイズの縦幅"_s}};
    for (const auto& [size, box] : sizes) {
        const QString digits = size->normalized(QString::NormalizationForm_KC).trimmed();
        bool number = !digits.isEmpty();
        for (const QChar c : digits)
            number = number && c >= u'0' && c <= u'9';
        if (!number || digits.toLongLong() <= 0)
            return Outcome::failure(Msg::SizeNotNumber, {box});
        *size = digits;
    }
    return Outcome::success();
}

std::optional<QByteArray> renderSizeSettings(const SizeSettings& s, Outcome* why) {
    QList<std::pair<QString, QString>> lines{{u"画像サイズの横幅"_s, u"[imw]"_s + s.imageWidth},
                                             {u"画像サイズの縦幅"_s, u"[imh]"_s + s.imageHeight},
                                             {u"動画サイズの横幅"_s, u"[mow]"_s + s.videoWidth},
                                             {u"動画サイズの縦幅"_s, u"[moh]"_s + s.videoHeight},
                                             {QString(), u"[chk]"_s + QString::number(s.originalSize)}};
    // A folder on the law keeps the five-line file that every version reads.
    if (s.holidays == HolidayRules::Classic)
        lines.append({QString(), u"[hol]0"_s});
    return renderLines(lines, why);
}

ConnectionSettingsRead readConnectionSettings(const QString& home, const QString& folder) {
    const std::optional<QByteArray> bytes = readIfFile(paths::connectionIni(home, folder));
    if (!bytes)
        return {};
    return parseConnectionSettings(*bytes);
}

SizeSettingsRead readSizeSettings(const QString& home, const QString& folder) {
    const std::optional<QByteArray> bytes = readIfFile(paths::sizeIni(home, folder));
    if (!bytes)
        return {};
    return parseSizeSettings(*bytes);
}

Outcome writeConnectionSettings(const QString& home, const QString& folder, const ConnectionSettings& s) {
    Outcome why;
    const std::optional<QByteArray> bytes = renderConnectionSettings(s, &why);
    if (!bytes)
        return why;
    if (Outcome o = ensureIniFolder(home); !o.ok())
        return o;
    // It holds the FTP password in plain text: keep it to its owner.
    return textfile::writeFileAtomically(paths::connectionIni(home, folder), *bytes,
                                         QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

Outcome writeSizeSettings(const QString& home, const QString& folder, const SizeSettings& s) {
    Outcome why;
    const std::optional<QByteArray> bytes = renderSizeSettings(s, &why);
    if (!bytes)
        return why;
    if (Outcome o = ensureIniFolder(home); !o.ok())
        return o;
    return textfile::writeFileAtomically(paths::sizeIni(home, folder), *bytes);
}

FdirRead readFdirIni(const QString& home) {
    FdirRead r;
    const std::optional<QByteArray> bytes = readIfFile(paths::fdirIni(home));
    if (!bytes)
        return r;
    r.exists = true;
    const QString text = textfile::decode(*bytes);
    const QList<QStringView> lines = textfile::splitLines(text);
    if (!lines.isEmpty())
        r.folder = lines.last().toString();
    return r;
}

Outcome writeFdirIni(const QString& home, const QString& folder) {
    Outcome why;
    const std::optional<QByteArray> bytes = renderLines({{u"日記フォルダ名"_s, folder}}, &why);
    if (!bytes)
        return why;
    if (Outcome o = ensureIniFolder(home); !o.ok())
        return o;
    return textfile::writeFileAtomically(paths::fdirIni(home), *bytes);
}

} // namespace tsuzuri
