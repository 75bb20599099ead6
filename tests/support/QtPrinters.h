// Makes gtest print Qt's text types as text: QString and QByteArray quoted, QUrl as the text it sends,
// instead of lists of 2-byte objects. Every test target includes it first (huddlepod_add_test), so each
// test prints these types the same way.
#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QUrl>
#include <gtest/gtest.h>

#include <ostream>
#include <string>

// gtest finds these by argument-dependent lookup: the Qt types live in the global namespace.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << ::testing::PrintToString(text.toStdString());
}

inline void PrintTo(const QByteArray& bytes, std::ostream* out) {
    *out << ::testing::PrintToString(bytes.toStdString());
}

inline void PrintTo(QChar character, std::ostream* out) {
    *out << ::testing::PrintToString(QString(character).toStdString());
}

inline void PrintTo(const QUrl& url, std::ostream* out) {
    *out << "QUrl(" << ::testing::PrintToString(url.toString(QUrl::FullyEncoded).toStdString()) << ')';
}
