// PostgREST errors and their user-facing texts.
#include "data/PostgRESTError.h"

namespace huddlepod {

PostgRESTError::PostgRESTError(Kind kind, int status, QString body, QString description)
    : m_kind(kind)
    , m_status(status)
    , m_body(std::move(body))
    , m_description(std::move(description)) {
    switch (m_kind) {
    case Kind::transport:
        m_what = "transport: " + m_description.toStdString();
        break;
    case Kind::http:
        m_what = "http " + std::to_string(m_status) + ": " + m_body.toStdString();
        break;
    case Kind::decoding:
        m_what = "decoding: " + m_description.toStdString();
        break;
    case Kind::invalidURL:
        m_what = "invalid URL";
        break;
    }
}

PostgRESTError PostgRESTError::transport(QString description) {
    return PostgRESTError(Kind::transport, 0, {}, std::move(description));
}

PostgRESTError PostgRESTError::http(int status, QString body) {
    return PostgRESTError(Kind::http, status, std::move(body), {});
}

PostgRESTError PostgRESTError::decoding(QString description) {
    return PostgRESTError(Kind::decoding, 0, {}, std::move(description));
}

PostgRESTError PostgRESTError::invalidURL() {
    return PostgRESTError(Kind::invalidURL, 0, {}, {});
}

bool PostgRESTError::operator==(const PostgRESTError& other) const {
    return m_kind == other.m_kind && m_status == other.m_status && m_body == other.m_body &&
           m_description == other.m_description;
}

QString PostgRESTError::userMessage(const std::exception& error, const QString& fallback) {
    const auto* backend = dynamic_cast<const PostgRESTError*>(&error);
    if (!backend)
        return fallback;
    switch (backend->kind()) {
    case Kind::transport:
        return QStringLiteral("Can’t reach Huddlepod. Check your connection.");
    case Kind::http:
        if (backend->status() == 429)
            return QStringLiteral("Too many requests. Try again in a moment.");
        if (backend->status() >= 500)
            return QStringLiteral("Huddlepod is having trouble. Try again shortly.");
        return fallback;
    case Kind::decoding:
    case Kind::invalidURL:
        return fallback;
    }
    return fallback;
}

QString PostgRESTError::userMessage(const std::exception_ptr& error, const QString& fallback) {
    if (!error)
        return fallback;
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& caught) {
        return userMessage(caught, fallback);
    } catch (...) {
        return fallback;
    }
}

} // namespace huddlepod
