// A revision that grows on every panel show, so the views can reset their transient state.
#pragma once

#include <QObject>

namespace huddlepod {

class PanelSession : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    qint64 revision() const { return m_revision; }
    void setRevision(qint64 revision) {
        m_revision = revision;
        emit revisionChanged();
    }

signals:
    void revisionChanged();

private:
    qint64 m_revision = 0;
};

} // namespace huddlepod
