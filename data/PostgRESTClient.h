// The one client of the hosted database: PostgREST table reads and remote procedures over HTTP(S).
#pragma once

#include "data/JsonReader.h"
#include "data/PostgRESTError.h"
#include "data/SupabaseConfiguration.h"
#include "platform/async/Cancellation.h"
#include "platform/http/HttpSession.h"

#include <QByteArray>
#include <QNetworkRequest>
#include <QString>
#include <qcoro/qcorotask.h>

#include <map>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

namespace huddlepod {

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
    // An answer that does not decode is a failure, not an answer: it leaves the response cache before the
    // failure is thrown, so that the next request asks the server again.
    template <typename Row>
    QCoro::Task<std::vector<Row>> rpc(QString function, RpcBody body, CancellationToken token = {}) {
        const HttpResponse answer =
            co_await rpcAnswer(std::move(function), std::move(body), std::move(token));
        co_return refusing(answer, &decode<std::vector<Row>>);
    }

    // selectData, then the body decoded as an array of Row; one that does not decode is not kept either.
    template <typename Row>
    QCoro::Task<std::vector<Row>> select(QString table, QueryItems query, CancellationToken token = {}) {
        const HttpResponse answer =
            co_await selectAnswer(std::move(table), std::move(query), std::move(token));
        co_return refusing(answer, &decode<std::vector<Row>>);
    }

    // select, then `make` given the rows: an answer it refuses (PostgRESTError::decoding) is not kept.
    template <typename Row, typename Make>
    auto select(QString table, QueryItems query, CancellationToken token, Make make)
        -> QCoro::Task<std::invoke_result_t<Make&, std::vector<Row>>> {
        const HttpResponse answer =
            co_await selectAnswer(std::move(table), std::move(query), std::move(token));
        co_return refusing(answer,
                           [&make](const QByteArray& body) { return make(decode<std::vector<Row>>(body)); });
    }

    // Drops the stored answer to a table read, for answers that each decode but make no sense together.
    void forget(const QString& table, const QueryItems& query);

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
    QCoro::Task<HttpResponse> rpcAnswer(QString function, RpcBody body, CancellationToken token);
    QCoro::Task<HttpResponse> selectAnswer(QString table, QueryItems query, CancellationToken token);

    template <typename Read>
    auto refusing(const HttpResponse& answer, Read read) -> decltype(read(answer.body)) {
        try {
            return read(answer.body);
        } catch (const PostgRESTError& error) {
            if (error.kind() == PostgRESTError::Kind::decoding)
                forget(answer.url);
            throw;
        }
    }
    void forget(const QUrl& url);

    std::optional<QUrl> endpoint(const QString& path, const QueryItems& query) const;
    QNetworkRequest makeRequest(const QUrl& url) const;
    QCoro::Task<HttpResponse> perform(QNetworkRequest request, QByteArray method, QByteArray body,
                                      CancellationToken token);

    SupabaseConfiguration m_configuration;
    std::unique_ptr<HttpSession> m_session;
    QByteArray m_userAgent;
};

} // namespace huddlepod
