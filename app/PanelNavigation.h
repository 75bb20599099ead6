// The panel's route, shared by the panel controller and the root view.
#pragma once

#include "app/PanelRoute.h"

#include <QObject>

namespace huddlepod {

class PanelNavigation : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    const PanelRoute& route() const { return m_route; }
    // Notifies on every write, also when the route is unchanged.
    void setRoute(PanelRoute route) {
        m_route = std::move(route);
        emit routeChanged();
    }

signals:
    void routeChanged();

private:
    PanelRoute m_route;
};

} // namespace huddlepod
