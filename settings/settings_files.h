#pragma once

#include "calendar/holidays.h"
#include "store/outcome.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace tsuzuri {

// How the upload reaches the server: plain FTP, FTP with explicit TLS (AUTH TLS, the data channel
// protected too), or SFTP over SSH.
enum class Protocol { Ftp, Ftps, Sftp };

// The FTP connection data of one diary folder (ini/app_<folder>.ini).
struct ConnectionSettings {
    QString host;                      // [FTP]: "host" or "host:port"
    QString user;                      // [UID]
    QString password;                  // [PSW]: empty in the file when the keyring holds it
    QString remoteDir;                 // [DIR]
    int deleteAfterUpload = 0;         // [CHK]: check-box value 0, 1 or 2
    Protocol protocol = Protocol::Ftp; // [PRT]FTPS or [PRT]SFTP; plain FTP writes no line
    QString port = QString();          // [POR]; empty: the port in host, else the protocol's own
};

// The value of a [PRT] line, "FTP", "FTPS" or "SFTP", and back (any case; nothing for another text).
QString protocolName(Protocol p);
std::optional<Protocol> protocolFromName(QStringView name);

// The display sizes of one diary folder (ini/etc_<folder>.ini).
struct SizeSettings {
    QString imageWidth;                        // [imw]
    QString imageHeight;                       // [imh]
    QString videoWidth;                        // [mow]
    QString videoHeight;                       // [moh]
    int originalSize = 0;                      // [chk]: check-box value 0, 1 or 2
    HolidayRules holidays = HolidayRules::Law; // [hol]0 chooses the classic rules; the law writes no line
};

// The sizes a new diary folder starts with: images 320×240, videos 320×256.
SizeSettings defaultSizes();

// The sizes as the save command takes them: full-width digits become half-width ones, and a size that is
// empty or no positive whole number is refused (SizeNotNumber naming the box), since the page would
// otherwise say width="px".
Outcome checkSizes(SizeSettings& s);

// What reading a settings file found. Only keys the file holds are set; the window keeps the others
// as they are. A failure (a check-box value that is not a whole number 0..2) stops the reading: the keys
// read before it are set, failed is true.
// A protocol the file does not name (a hand-edited "[PRT]FTPES") fails the reading too: falling back to
// plain FTP would send the password in clear to a server the user meant to reach safely.
struct ConnectionSettingsRead {
    bool exists = false;
    bool failed = false;
    std::optional<QString> host, user, password, remoteDir;
    std::optional<int> deleteAfterUpload;
    // Set whenever the file exists: a file without these lines is plain FTP on the usual port.
    std::optional<Protocol> protocol;
    std::optional<QString> port;
};
struct SizeSettingsRead {
    bool exists = false;
    bool failed = false;
    std::optional<QString> imageWidth, imageHeight, videoWidth, videoHeight;
    std::optional<int> originalSize;
    // Always set: no [hol] line, no file, or any value but 0 (earlier versions wrote [hol]1) means the law.
    std::optional<HolidayRules> holidays = HolidayRules::Law;
};

// Parsing and rendering, without the disk.
ConnectionSettingsRead parseConnectionSettings(QByteArrayView bytes);
SizeSettingsRead parseSizeSettings(QByteArrayView bytes);
// Nothing (and the outcome) when a value holds a line break or a character code page 932 cannot hold.
std::optional<QByteArray> renderConnectionSettings(const ConnectionSettings& s, Outcome* why = nullptr);
std::optional<QByteArray> renderSizeSettings(const SizeSettings& s, Outcome* why = nullptr);

// The files themselves. Writing creates ini/ when missing and replaces the file atomically; the
// connection file, which holds a password, is readable and writable by its owner only.
ConnectionSettingsRead readConnectionSettings(const QString& home, const QString& folder);
SizeSettingsRead readSizeSettings(const QString& home, const QString& folder);
Outcome writeConnectionSettings(const QString& home, const QString& folder, const ConnectionSettings& s);
Outcome writeSizeSettings(const QString& home, const QString& folder, const SizeSettings& s);

// fdir.ini: nothing when the file is missing or unreadable; otherwise its last line, or nothing inside
// when the file holds no line (the caller keeps its default, "diary").
struct FdirRead {
    bool exists = false;
    std::optional<QString> folder;
};
FdirRead readFdirIni(const QString& home);
Outcome writeFdirIni(const QString& home, const QString& folder);

} // namespace tsuzuri
