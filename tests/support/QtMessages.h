// Test helper: collects what Qt's logging prints (warnings included) while it lives.
#pragma once

#include <QMessageLogContext>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <mutex>

namespace huddlepod::test {

// One at a time; messages from any thread are collected. The previous handler is restored on destruction.
class QtMessages {
public:
    QtMessages()
        : m_previous(qInstallMessageHandler(&QtMessages::collect)) {
        current() = this;
    }
    ~QtMessages() {
        qInstallMessageHandler(m_previous);
        current() = nullptr;
    }
    QtMessages(const QtMessages&) = delete;
    QtMessages& operator=(const QtMessages&) = delete;

    QStringList messages() const {
        const std::lock_guard lock(m_mutex);
        return m_messages;
    }

private:
    static QtMessages*& current() {
        static QtMessages* instance = nullptr;
        return instance;
    }
    static void collect(QtMsgType, const QMessageLogContext&, const QString& message) {
        if (QtMessages* self = current()) {
            const std::lock_guard lock(self->m_mutex);
            self->m_messages.push_back(message);
        }
    }

    QtMessageHandler m_previous;
    mutable std::mutex m_mutex;
    QStringList m_messages;
};

} // namespace huddlepod::test
