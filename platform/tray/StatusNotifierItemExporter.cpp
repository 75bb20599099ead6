// Qt's StatusNotifier item served under its own path, the title aside.
#include "platform/tray/StatusNotifierItemExporter.h"

#include <QDBusAbstractAdaptor>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QMetaMethod>
#include <QMetaProperty>

namespace huddlepod {

namespace {

const QString itemInterface = QStringLiteral("org.kde.StatusNotifierItem");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

QDBusAbstractAdaptor* itemAdaptor(QObject& item) {
    for (QDBusAbstractAdaptor* adaptor : item.findChildren<QDBusAbstractAdaptor*>()) {
        const QMetaObject* meta = adaptor->metaObject();
        const int info = meta->indexOfClassInfo("D-Bus Interface");
        if (info >= 0 && itemInterface == QLatin1String(meta->classInfo(info).value())) {
            return adaptor;
        }
    }
    return nullptr;
}

} // namespace

StatusNotifierItemExporter::StatusNotifierItemExporter(QDBusConnection connection, QObject& qtItem,
                                                       QObject* parent)
    : QDBusVirtualObject(parent)
    , connection_(std::move(connection))
    , qtItem_(&qtItem)
    , adaptor_(itemAdaptor(qtItem)) {
    if (!adaptor_) {
        return;
    }
    const QMetaObject* meta = adaptor_->metaObject();
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        if (method.methodType() != QMetaMethod::Signal) {
            continue;
        }
        if (method.parameterCount() == 0) {
            connect(adaptor_, method, this, metaObject()->method(metaObject()->indexOfSlot("relaySignal()")));
        } else if (method.name() == "NewStatus") {
            connect(adaptor_, SIGNAL(NewStatus(QString)), this, SLOT(relayStatus(QString)));
        }
    }
    const QString itemPath = QLatin1String(path);
    connection_.unregisterObject(itemPath);
    serving_ = connection_.registerVirtualObject(itemPath, this);
    if (!serving_) {
        connection_.registerObject(itemPath, qtItem_);
    }
}

StatusNotifierItemExporter::~StatusNotifierItemExporter() {
    if (serving_ && connection_.objectRegisteredAt(QLatin1String(path)) == this) {
        connection_.unregisterObject(QLatin1String(path));
        if (qtItem_) {
            connection_.registerObject(QLatin1String(path), qtItem_);
        }
    }
}

void StatusNotifierItemExporter::setTitleWithheld(bool withheld) {
    if (std::exchange(titleWithheld_, withheld) != withheld && serving_) {
        sendSignal(QStringLiteral("NewTitle"));
    }
}

QString StatusNotifierItemExporter::introspect(const QString&) const {
    if (!adaptor_) {
        return {};
    }
    const QMetaObject* meta = adaptor_->metaObject();
    const int info = meta->indexOfClassInfo("D-Bus Introspection");
    return info >= 0 ? QString::fromUtf8(meta->classInfo(info).value()) : QString();
}

bool StatusNotifierItemExporter::handleMessage(const QDBusMessage& message,
                                               const QDBusConnection& connection) {
    if (message.type() != QDBusMessage::MethodCallMessage || !adaptor_) {
        return false;
    }
    const QVariantList arguments = message.arguments();
    const auto reply = [&](const QVariantList& values) {
        if (!message.isReplyRequired()) {
            return;
        }
        connection.send(message.createReply(values));
    };
    const auto fail = [&](QDBusError::ErrorType type, const QString& text) {
        connection.send(message.createErrorReply(type, text));
    };
    if (message.interface() == propertiesInterface) {
        const QString interface = arguments.value(0).toString();
        if (!interface.isEmpty() && interface != itemInterface) {
            fail(QDBusError::UnknownInterface, interface);
        } else if (message.member() == QLatin1String("Get") && arguments.size() == 2) {
            const QVariant value = property(arguments.at(1).toString());
            if (value.isValid()) {
                reply({QVariant::fromValue(QDBusVariant(value))});
            } else {
                fail(QDBusError::UnknownProperty, arguments.at(1).toString());
            }
        } else if (message.member() == QLatin1String("GetAll")) {
            QVariantMap values;
            const QMetaObject* meta = adaptor_->metaObject();
            for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
                const QString name = QLatin1String(meta->property(i).name());
                values.insert(name, property(name));
            }
            reply({values});
        } else {
            fail(QDBusError::PropertyReadOnly, message.member());
        }
        return true;
    }
    if (!message.interface().isEmpty() && message.interface() != itemInterface) {
        return false;
    }
    // The item's methods take at most two arguments, numbers and text.
    const QMetaObject* meta = adaptor_->metaObject();
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        if (method.methodType() != QMetaMethod::Slot || method.name() != message.member().toLatin1() ||
            method.parameterCount() != arguments.size() || arguments.size() > 2) {
            continue;
        }
        QVariantList converted;
        for (int p = 0; p < method.parameterCount(); ++p) {
            QVariant value = arguments.at(p);
            if (!value.convert(method.parameterMetaType(p))) {
                fail(QDBusError::InvalidArgs, message.member());
                return true;
            }
            converted << value;
        }
        const auto argument = [&](int p) {
            return p < converted.size() ? QGenericArgument(converted[p].typeName(), converted[p].constData())
                                        : QGenericArgument();
        };
        method.invoke(adaptor_, Qt::DirectConnection, argument(0), argument(1));
        reply({});
        return true;
    }
    fail(QDBusError::UnknownMethod, message.member());
    return true;
}

void StatusNotifierItemExporter::relaySignal() {
    if (sender() == adaptor_ && senderSignalIndex() >= 0) {
        sendSignal(QString::fromLatin1(adaptor_->metaObject()->method(senderSignalIndex()).name()));
    }
}

void StatusNotifierItemExporter::relayStatus(const QString& status) {
    sendSignal(QStringLiteral("NewStatus"), {status});
}

QVariant StatusNotifierItemExporter::property(const QString& name) const {
    if (!adaptor_) {
        return {};
    }
    const QMetaObject* meta = adaptor_->metaObject();
    const int index = meta->indexOfProperty(name.toLatin1().constData());
    if (index < meta->propertyOffset()) {
        return {};
    }
    if (titleWithheld_ && name == QLatin1String("Title")) {
        return QString();
    }
    return meta->property(index).read(adaptor_);
}

void StatusNotifierItemExporter::sendSignal(const QString& name, const QVariantList& arguments) {
    QDBusMessage signal = QDBusMessage::createSignal(QLatin1String(path), itemInterface, name);
    signal.setArguments(arguments);
    connection_.send(signal);
}

} // namespace huddlepod
