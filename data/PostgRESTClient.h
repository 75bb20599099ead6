// The one client of the hosted database: PostgREST table reads and remote procedures over HTTP(S).
#pragma once

#include "data/JsonReader.h"
#include "data/PostgRESTError.h"
#include "data/SupabaseConfiguration.h"
#include "platform/async/Cancellation.h"

#include <QByteArray>
#include <QNetworkRequest>
#include <QString>
#include <qcoro/qcorotask.h>

#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace huddlepod {

class HttpSession;

// URL query items (name, value), sent in order; PostgREST filters, select lists, order and limit are all
// query items.
using QueryItem = std::pair<QString, QString>;
using QueryItems = std::vector<QueryItem>;

// Remote-procedure arguments: sent as one JSON object of string values.
using RpcBody = std::map<QString, QString>;

// Lives on the GUI thread; every call's task refers to the client, which must outlive it. Every
// operation throws PostgRESTError only: a cancelled token aborts the request and fails the call as
// transport("cancelled").
class PostgRESTClient {
public:
    // Without a session the client builds its own (the default options: 8 s idle and 60 s total time-outs,
    // the response cache under HttpSession::defaultCacheDirectory()). The user agent is
    // "Huddlepod-Mac/<clientVersion>".
    PostgRESTClient(SupabaseConfiguration configuration, QString clientVersion,
                    std::unique_ptr<HttpSession> session = nullptr);
    ~PostgRESTClient();
    PostgRESTClient(const PostgRESTClient&) = delete;
    PostgRESTClient& operator=(const PostgRESTClient&) = delete;

    // POSTs `body` to <base>/rest/v1/rpc/<function> and returns the answer's body.
    QCoro::Task<QByteArray> rpcData(QString function, RpcBody body, CancellationToken token = {});
    // GETs <base>/rest/v1/<table>?<query, in order> (no "?" for an empty query) and returns the answer's
    // body.
    QCoro::Task<QByteArray> selectData(QString table, QueryItems query, CancellationToken token = {});
    // A HEAD for one player id that bypasses the local cache and stores nothing, to open a connection
    // early. Never throws; its outcome is ignored.
    QCoro::Task<void> warmUp();

    // rpcData, then the body decoded as an array of Row (one bad row fails all: PostgRESTError::decoding).
    template <typename Row>
    QCoro::Task<std::vector<Row>> rpc(QString function, RpcBody body, CancellationToken token = {}) {
        const QByteArray data = co_await rpcData(std::move(function), std::move(body), std::move(token));
        co_return decode<std::vector<Row>>(data);
    }

    // selectData, then the body decoded as an array of Row.
    template <typename Row>
    QCoro::Task<std::vector<Row>> select(QString table, QueryItems query, CancellationToken token = {}) {
        const QByteArray data = co_await selectData(std::move(table), std::move(query), std::move(token));
        co_return decode<std::vector<Row>>(data);
    }

    // Decodes a body with the JSON readers, turning their failure into PostgRESTError::decoding.
    template <typename T>
    static T decode(const QByteArray& body) {
        try {
            return decodeJson<T>(body);
        } catch (const JsonDecodingError& error) {
            throw PostgRESTError::decoding(QString::fromStdString(error.what()));
        }
    }

    const SupabaseConfiguration& configuration() const { return m_configuration; }
    HttpSession& session() { return *m_session; }

private:
    std::optional<QUrl> endpoint(const QString& path, const QueryItems& query) const;
    QNetworkRequest makeRequest(const QUrl& url) const;
    QCoro::Task<QByteArray> perform(QNetworkRequest request, QByteArray method, QByteArray body,
                                    CancellationToken token);

    SupabaseConfiguration m_configuration;
    std::unique_ptr<HttpSession> m_session;
    QByteArray m_userAgent;
};

} // namespace huddlepod
