// Building PostgREST requests, sending them and turning every failure into a PostgRESTError.
#include "data/PostgRESTClient.h"

#include "platform/http/TieredNetworkCache.h"

#include <QStringDecoder>

namespace huddlepod {

namespace {

constexpr qsizetype errorBodyLimit = 512;

// Percent-encodes what may not stand in a query value, and the characters that would change how the
// query splits into items ("&", "=", "+", "#", "%").
QByteArray encodeQueryComponent(const QString& text) {
    return QUrl::toPercentEncoding(text, "!$'()*,;:@/?");
}

// The first 512 bytes as UTF-8; empty when they are not valid UTF-8 (as when the cut splits a character).
QString errorBodyText(const QByteArray& body) {
    const QByteArray head = body.left(errorBodyLimit);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(head);
    return decoder.hasError() ? QString() : text;
}

} // namespace

PostgRESTClient::PostgRESTClient(SupabaseConfiguration configuration, QString clientVersion,
                                 std::unique_ptr<HttpSession> session)
    : m_configuration(std::move(configuration))
    , m_session(session ? std::move(session) : std::make_unique<HttpSession>())
    , m_userAgent(QStringLiteral("Huddlepod-Mac/%1").arg(clientVersion).toUtf8()) {}

PostgRESTClient::~PostgRESTClient() = default;

std::optional<QUrl> PostgRESTClient::endpoint(const QString& path, const QueryItems& query) const {
    QUrl url = m_configuration.url;
    const QString scheme = url.scheme();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) ||
        url.host().isEmpty())
        return std::nullopt;
    QString fullPath = url.path(QUrl::FullyDecoded);
    if (!fullPath.endsWith(QLatin1Char('/')))
        fullPath += QLatin1Char('/');
    url.setPath(fullPath + path, QUrl::DecodedMode);
    if (!query.empty()) {
        QByteArray encoded;
        for (const auto& [name, value] : query) {
            if (!encoded.isEmpty())
                encoded += '&';
            encoded += encodeQueryComponent(name) + '=' + encodeQueryComponent(value);
        }
        url.setQuery(QString::fromLatin1(encoded), QUrl::StrictMode);
    }
    if (!url.isValid())
        return std::nullopt;
    return url;
}

QNetworkRequest PostgRESTClient::makeRequest(const QUrl& url) const {
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::PreferNetwork);
    const QByteArray key = m_configuration.anonKey.toUtf8();
    request.setRawHeader("apikey", key);
    request.setRawHeader("Authorization", "Bearer " + key);
    request.setRawHeader("User-Agent", m_userAgent);
    request.setRawHeader("Accept", "application/json");
    return request;
}

QCoro::Task<QByteArray> PostgRESTClient::selectData(QString table, QueryItems query,
                                                    CancellationToken token) {
    co_return (co_await selectAnswer(std::move(table), std::move(query), std::move(token))).body;
}

QCoro::Task<QByteArray> PostgRESTClient::rpcData(QString function, RpcBody body, CancellationToken token) {
    co_return (co_await rpcAnswer(std::move(function), std::move(body), std::move(token))).body;
}

QCoro::Task<HttpResponse> PostgRESTClient::selectAnswer(QString table, QueryItems query,
                                                        CancellationToken token) {
    const std::optional<QUrl> url = endpoint(QStringLiteral("rest/v1/") + table, query);
    if (!url)
        throw PostgRESTError::invalidURL();
    co_return co_await perform(makeRequest(*url), "GET", {}, std::move(token));
}

QCoro::Task<HttpResponse> PostgRESTClient::rpcAnswer(QString function, RpcBody body,
                                                     CancellationToken token) {
    const std::optional<QUrl> url = endpoint(QStringLiteral("rest/v1/rpc/") + function, {});
    if (!url)
        throw PostgRESTError::invalidURL();
    QNetworkRequest request = makeRequest(*url);
    request.setRawHeader("Content-Type", "application/json");
    Json object = Json::object();
    for (const auto& [name, value] : body)
        object[name.toStdString()] = value.toStdString();
    const std::string encoded = object.dump(-1, ' ', false, Json::error_handler_t::replace);
    co_return co_await perform(std::move(request), "POST", QByteArray::fromStdString(encoded),
                               std::move(token));
}

void PostgRESTClient::forget(const QUrl& url) {
    if (!url.isEmpty())
        m_session->cache().remove(url);
}

void PostgRESTClient::forget(const QString& table, const QueryItems& query) {
    if (const std::optional<QUrl> url = endpoint(QStringLiteral("rest/v1/") + table, query))
        forget(*url);
}

QCoro::Task<void> PostgRESTClient::warmUp() {
    try {
        const std::optional<QUrl> url = endpoint(QStringLiteral("rest/v1/players"), {});
        if (!url)
            co_return;
        QNetworkRequest request = makeRequest(*url);
        request.setUrl(QUrl(url->toString(QUrl::FullyEncoded) + QStringLiteral("?select=id&limit=1")));
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
        request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
        co_await m_session->send(std::move(request), "HEAD");
    } catch (...) {
        // The warm-up only opens a connection; its outcome does not matter.
    }
}

QCoro::Task<HttpResponse> PostgRESTClient::perform(QNetworkRequest request, QByteArray method,
                                                   QByteArray body, CancellationToken token) {
    HttpResponse response;
    try {
        response = co_await m_session->send(std::move(request), std::move(method), std::move(body),
                                            std::move(token));
    } catch (const HttpTransportError& error) {
        throw PostgRESTError::transport(QString::fromStdString(error.what()));
    } catch (const HttpContentError& error) {
        throw PostgRESTError::decoding(QString::fromStdString(error.what()));
    } catch (const CancelledError&) {
        // A cancelled request got no answer either; callers tell it apart by their own token.
        throw PostgRESTError::transport(QStringLiteral("cancelled"));
    }
    if (response.status < 200 || response.status > 299)
        throw PostgRESTError::http(response.status, errorBodyText(response.body));
    co_return std::move(response);
}

} // namespace huddlepod
