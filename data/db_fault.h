#pragma once

namespace tillora {

// Why the last database operation failed, as far as the engine tells it. The program names the
// cause to the cashier; it never changes what the operation returned.
enum class DbFault {
    None,
    Locked,        // another program holds the file; trying again later may work
    ReadOnly,      // the file or its folder can't be written
    DiskFull,      // no room for the change
    Damaged,       // the file is malformed
    NotADatabase,  // the file is no database at all (or was never written)
    Missing,       // no file to open
    Duplicate,     // a value that must be unique is already stored
    // The database server can't be reached, or the connection to it was lost.
    Unreachable,
    // The server refused the user name or password.
    LoginRefused,
    // The server has no database of that name.
    NoSuchDatabase,
    // The library that talks to the server isn't installed on this computer.
    NoClientLibrary,
    // A commit went out and its answer was lost (the connection broke, or the file failed
    // between writing and confirming): only reading the data again tells whether it took.
    CommitUnknown,
    Other,
};

}  // namespace tillora
