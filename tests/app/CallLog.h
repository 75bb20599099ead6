// The requests a fake service received, each waiting for the answer the test gives it.
#pragma once

#include "platform/async/Cancellation.h"
#include "tests/app/Pending.h"

#include <QString>
#include <QStringList>
#include <qcoro/qcorotask.h>

#include <memory>
#include <stdexcept>
#include <vector>

namespace huddlepod::testing {

class CallLog {
public:
    CallLog() = default;
    CallLog(const CallLog&) = delete;
    CallLog& operator=(const CallLog&) = delete;
    ~CallLog() { abandonPending(); }

    // Records a request and suspends until the test answers it.
    template <typename T>
    QCoro::Task<T> record(QString description, CancellationToken token) {
        auto call = std::make_shared<Call<T>>();
        call->description = std::move(description);
        call->token = std::move(token);
        m_calls.push_back(call);
        co_return co_await call->answer;
    }

    // Every request so far, in order.
    QStringList requests() const {
        QStringList descriptions;
        for (const auto& call : m_calls)
            descriptions << call->description;
        return descriptions;
    }
    int count() const { return static_cast<int>(m_calls.size()); }
    QStringList pending() const {
        QStringList descriptions;
        for (const auto& call : m_calls) {
            if (!call->isAnswered())
                descriptions << call->description;
        }
        return descriptions;
    }
    // The token of the oldest request with this description.
    CancellationToken token(const QString& description) const { return find(description, false).token; }

    // Answers the oldest unanswered request with this description.
    template <typename T>
    void answer(const QString& description, T value) {
        auto* call = dynamic_cast<Call<T>*>(&find(description, true));
        if (!call)
            throw std::logic_error("answered with the wrong type: " + description.toStdString());
        call->answer.resolve(std::move(value));
    }

    template <typename Error>
    void fail(const QString& description, Error error) {
        find(description, true).fail(std::make_exception_ptr(std::move(error)));
    }

    // Ends every unanswered request with CancelledError, so no suspended task outlives the test.
    void abandonPending() {
        for (const auto& call : m_calls) {
            if (!call->isAnswered())
                call->fail(std::make_exception_ptr(CancelledError()));
        }
    }

private:
    struct CallBase {
        virtual ~CallBase() = default;
        virtual bool isAnswered() const = 0;
        virtual void fail(std::exception_ptr error) = 0;
        QString description;
        CancellationToken token;
    };

    template <typename T>
    struct Call final : CallBase {
        bool isAnswered() const override { return answer.isAnswered(); }
        void fail(std::exception_ptr error) override { answer.failWith(std::move(error)); }
        Pending<T> answer;
    };

    CallBase& find(const QString& description, bool unansweredOnly) const {
        for (const auto& call : m_calls) {
            if (call->description == description && (!unansweredOnly || !call->isAnswered()))
                return *call;
        }
        throw std::logic_error("no such request: " + description.toStdString());
    }

    std::vector<std::shared_ptr<CallBase>> m_calls;
};

} // namespace huddlepod::testing
