#include "data/server_config.h"

#include "data/libpq_library.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

#include <algorithm>

namespace tillora {

namespace {

// The client library's connection keywords; it refuses any other.
bool isKeyword(const QString& key) {
    static const QStringList keywords =
        QStringLiteral(
            "host hostaddr port dbname user password passfile require_auth channel_binding "
            "connect_timeout client_encoding options application_name fallback_application_name "
            "keepalives keepalives_idle keepalives_interval keepalives_count tcp_user_timeout "
            "replication gssencmode sslmode sslnegotiation requiressl sslcompression sslcert "
            "sslkey sslkeylogfile sslpassword sslcertmode sslrootcert sslcrl sslcrldir sslsni "
            "requirepeer ssl_min_protocol_version ssl_max_protocol_version min_protocol_version "
            "max_protocol_version krbsrvname gsslib gssdelegation service servicefile "
            "target_session_attrs load_balance_hosts authtype tty scram_client_key "
            "scram_server_key")
            .split(u' ');
    return keywords.contains(key);
}

bool isPassword(const QString& key) {
    return key == QLatin1String("password") || key == QLatin1String("sslpassword");
}

QString expectedForms() {
    return QStringLiteral("应写成 postgresql://用户@主机:端口/数据库 或 host=主机 dbname=数据库");
}

struct Pair {
    QString key;
    QString value;
};

// The "key=value" form as the client library reads it: values may stand between single quotes;
// a backslash takes the next character as it is. problem is empty when the whole string reads.
QList<Pair> readPairs(const QString& text, QString* problem) {
    QList<Pair> pairs;
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skipBlanks = [&] {
        while (i < n && text[i].isSpace()) {
            ++i;
        }
    };
    for (;;) {
        skipBlanks();
        if (i >= n) {
            return pairs;
        }
        const qsizetype keyStart = i;
        while (i < n && !text[i].isSpace() && text[i] != u'=') {
            ++i;
        }
        const QString key = text.mid(keyStart, i - keyStart);
        skipBlanks();
        if (key.isEmpty() || i >= n || text[i] != u'=') {
            *problem = QStringLiteral("第 %1 个参数不是“名称=值”的格式").arg(pairs.size() + 1);
            return pairs;
        }
        ++i;
        skipBlanks();
        QString value;
        if (i < n && text[i] == u'\'') {
            ++i;
            bool closed = false;
            while (i < n) {
                if (text[i] == u'\\' && i + 1 < n) {
                    value += text[i + 1];
                    i += 2;
                } else if (text[i] == u'\'') {
                    ++i;
                    closed = true;
                    break;
                } else {
                    value += text[i++];
                }
            }
            if (!closed) {
                *problem = QStringLiteral("引号不成对");
                return pairs;
            }
        } else {
            while (i < n && !text[i].isSpace()) {
                if (text[i] == u'\\' && i + 1 < n) {
                    ++i;
                }
                value += text[i++];
            }
        }
        if (!isKeyword(key)) {
            *problem = QStringLiteral("没有“%1”这个连接参数").arg(key);
            return pairs;
        }
        pairs.append({key, value});
    }
}

// The URL form's parts under the keywords they stand for; its query items come last, as the
// client library reads them.
QList<Pair> urlPairs(const QString& text) {
    const QUrl url(text);
    QList<Pair> pairs;
    auto add = [&](const char* key, const QString& value) {
        if (!value.isEmpty()) {
            pairs.append({QLatin1String(key), value});
        }
    };
    add("user", url.userName(QUrl::FullyDecoded));
    add("password", url.password(QUrl::FullyDecoded));
    add("host", url.host(QUrl::FullyDecoded));
    if (url.port() > 0) {
        add("port", QString::number(url.port()));
    }
    QString path = url.path(QUrl::FullyDecoded);
    if (path.startsWith(u'/')) {
        path.remove(0, 1);
    }
    add("dbname", path);
    const QUrlQuery query(url);
    for (const auto& [key, value] : query.queryItems(QUrl::FullyDecoded)) {
        pairs.append({key, value});
    }
    return pairs;
}

QList<Pair> pairsOf(const QString& connectString) {
    if (serverAddressForm(connectString) == ServerAddressForm::Url) {
        return urlPairs(connectString);
    }
    QString ignored;
    return readPairs(connectString, &ignored);
}

QString lastValue(const QList<Pair>& pairs, const char* key) {
    QString value;
    for (const Pair& p : pairs) {
        if (p.key == QLatin1String(key)) {
            value = p.value;
        }
    }
    return value;
}

QString nativePath(const QString& path) {
    return QDir::toNativeSeparators(path);
}

ServerConfig invalid(const QString& problem) {
    return {ServerConfig::Status::Invalid, {}, problem};
}

ServerConfig invalidLine(const QString& path, int line, const QString& what) {
    return invalid(QStringLiteral("配置文件 %1 第 %2 行有误：%3。\r\n请改正后再试。")
                       .arg(nativePath(path))
                       .arg(line)
                       .arg(what));
}

// Every secret in text replaced by "****", the longest first, so one that holds another is
// masked whole.
QString maskSecrets(QString text, QStringList secrets) {
    std::sort(secrets.begin(), secrets.end(),
              [](const QString& a, const QString& b) { return a.size() > b.size(); });
    for (const QString& secret : std::as_const(secrets)) {
        if (secret != QStringLiteral("****")) {
            text.replace(secret, QStringLiteral("****"));
        }
    }
    return text;
}

}  // namespace

QString serverConfigPath(const QString& programFolder) {
    return programFolder + QStringLiteral("/tillora.conf");
}

ServerConfig readServerConfig(const QString& programFolder) {
    const QString path = serverConfigPath(programFolder);
    QFile file(path);
    if (!file.exists()) {
        return {};
    }
    if (!file.open(QIODevice::ReadOnly)) {
        return invalid(
            QStringLiteral("无法读取配置文件 %1：%2。").arg(nativePath(path), file.errorString()));
    }
    QByteArray text = file.readAll();
    if (text.startsWith("\xEF\xBB\xBF")) {
        text.remove(0, 3);  // Windows editors put a byte-order mark in front
    }
    QString connectString;
    int number = 0;
    for (const QByteArray& raw : text.split('\n')) {
        ++number;
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(u'#')) {
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        const QString key = eq < 0 ? QString() : line.left(eq).trimmed();
        if (key.isEmpty()) {
            return invalidLine(path, number, QStringLiteral("不是“database = 地址”的格式"));
        }
        if (key.compare(QStringLiteral("database"), Qt::CaseInsensitive) != 0) {
            return invalidLine(path, number, QStringLiteral("设置名称只能是 database"));
        }
        const QString value = line.mid(eq + 1).trimmed();
        if (value.isEmpty()) {
            return invalidLine(path, number, QStringLiteral("database 后面没有写地址"));
        }
        if (const QString problem = serverAddressProblem(value); !problem.isEmpty()) {
            return invalidLine(
                path, number,
                QStringLiteral("地址 %1 不能使用，%2").arg(displayedServerUrl(value), problem));
        }
        connectString = value;
    }
    if (connectString.isEmpty()) {
        // Someone meant to configure a server; the file alone must not mean "no server".
        return invalid(
            QStringLiteral("配置文件 %1 里没有写数据库地址（database = %2）。"
                           "\r\n请改正后再试。")
                .arg(nativePath(path), QStringLiteral("postgresql://用户@主机:端口/数据库")));
    }
    return {ServerConfig::Status::Server, connectString, {}};
}

ServerAddressForm serverAddressForm(const QString& connectString) {
    if (connectString.startsWith(QStringLiteral("postgresql://"), Qt::CaseInsensitive) ||
        connectString.startsWith(QStringLiteral("postgres://"), Qt::CaseInsensitive)) {
        return ServerAddressForm::Url;
    }
    static const QRegularExpression firstKey(QStringLiteral("^\\s*([a-z_]+)\\s*="));
    const QRegularExpressionMatch m = firstKey.match(connectString);
    return m.hasMatch() && isKeyword(m.captured(1)) ? ServerAddressForm::Pairs
                                                    : ServerAddressForm::None;
}

QString serverAddressProblem(const QString& connectString) {
    if (serverAddressForm(connectString) == ServerAddressForm::Url) {
        const QUrl url(connectString, QUrl::StrictMode);
        if (!url.isValid()) {
            return QStringLiteral("地址格式不对");
        }
        for (const auto& [key, value] : QUrlQuery(url).queryItems()) {
            if (!isKeyword(key) && key != QLatin1String("ssl")) {
                return QStringLiteral("没有“%1”这个连接参数").arg(key);
            }
        }
        return {};
    }
    static const QRegularExpression anyKey(QStringLiteral("^\\s*[^\\s=]+\\s*="));
    if (!anyKey.match(connectString).hasMatch()) {
        return expectedForms();
    }
    QString problem;
    readPairs(connectString, &problem);
    return problem;
}

QString serverHost(const QString& connectString) {
    const QList<Pair> pairs = pairsOf(connectString);
    QString host = lastValue(pairs, "host");
    if (host.isEmpty()) {
        host = lastValue(pairs, "hostaddr");
    }
    if (host.isEmpty()) {
        return QStringLiteral("localhost");
    }
    const QString port = lastValue(pairs, "port");
    return port.isEmpty() ? host : host + u':' + port;
}

QString serverDatabaseName(const QString& connectString) {
    return lastValue(pairsOf(connectString), "dbname");
}

namespace {

// The user info of each URL in text, from the first ':' after "://" to the last '@' of the
// address: the client library ends it at the first '@' or '/', which shows the rest of a password
// that holds one unencoded, so the mask is the wider of the two.
QString maskUserInfo(const QString& text) {
    QString shown;
    qsizetype from = 0;
    for (qsizetype scheme = text.indexOf(QStringLiteral("://")); scheme >= 0;
         scheme = text.indexOf(QStringLiteral("://"), from)) {
        const qsizetype start = scheme + 3;
        qsizetype end = start;
        while (end < text.size() && !text[end].isSpace()) {
            ++end;
        }
        const QString address = text.mid(start, end - start);
        const qsizetype colon = address.indexOf(u':');
        const qsizetype at = address.lastIndexOf(u'@');
        shown += text.mid(from, start - from);
        const QString user = address.left(colon);
        if (colon >= 0 && at > colon && !user.contains(u'@') && !user.contains(u'/')) {
            shown += user + QStringLiteral(":****") + address.mid(at);
        } else {
            shown += address;
        }
        from = end;
    }
    return shown + text.mid(from);
}

// The passwords a connect string holds, as the client library reads it (when it is there) and as
// our own reading does, decoded and as written, with the parts of an unencoded user info.
QStringList passwordsOf(const QString& connectString) {
    QStringList found;
    auto add = [&found](const QString& value) {
        if (!value.isEmpty() && !found.contains(value)) {
            found << value;
        }
    };
    if (const Libpq* pq = libpq(); pq != nullptr) {
        char* error = nullptr;
        if (PQconninfoOption* options =
                pq->PQconninfoParse(connectString.toUtf8().constData(), &error)) {
            for (const PQconninfoOption* o = options; o->keyword != nullptr; ++o) {
                if (o->val != nullptr && isPassword(QString::fromUtf8(o->keyword))) {
                    add(QString::fromUtf8(o->val));
                }
            }
            pq->PQconninfoFree(options);
        }
        pq->PQfreemem(error);
    }
    for (const Pair& p : pairsOf(connectString)) {
        if (isPassword(p.key)) {
            add(p.value);
        }
    }
    if (serverAddressForm(connectString) == ServerAddressForm::Url) {
        const QString address = connectString.mid(connectString.indexOf(u"://") + 3);
        const qsizetype colon = address.indexOf(u':');
        const qsizetype at =
            address.section(QRegularExpression(QStringLiteral("\\s")), 0, 0).lastIndexOf(u'@');
        if (colon >= 0 && at > colon) {
            const QString raw = address.mid(colon + 1, at - colon - 1);
            add(raw);
            add(QUrl::fromPercentEncoding(raw.toUtf8()));
        }
    }
    // A message may name a piece of one as something else: the library takes the rest of
    // "kasse:Le@kPw5@server" for the host "kPw5@server".
    static const QRegularExpression separators(QStringLiteral("[@:/\\s]"));
    for (const QString& value : QStringList(found)) {
        add(QString::fromLatin1(QUrl::toPercentEncoding(value)));
        for (const QString& part : value.split(separators, Qt::SkipEmptyParts)) {
            if (part.size() >= 2) {
                add(part);
            }
        }
    }
    return found;
}

}  // namespace

QString displayedServerUrl(const QString& connectString) {
    // Written for any text, not only a well-formed string: what fails to parse is shown too. A
    // query's password runs to the next parameter, so an unencoded '&' or '#' stays hidden.
    static const QRegularExpression queryItem(
        QStringLiteral("([?&](?:ssl)?password=)(?:(?!&[A-Za-z_]+=)\\S)*"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression pair(
        QStringLiteral("(^|\\s)((?:ssl)?password\\s*=\\s*)('(?:[^'\\\\]|\\\\.)*(?:'|$)|"
                       "(?:\\\\.|[^\\s\\\\])*)"),
        QRegularExpression::CaseInsensitiveOption);
    QString shown = maskUserInfo(connectString);
    shown.replace(queryItem, QStringLiteral("\\1****"));
    shown.replace(pair, QStringLiteral("\\1\\2****"));
    // Whatever the client library reads as a password, wherever it stands; a very short one
    // would blank out the address itself, and the masks above have covered it.
    QStringList secrets = passwordsOf(connectString);
    secrets.removeIf([](const QString& secret) { return secret.size() < 3; });
    return maskSecrets(shown, secrets);
}

QString maskedServerMessage(const QString& message, const QString& connectString) {
    return maskSecrets(displayedServerUrl(message), passwordsOf(connectString));
}

}  // namespace tillora
