#include "upload/curl_ftp_client.h"

#include "store/outcome.h"
#include "store/textfile.h"
#include "upload/server_address.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

#include <curl/curl.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

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

// Server replies are ASCII apart from the names they quote, which come in whichever encoding is in use.
QString decodeReply(const QByteArray& line) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    QString s = utf8.decode(line);
    if (!utf8.hasError())
        return s;
    return textfile::decode(line);
}

int replyCode(const QByteArray& line) {
    if (line.size() < 3 || !std::isdigit(uchar(line[0])) || !std::isdigit(uchar(line[1])) ||
        !std::isdigit(uchar(line[2])))
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

// The key type an SSH key blob names in its first field ("ssh-ed25519", "ecdsa-sha2-nistp256", …).
QString sshKeyType(const QByteArray& blob) {
    if (blob.size() < 4)
        return {};
    const quint32 n = (quint32(uchar(blob[0])) << 24) | (quint32(uchar(blob[1])) << 16) |
                      (quint32(uchar(blob[2])) << 8) | quint32(uchar(blob[3]));
    return n > quint32(blob.size() - 4) ? QString() : QString::fromLatin1(blob.mid(4, qsizetype(n)));
}

// A key as libcurl hands it over: raw bytes with their length, or base64 text when the length is 0.
QByteArray keyBytes(const curl_khkey& k) {
    return k.len ? QByteArray(k.key, qsizetype(k.len)) : QByteArray::fromBase64(QByteArray(k.key));
}

QByteArray derOf(X509* cert) {
    unsigned char* buffer = nullptr;
    const int n = i2d_X509(cert, &buffer);
    QByteArray der = n > 0 ? QByteArray(reinterpret_cast<const char*>(buffer), n) : QByteArray();
    OPENSSL_free(buffer);
    return der;
}

} // namespace

struct CurlFtpSession::Impl {
    // One multi handle holds the connection between requests; the easy handle is added for each one.
    CURLM* m = nullptr;
    CURL* h = nullptr;
    std::mutex wakeMutex; // cancel() may wake the multi handle from another thread
    QByteArray base;      // "ftp://host:port/", "sftp://host:port/~/"
    bool utf8 = false;
    bool sftp = false;

    // Trust. What the server showed when it was not trusted, and whether it had been trusted before
    // with another key (then it is only refused, never offered for trust).
    ServerLogin server;
    ServerAddress address;
    QList<QByteArray> pinned; // FTPS: the certificates the user trusted for this host and port
    std::optional<ServerIdentity> shown;
    QString trustedBefore; // the fingerprint of the key or certificate it changed from
    // OpenSSL's SHA-256 rather than Qt's: several times faster, and it runs on every byte sent.
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> digest{EVP_MD_CTX_new(), &EVP_MD_CTX_free};
    QByteArray lastDigest;
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
        // What goes out is what the record of arrivals keeps, not what the file holds by the time it ends.
        EVP_DigestUpdate(d->digest.get(), buffer, size_t(got));
        return size_t(got);
    }

    // Every TLS connection of the session (the control one and each data one) checks the certificate
    // here, inside the handshake: the system's store and the host name, else what the user trusted.
    // libcurl's own checks are off so that this one decides.
    static CURLcode onSslContext(CURL*, void* context, void* self) {
        SSL_CTX* ctx = static_cast<SSL_CTX*>(context);
        // The hashed folder is read lazily, certificate by certificate; the bundle file would be parsed
        // whole for every data connection.
        if (X509_LOOKUP* dir = X509_STORE_add_lookup(SSL_CTX_get_cert_store(ctx), X509_LOOKUP_hash_dir()))
            X509_LOOKUP_add_dir(dir, X509_get_default_cert_dir(), X509_FILETYPE_PEM);
        SSL_CTX_set_verify(ctx, SSL_VERIFY_PEER, nullptr);
        SSL_CTX_set_cert_verify_callback(ctx, &Impl::onCertificate, self);
        return CURLE_OK;
    }

    static int onCertificate(X509_STORE_CTX* store, void* self) {
        Impl* d = static_cast<Impl*>(self);
        X509* leaf = X509_STORE_CTX_get0_cert(store);
        if (!leaf)
            return 0;
        QByteArray host = d->address.host.toUtf8();
        if (host.startsWith('['))
            host = host.mid(1, host.size() - 2);
        const bool namesHost = X509_check_ip_asc(leaf, host.constData(), 0) == 1 ||
                               X509_check_host(leaf, host.constData(), size_t(host.size()), 0, nullptr) == 1;
        if (X509_verify_cert(store) == 1 && namesHost)
            return 1;
        const QByteArray der = derOf(leaf);
        if (d->pinned.contains(der))
            return 1;
        d->shown = ServerIdentity{Protocol::Ftps, d->address.host, d->address.port, {}, der};
        if (!d->pinned.isEmpty())
            d->trustedBefore = certificateFingerprint(d->pinned.last());
        return 0;
    }

    static int onHostKey(CURL*, const curl_khkey* known, const curl_khkey* found, curl_khmatch match, void* self) {
        Impl* d = static_cast<Impl*>(self);
        if (match == CURLKHMATCH_OK)
            return CURLKHSTAT_FINE;
        const QByteArray key = keyBytes(*found);
        d->shown = ServerIdentity{Protocol::Sftp, d->address.host, d->address.port, sshKeyType(key), key};
        if (match == CURLKHMATCH_MISMATCH)
            d->trustedBefore = known ? sshFingerprint(keyBytes(*known)) : QStringLiteral("?");
        return CURLKHSTAT_REJECT;
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
        curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, sftp ? "sftp" : "ftp");
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

    CURLcode setTls() {
        curl_easy_setopt(h, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
        curl_easy_setopt(h, CURLOPT_FTPSSLAUTH, long(CURLFTPAUTH_TLS));
        curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 0L);
        curl_easy_setopt(h, CURLOPT_CAINFO, nullptr);
        curl_easy_setopt(h, CURLOPT_CAPATH, nullptr);
        curl_easy_setopt(h, CURLOPT_SSL_CTX_DATA, this);
        // Only an OpenSSL build can check certificates this way; any other must not connect at all.
        return curl_easy_setopt(h, CURLOPT_SSL_CTX_FUNCTION, &Impl::onSslContext);
    }

    void setSsh() {
        curl_easy_setopt(h, CURLOPT_SSH_AUTH_TYPES, long(CURLSSH_AUTH_PASSWORD | CURLSSH_AUTH_KEYBOARD));
        const QByteArray knownHosts = QFile::encodeName(knownHostsFile(server.home));
        curl_easy_setopt(h, CURLOPT_SSH_KNOWNHOSTS, knownHosts.constData());
        curl_easy_setopt(h, CURLOPT_SSH_KEYFUNCTION, &Impl::onHostKey);
        curl_easy_setopt(h, CURLOPT_SSH_KEYDATA, this);
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
        curl_easy_setopt(h, CURLOPT_INFILESIZE_LARGE,
                         kind == Request::Upload ? curl_off_t(file->size()) : curl_off_t(-1));
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

    bool fail(CURLcode rc) {
        if (shown && !trustedBefore.isEmpty()) {
            const QString file =
                QDir::toNativeSeparators(sftp ? knownHostsFile(server.home) : trustedCertificatesFile(server.home));
            const Msg m = sftp ? Msg::HostKeyChanged : Msg::CertificateChanged;
            return fail(Outcome::failure(m, {shown->shownHost(), trustedBefore, shown->fingerprint(), file}));
        }
        if (shown)
            return fail(Outcome::failure(sftp ? Msg::HostKeyNotTrusted : Msg::CertificateNotTrusted,
                                         {shown->shownHost(), shown->fingerprint()}));
        if (rc == CURLE_USE_SSL_FAILED)
            return fail(Outcome::failure(Msg::UploadTlsRefused, {server.host}));
        return fail(failureText(rc));
    }

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
    // stands, so a leading "/" must survive as "%2F" rather than be taken for the separator. Over SFTP
    // every path lies below the login directory, which the base ends in.
    QByteArray urlOf(const QByteArray& wire) const {
        QByteArray p = wire.toPercentEncoding("/");
        if (sftp) {
            while (p.startsWith('/'))
                p = p.mid(1);
        } else if (p.startsWith('/')) {
            p = "%2F" + p.mid(1);
        }
        return base + p;
    }

    // An SFTP path for a quote command: below the login directory, in double quotes with \ and \"
    // escaped, as libcurl reads them.
    static QByteArray quotedPath(QByteArray wire) {
        while (wire.startsWith('/'))
            wire = wire.mid(1);
        wire.replace("\\", "\\\\");
        wire.replace("\"", "\\\"");
        return '"' + wire + '"';
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

CurlFtpSession::CurlFtpSession() : d(std::make_unique<Impl>()) {
    initCurlOnce();
}

CurlFtpSession::~CurlFtpSession() {
    d->close();
}

bool CurlFtpSession::utf8() const {
    return d->utf8;
}

Outcome CurlFtpSession::failure() const {
    return d->failure;
}

void CurlFtpSession::cancel() {
    d->cancelled = true;
    d->wake(); // out of its poll now, not at the next second
}

void CurlFtpSession::abandon() {
    d->close();
}

std::optional<ServerIdentity> CurlFtpSession::untrustedServer() const {
    // A key that changed since it was trusted is refused only; it is never offered for trust.
    return d->trustedBefore.isEmpty() ? d->shown : std::nullopt;
}

QByteArray CurlFtpSession::sentDigest() const {
    return d->lastDigest;
}

bool CurlFtpSession::login(const ServerLogin& login) {
    d->close();
    d->utf8 = false;
    d->shown.reset();
    d->trustedBefore.clear();
    d->server = login;
    d->sftp = login.protocol == Protocol::Sftp;
    if (hasControl(login.user) || hasControl(login.password))
        return d->fail(Outcome::failure(Msg::UploadBadLogin));
    Outcome why;
    const std::optional<ServerAddress> address =
        hasControl(login.host) ? std::nullopt
                               : serverAddress({login.host, {}, {}, {}, 0, login.protocol, login.port}, &why);
    if (!address)
        return d->fail(why.ok() ? Outcome::failure(Msg::UploadBadHost, {login.host}) : why);
    d->address = *address;

    // libcurl judges the host name (no "/", "@", spaces …) so nothing typed can reshape the address.
    CURLU* u = curl_url();
    char* url = nullptr;
    const bool hostOk =
        curl_url_set(u, CURLUPART_SCHEME, d->sftp ? "sftp" : "ftp", 0) == CURLUE_OK &&
        curl_url_set(u, CURLUPART_HOST, address->host.toUtf8().constData(), 0) == CURLUE_OK &&
        curl_url_set(u, CURLUPART_PORT, QByteArray::number(address->port).constData(), 0) == CURLUE_OK &&
        curl_url_get(u, CURLUPART_URL, &url, 0) == CURLUE_OK;
    if (hostOk)
        d->base = url;
    curl_free(url);
    curl_url_cleanup(u);
    if (!hostOk)
        return d->fail(Outcome::failure(Msg::UploadBadHost, {login.host}));
    if (!d->base.endsWith('/'))
        d->base += '/';
    if (d->sftp)
        d->base += "~/";

    {
        std::lock_guard lock(d->wakeMutex);
        d->m = curl_multi_init();
        d->h = curl_easy_init();
    }
    if (!d->h || !d->m)
        return d->fail(QString::fromUtf8(curl_easy_strerror(CURLE_FAILED_INIT)));
    d->setCommon();
    if (d->sftp) {
        d->setSsh();
    } else if (login.protocol == Protocol::Ftps) {
        d->pinned = trustedCertificates(login.home, address->host, address->port);
        if (const CURLcode rc = d->setTls(); rc != CURLE_OK)
            return d->fail(rc);
    }
    // The names are not known to the server's encoding yet; code page 932 is what such servers expect
    // from this program, and ASCII is the same in both. SSH speaks UTF-8.
    const auto credential = [&](const QString& s) {
        return d->sftp ? s.toUtf8() : textfile::encodeStrict(s).value_or(s.toUtf8());
    };
    if (!login.user.isEmpty()) {
        curl_easy_setopt(d->h, CURLOPT_USERNAME, credential(login.user).constData());
        curl_easy_setopt(d->h, CURLOPT_PASSWORD, credential(login.password).constData());
    }

    if (d->sftp) {
        // The first request connects, checks the host key and logs in; it asks for nothing more.
        SList pwd{"pwd"};
        if (const CURLcode rc = d->perform(d->base, Impl::Request::Command, pwd.list); rc != CURLE_OK)
            return d->fail(rc);
        d->utf8 = true;
        return true;
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
        d->close(); // libcurl says QUIT (or closes the SSH channel) and waits for the goodbye
        return true;
    }
    if (!d->h)
        return d->fail(QString::fromUtf8(curl_easy_strerror(CURLE_FAILED_INIT)));
    const std::optional<QByteArray> wire = d->wireName(command.remotePath);
    if (!wire)
        return d->fail(Outcome::failure(Msg::UploadNameNotEncodable, {command.remotePath}));

    if (command.kind == Command::Kind::MakeDir && d->sftp) {
        // SFTP quotes give no reply to judge: made or already there, the directory must list.
        SList mkdir{"*mkdir " + Impl::quotedPath(*wire)};
        if (const CURLcode rc = d->perform(d->base, Impl::Request::Command, mkdir.list); rc != CURLE_OK)
            return d->fail(rc);
        if (const CURLcode rc = d->perform(d->urlOf(*wire + '/'), Impl::Request::Listing); rc != CURLE_OK)
            return d->fail(rc);
        return true;
    }
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
    EVP_DigestInit_ex(d->digest.get(), EVP_sha256(), nullptr);
    d->lastDigest.clear();
    const CURLcode rc = d->perform(d->urlOf(*wire), Impl::Request::Upload);
    d->file = nullptr;
    d->sent = nullptr;
    if (rc == CURLE_OK) {
        unsigned char md[EVP_MAX_MD_SIZE];
        unsigned int n = 0;
        if (EVP_DigestFinal_ex(d->digest.get(), md, &n) == 1)
            d->lastDigest = QByteArray(reinterpret_cast<const char*>(md), int(n));
        return true;
    }
    if (d->readFailed)
        return d->fail(Outcome::failure(Msg::UploadFileUnreadable, {command.localPath}));
    return d->fail(rc);
}

std::unique_ptr<FtpSession> makeCurlFtpSession() {
    return std::make_unique<CurlFtpSession>();
}

} // namespace tsuzuri::upload
