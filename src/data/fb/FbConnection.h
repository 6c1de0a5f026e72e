#pragma once

// A connection to a Firebird database: a plain path opens the file through the
// embedded engine, "host:path" goes through a server. Text travels as UTF-8.
//
// The connection owns its attachment and can be moved, never copied. Statements
// and transactions refer to the connection object: move it before they are made.
#include "data/fb/FbOwners.h"

#include <string>

namespace Firebird {
class IAttachment;
}

namespace qorita::fb {

struct TFbConnectionOptions {
    std::string UserName = "SYSDBA";
    std::string Password;
};

class TFbConnection {
public:
    TFbConnection();
    // Detaches an open database; never throws.
    ~TFbConnection();
    TFbConnection(TFbConnection&& AOther) noexcept;
    TFbConnection& operator=(TFbConnection&& AOther) noexcept;

    void Open(const std::string& ALocation, const TFbConnectionOptions& AOptions);
    // Creates a new database (character set UTF8) and keeps it open.
    void Create(const std::string& ALocation, const TFbConnectionOptions& AOptions);
    // A failed detach still lets go of the attachment, then reports the error.
    void Close();
    // Drops the open database: used by tests to remove their files.
    void Drop();
    bool IsOpen() const { return FAttachment != nullptr; }
    const std::string& Location() const { return FLocation; }

    Firebird::IAttachment* Handle() const;

private:
    std::string FLocation;
    TRef<Firebird::IAttachment> FAttachment;
};

// Ends the client library's own threads and connections in an orderly way, and
// has the embedded engine write what it still holds. After a connection through
// a server it waits about 50 ms for the client's network threads, as the
// library's exit handlers would: a process with everything detached may leave
// without it (app/ProcessEnd.h).
void ShutdownClient();

}  // namespace qorita::fb
