#pragma once

// The server's client library, loaded on the first connection to a server. A till on its own
// file never loads it, so neither it nor what it brings along (TLS, Kerberos, LDAP) costs the
// start of the program anything.
#include <libpq-fe.h>

namespace tillora {

#define TILLORA_LIBPQ_FUNCTIONS(X) \
    X(PQconninfoParse)             \
    X(PQconninfoFree)              \
    X(PQconnectStartParams)        \
    X(PQconnectPoll)               \
    X(PQconnectionNeedsPassword)   \
    X(PQstatus)                    \
    X(PQerrorMessage)              \
    X(PQsetNoticeProcessor)        \
    X(PQfinish)                    \
    X(PQexec)                      \
    X(PQexecParams)                \
    X(PQsendQueryParams)           \
    X(PQsetnonblocking)            \
    X(PQflush)                     \
    X(PQsocket)                    \
    X(PQconsumeInput)              \
    X(PQisBusy)                    \
    X(PQgetResult)                 \
    X(PQgetCancel)                 \
    X(PQcancel)                    \
    X(PQfreeCancel)                \
    X(PQresultStatus)              \
    X(PQresultErrorField)          \
    X(PQcmdStatus)                 \
    X(PQntuples)                   \
    X(PQnfields)                   \
    X(PQfname)                     \
    X(PQftype)                     \
    X(PQftable)                    \
    X(PQftablecol)                 \
    X(PQgetvalue)                  \
    X(PQgetlength)                 \
    X(PQgetisnull)                 \
    X(PQunescapeBytea)             \
    X(PQfreemem)                   \
    X(PQclear)

struct Libpq {
#define TILLORA_LIBPQ_MEMBER(name) decltype(&::name) name = nullptr;
    TILLORA_LIBPQ_FUNCTIONS(TILLORA_LIBPQ_MEMBER)
#undef TILLORA_LIBPQ_MEMBER
};

// The library, loaded once and kept; nullptr when it or one of its functions can't be found.
const Libpq* libpq();

// The file name looked for, for messages.
const char* libpqFileName();

}  // namespace tillora
