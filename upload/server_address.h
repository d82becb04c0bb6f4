#pragma once

#include "settings/settings_files.h"
#include "store/outcome.h"

#include <QString>

#include <optional>

namespace tsuzuri::upload {

// The port a protocol uses when none is given: 21 for FTP and FTPS (explicit TLS), 22 for SFTP.
int defaultPort(Protocol p);

struct ServerAddress {
    QString host; // IPv6 literals in brackets, as addresses want them
    int port = 0;
};

// Where a connection goes: the host box as "host", "host:port", "[v6]" or "[v6]:port" (a bare IPv6 literal has
// more than one colon and no port), then the port box, which wins when it is filled in, else the
// protocol's own port. Nothing, and why (UploadBadHost, UploadBadPort), when the texts name no server.
std::optional<ServerAddress> serverAddress(const ConnectionSettings& c, Outcome* why = nullptr);

} // namespace tsuzuri::upload
