// The tray icon's StatusNotifier item as hosts read it, over Qt's own item: everything as Qt serves it but
// the item's title, which can be withheld.
#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QPointer>

class QDBusAbstractAdaptor;

namespace huddlepod {

// Qt names the item after the application and gives no way to change that; a host with no tool tip to show
// (XFCE's) shows the title instead, as a box over whatever lies under the icon. This takes the place of Qt's
// item under its path: method calls and property reads go to Qt's item, its signals are passed on, and the
// title reads empty while it is withheld.
class StatusNotifierItemExporter : public QDBusVirtualObject {
    Q_OBJECT

public:
    static constexpr const char* path = "/StatusNotifierItem";

    // `qtItem` is the object Qt registered under `path`; the exporter takes its place there at once.
    StatusNotifierItemExporter(QDBusConnection connection, QObject& qtItem, QObject* parent = nullptr);
    ~StatusNotifierItemExporter() override;

    // Whether Qt's item was found and its place taken.
    bool isServing() const { return serving_; }
    // While withheld the title reads empty; hosts are told of each change.
    void setTitleWithheld(bool withheld);

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private slots:
    void relaySignal();
    void relayStatus(const QString& status);

private:
    QVariant property(const QString& name) const;
    void sendSignal(const QString& name, const QVariantList& arguments = {});

    QDBusConnection connection_;
    QPointer<QObject> qtItem_;
    QPointer<QDBusAbstractAdaptor> adaptor_;
    bool serving_ = false;
    bool titleWithheld_ = false;
};

} // namespace huddlepod
