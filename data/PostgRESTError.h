// The one error every backend call throws, and the text a view shows for any failure.
#pragma once

#include <QString>

#include <exception>
#include <string>

namespace huddlepod {

class PostgRESTError : public std::exception {
public:
    enum class Kind {
        transport,  // no HTTP answer; description() says why
        http,       // a status outside 200…299; status() and body() (at most 512 bytes of it)
        decoding,   // the answer did not decode; description() says why
        invalidURL, // the request URL could not be built; nothing was sent
    };

    static PostgRESTError transport(QString description);
    static PostgRESTError http(int status, QString body);
    static PostgRESTError decoding(QString description);
    static PostgRESTError invalidURL();

    Kind kind() const { return m_kind; }
    int status() const { return m_status; }                      // http only; 0 otherwise
    const QString& body() const { return m_body; }               // http only
    const QString& description() const { return m_description; } // transport and decoding only

    const char* what() const noexcept override { return m_what.c_str(); }

    // Same case and same payloads.
    bool operator==(const PostgRESTError& other) const;

    // The text to show for `error` (any exception, or null): transport → "Can’t reach Huddlepod. Check your
    // connection."; http 429 → "Too many requests. Try again in a moment."; http ≥ 500 → "Huddlepod is
    // having trouble. Try again shortly."; anything else (other statuses, decoding, invalidURL,
    // CancelledError, any other exception) → `fallback`.
    static QString userMessage(const std::exception_ptr& error, const QString& fallback);
    static QString userMessage(const std::exception& error, const QString& fallback);

private:
    PostgRESTError(Kind kind, int status, QString body, QString description);

    Kind m_kind;
    int m_status = 0;
    QString m_body;
    QString m_description;
    std::string m_what;
};

} // namespace huddlepod
