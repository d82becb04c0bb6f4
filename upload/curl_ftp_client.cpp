#include "upload/curl_ftp_client.h"

#include "store/outcome.h"
#include "store/textfile.h"

#include <QFile>
#include <QStringDecoder>

#include <curl/curl.h>

#include <atomic>
#include <mutex>
#include <optional>

using namespace Qt::StringLiterals;

namespace tsuzuri::upload {

namespace {

constexpr long kTimeoutSeconds = 60;

void initCurlOnce() {
    // Global set-up is not thread-safe on every libcurl build: do it once, from the thread making sessions.
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool hasControl(QStringView s) {
    return std::any_of(s.begin(), s.end(), [](QChar c) { return c == u'\r' || c == u'\n' || c == u'\0'; });
}

struct HostPort {
    QString host; // IPv6 literals in brackets, as addresses want them
    QString port;
};

// "host", "host:port", "[v6]", "[v6]:port"; a bare v6 literal has more than one colon and no port.
std::optional<HostPort> parseHost(const QString& text) {
    const QString t = text.trimmed();
    HostPort hp;
    QString port;
    if (t.startsWith(u'[')) {
        const qsizetype close = t.indexOf(u']');
        if (close < 0)
            return std::nullopt;
        hp.host = t.left(close + 1);
        const QString rest = t.mid(close + 1);
        if (!rest.isEmpty() && !rest.startsWith(u':'))
            return std::nullopt;
        port = rest.mid(1);
    } else if (t.count(u':') == 1) {
        hp.host = t.section(u':', 0, 0);
        port = t.section(u':', 1);
    } else if (t.count(u':') > 1) {
        hp.host = u'[' + t + u']';
    } else {
        hp.host = t;
    }
    if (hp.host.isEmpty() || hp.host == u"[]"_s)
        return std::nullopt;
    if (port.isEmpty()) {
        hp.port = u"21"_s;
    } else {
        bool ok = false;
        const int n = port.toInt(&ok);
        if (!ok || n < 1 || n > 65535 || !std::all_of(port.begin(), port.end(), [](QChar c) { return c.isDigit(); }))
            return std::nullopt;
        hp.port = QString::number(n);
    }
    return hp;
}

// Server replies are ASCII apart from the names they quote, which come in whichever encoding is in use.
QString decodeReply(const QByteArray& line) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    QString s = utf8.decode(line);
    if (!utf8.hasError())
        return s;
    return textfile::decode(line);
}

int replyCode(const QByteArray& line) {
    if (line.size() < 3 || !std::isdigit(uchar(line[0])) || !std::isdigit(uchar(line[1])) || !std::isdigit(uchar(line[2])))
        return 0;
    return line.left(3).toInt();
}

struct SList {
    curl_slist* list = nullptr;
    explicit SList(std::initializer_list<QByteArray> items) {
        for (const QByteArray& i : items)
            list = curl_slist_append(list, i.constData());
    }
    ~SList() { curl_slist_free_all(list); }
    SList(const SList&) = delete;
    SList& operator=(const SList&) = delete;
};

} // namespace

struct CurlFtpSession::Impl {
    // One multi handle holds the connection between requests; the easy handle is added for each one.
    CURLM* m = nullptr;
    CURL* h = nullptr;
    std::mutex wakeMutex; // cancel() may wake the multi handle from another thread
    QByteArray base; // "ftp://host:port/"
    bool utf8 = false;
    std::atomic<bool> cancelled{false};
    Outcome failure;
    char errors[CURL_ERROR_SIZE] = {};

    // Per request.
    QList<QByteArray> replies;
    const SentBytes* sent = nullptr;
    QFile* file = nullptr;
    bool readFailed = false;
    bool passiveReply = false;

    static size_t onHeader(char* data, size_t size, size_t n, void* self) {
        // For FTP every reply line of the server comes here, one call per line.
        QByteArray line(data, qsizetype(size * n));
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        Impl* d = static_cast<Impl*>(self);
        if (line.startsWith("227 ") || line.startsWith("229 "))
            d->passiveReply = true;
        d->replies << line;
        return size * n;
    }

    static size_t onRead(char* buffer, size_t size, size_t n, void* self) {
        Impl* d = static_cast<Impl*>(self);
        const qint64 got = d->file->read(buffer, qint64(size * n));
        if (got < 0) {
            d->readFailed = true;
            return CURL_READFUNC_ABORT;
        }
        return size_t(got);
    }

    static size_t onListing(char*, size_t size, size_t n, void*) { return size * n; }

    static int onProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t sentNow) {
        Impl* d = static_cast<Impl*>(self);
        if (d->cancelled)
            return 1;
        if (d->sent && *d->sent)
            (*d->sent)(qint64(sentNow));
        return 0;
    }

    void setCommon() {
        curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "ftp");
        curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errors);
        curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &Impl::onHeader);
        curl_easy_setopt(h, CURLOPT_HEADERDATA, this);
        curl_easy_setopt(h, CURLOPT_READFUNCTION, &Impl::onRead);
        curl_easy_setopt(h, CURLOPT_READDATA, this);
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &Impl::onListing);
        curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &Impl::onProgress);
        curl_easy_setopt(h, CURLOPT_XFERINFODATA, this);
        curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, kTimeoutSeconds);
        curl_easy_setopt(h, CURLOPT_SERVER_RESPONSE_TIMEOUT, kTimeoutSeconds);
        curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, kTimeoutSeconds);
        // Passive (EPSV, then PASV) and binary are libcurl's defaults; said here because they matter.
        curl_easy_setopt(h, CURLOPT_FTPPORT, nullptr);
        curl_easy_setopt(h, CURLOPT_TRANSFERTEXT, 0L);
        // Full paths on STOR and no CWD: the control connection stays in the login directory, where
        // the relative paths of an empty base belong and where MKD of the base levels must run.
        curl_easy_setopt(h, CURLOPT_FTP_FILEMETHOD, long(CURLFTPMETHOD_NOCWD));
        // A remote name such as ".." is the user's to choose; libcurl must not fold it away.
        curl_easy_setopt(h, CURLOPT_PATH_AS_IS, 1L);
    }

    enum class Request { Command, Listing, Upload };

    CURLcode perform(const QByteArray& url, Request kind, curl_slist* quote = nullptr) {
        replies.clear();
        errors[0] = '\0';
        readFailed = false;
        curl_easy_setopt(h, CURLOPT_URL, url.constData());
        // UPLOAD before NOBODY: setting the one resets the other inside libcurl.
        curl_easy_setopt(h, CURLOPT_UPLOAD, kind == Request::Upload ? 1L : 0L);
        curl_easy_setopt(h, CURLOPT_NOBODY, kind == Request::Command ? 1L : 0L);
        curl_easy_setopt(h, CURLOPT_QUOTE, quote);
        curl_easy_setopt(h, CURLOPT_INFILESIZE_LARGE, kind == Request::Upload ? curl_off_t(file->size()) : curl_off_t(-1));
        const CURLcode rc = drive();
        curl_easy_setopt(h, CURLOPT_QUOTE, nullptr);
        return rc;
    }

    // curl_easy_perform, but through the multi handle: libcurl 7.88 sometimes reads the passive reply
    // before it has a data socket to wait on, and then sits idle for its full second of polling before
    // it connects; across hundreds of files that was most of the time. Right after a passive reply it is
    // driven again at once instead. Otherwise it waits on its sockets, never spinning.
    CURLcode drive() {
        CURLcode rc = CURLE_FAILED_INIT; // only libcurl's own word makes a request a success
        if (const CURLMcode mc = curl_multi_add_handle(m, h); mc != CURLM_OK)
            return CURLE_FAILED_INIT;
        for (bool done = false; !done;) {
            passiveReply = false;
            int running = 0;
            if (curl_multi_perform(m, &running) != CURLM_OK) {
                rc = CURLE_FAILED_INIT;
                break;
            }
            int queued = 0;
            while (CURLMsg* msg = curl_multi_info_read(m, &queued)) {
                if (msg->msg == CURLMSG_DONE && msg->easy_handle == h) {
                    rc = msg->data.result;
                    done = true;
                }
            }
            if (done || running == 0)
                break;
            if (passiveReply)
                continue;
            curl_multi_poll(m, nullptr, 0, 1000, nullptr);
        }
        curl_multi_remove_handle(m, h);
        return rc;
    }

    // The reply that refused, else libcurl's account (a lost connection, a timeout).
    QString failureText(CURLcode rc) const {
        for (qsizetype i = replies.size() - 1; i >= 0; --i) {
            if (replyCode(replies[i]) >= 400)
                return decodeReply(replies[i]);
        }
        if (errors[0] != '\0')
            return QString::fromUtf8(errors);
        return QString::fromUtf8(curl_easy_strerror(rc));
    }

    // The last line of the first reply of this request: the answer to its quote command.
    QByteArray firstReply() const {
        for (const QByteArray& line : replies) {
            if (replyCode(line) != 0 && (line.size() == 3 || line[3] == ' '))
                return line;
        }
        return {};
    }

    bool fail(CURLcode rc) { return fail(failureText(rc)); }

    // The server's or the library's own words.
    bool fail(const QString& why) { return fail(Outcome::failure(Msg::ErrorWithReason, {why})); }

    bool fail(Outcome why) {
        failure = std::move(why);
        return false;
    }

    std::optional<QByteArray> wireName(const QString& path) const {
        if (hasControl(path))
            return std::nullopt;
        if (utf8)
            return path.toUtf8();
        return textfile::encodeStrict(path);
    }

    // The address of a remote path. With no CWD the whole decoded path goes to the server as it
    // stands, so a leading "/" must survive as "%2F" rather than be taken for the separator.
    QByteArray urlOf(const QByteArray& wire) const {
        QByteArray p = wire.toPercentEncoding("/");
        if (p.startsWith('/'))
            p = "%2F" + p.mid(1);
        return base + p;
    }

    // Ends the connection: libcurl says QUIT when it is still usable and waits for the goodbye.
    void close() {
        std::lock_guard lock(wakeMutex);
        if (h)
            curl_easy_cleanup(h);
        if (m)
            curl_multi_cleanup(m);
        h = nullptr;
        m = nullptr;
    }

    void wake() {
        std::lock_guard lock(wakeMutex);
        if (m)
            curl_multi_wakeup(m);
    }
};

CurlFtpSession::CurlFtpSession() : d(std::make_unique<Impl>()) { initCurlOnce(); }

CurlFtpSession::~CurlFtpSession() { d->close(); }

bool CurlFtpSession::utf8() const { return d->utf8; }

Outcome CurlFtpSession::failure() const { return d->failure; }

void CurlFtpSession::cancel() {
    d->cancelled = true;
    d->wake(); // out of its poll now, not at the next second
}

void CurlFtpSession::abandon() { d->close(); }

bool CurlFtpSession::login(const QString& host, const QString& user, const QString& password) {
    d->close();
    d->utf8 = false;
    if (hasControl(user) || hasControl(password))
        return d->fail(Outcome::failure(Msg::UploadBadLogin));
    const std::optional<HostPort> hp = hasControl(host) ? std::nullopt : parseHost(host);
    if (!hp)
        return d->fail(Outcome::failure(Msg::UploadBadHost, {host}));

    // libcurl judges the host name (no "/", "@", spaces …) so nothing typed can reshape the address.
    CURLU* u = curl_url();
    char* url = nullptr;
    const bool hostOk = curl_url_set(u, CURLUPART_SCHEME, "ftp", 0) == CURLUE_OK &&
                        curl_url_set(u, CURLUPART_HOST, hp->host.toUtf8().constData(), 0) == CURLUE_OK &&
                        curl_url_set(u, CURLUPART_PORT, hp->port.toUtf8().constData(), 0) == CURLUE_OK &&
                        curl_url_get(u, CURLUPART_URL, &url, 0) == CURLUE_OK;
    if (hostOk)
        d->base = url;
    curl_free(url);
    curl_url_cleanup(u);
    if (!hostOk)
        return d->fail(Outcome::failure(Msg::UploadBadHost, {host}));
    if (!d->base.endsWith('/'))
        d->base += '/';

    {
        std::lock_guard lock(d->wakeMutex);
        d->m = curl_multi_init();
        d->h = curl_easy_init();
    }
    if (!d->h || !d->m)
        return d->fail(QString::fromUtf8(curl_easy_strerror(CURLE_FAILED_INIT)));
    d->setCommon();
    // The names are not known to the server's encoding yet; code page 932 is what such servers expect
    // from this program, and ASCII is the same in both.
    const auto credential = [](const QString& s) { return textfile::encodeStrict(s).value_or(s.toUtf8()); };
    if (!user.isEmpty()) {
        curl_easy_setopt(d->h, CURLOPT_USERNAME, credential(user).constData());
        curl_easy_setopt(d->h, CURLOPT_PASSWORD, credential(password).constData());
    }

    // The first request connects and logs in; FEAT tells whether names may travel as UTF-8.
    SList feat{"*FEAT"};
    if (const CURLcode rc = d->perform(d->base, Impl::Request::Command, feat.list); rc != CURLE_OK)
        return d->fail(rc);
    for (const QByteArray& line : std::as_const(d->replies)) {
        if (line.startsWith(' ') && line.trimmed().toUpper() == "UTF8")
            d->utf8 = true;
    }
    if (d->utf8) {
        // Servers that list UTF8 take UTF-8 names whether or not they know this option.
        SList opts{"*OPTS UTF8 ON"};
        if (const CURLcode rc = d->perform(d->base, Impl::Request::Command, opts.list); rc != CURLE_OK)
            return d->fail(rc);
    }
    return true;
}

bool CurlFtpSession::execute(const Command& command, const SentBytes& sent) {
    if (command.kind == Command::Kind::Close)
        return true; // data connections close after each file; the control connection goes with QUIT
    if (command.kind == Command::Kind::Quit) {
        d->close(); // libcurl says QUIT and waits for the goodbye
        return true;
    }
    if (!d->h)
        return d->fail(QString::fromUtf8(curl_easy_strerror(CURLE_FAILED_INIT)));
    const std::optional<QByteArray> wire = d->wireName(command.remotePath);
    if (!wire)
        return d->fail(Outcome::failure(Msg::UploadNameNotEncodable, {command.remotePath}));

    if (command.kind == Command::Kind::MakeDir) {
        // Sent as an optional quote: a refused quote makes libcurl drop the control connection, and
        // a directory that is already there is no failure. Its reply is judged here instead.
        SList mkd{"*MKD " + *wire};
        if (const CURLcode rc = d->perform(d->base, Impl::Request::Command, mkd.list); rc != CURLE_OK)
            return d->fail(rc);
        const QByteArray reply = d->firstReply();
        if (replyCode(reply) >= 200 && replyCode(reply) < 300)
            return true;
        // Refused: fine when the directory is there after all, which a listing of it shows.
        const QString refusal = reply.isEmpty() ? d->failureText(CURLE_QUOTE_ERROR) : decodeReply(reply);
        if (d->perform(d->urlOf(*wire + '/'), Impl::Request::Listing) == CURLE_OK)
            return true;
        return d->fail(refusal);
    }

    QFile file(command.localPath);
    if (!file.open(QIODevice::ReadOnly))
        return d->fail(Outcome::failure(Msg::UploadFileUnreadable, {command.localPath}));
    d->file = &file;
    d->sent = &sent;
    const CURLcode rc = d->perform(d->urlOf(*wire), Impl::Request::Upload);
    d->file = nullptr;
    d->sent = nullptr;
    if (rc == CURLE_OK)
        return true;
    if (d->readFailed)
        return d->fail(Outcome::failure(Msg::UploadFileUnreadable, {command.localPath}));
    return d->fail(rc);
}

std::unique_ptr<FtpSession> makeCurlFtpSession() { return std::make_unique<CurlFtpSession>(); }

} // namespace tsuzuri::upload
