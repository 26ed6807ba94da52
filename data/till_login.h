#pragma once

#include <QString>

namespace tillora {

class ODBCDB;

// Every till of a shop on a server shares one settings row, so there the direct login (the
// 下次直接登录 tick and the user it logs in) belongs to the till: it is kept in
// tillora-login.conf beside tillora.conf, in the program folder (the current folder while the
// program runs). A till on its own file keeps both in the settings row as before.
struct TillLogin {
    bool direct = false;
    QString user;
};

// True when db is connected to a database server rather than the embedded file.
bool isServerDatabase(const ODBCDB& db);

QString tillLoginPath();
// What the file says; a missing or unreadable file is "no direct login".
TillLogin readTillLogin();
// Why the file can't be used, for the cashier (a folder in its place, a file that can't be read);
// empty when it can, or is not there yet.
QString tillLoginProblem();
// Replaces the file whole (owner read/write only); false when it could not be written.
bool writeTillLogin(const TillLogin& login);

}  // namespace tillora
