// The load state of a player card: the card, a failure text, or nothing yet.
#pragma once

#include "data/PlayerCard.h"

#include <QString>

#include <optional>

namespace huddlepod {

class PlayerCardState {
public:
    enum class Kind { loaded, failed, loading };

    PlayerCardState() = default;
    static PlayerCardState loaded(PlayerCard card) { return PlayerCardState(std::move(card)); }
    static PlayerCardState failed(QString message) { return PlayerCardState(std::move(message)); }
    static PlayerCardState loading() { return {}; }

    Kind kind() const { return m_kind; }
    // The card of `loaded`; nothing in the other states.
    const PlayerCard* card() const { return m_card ? &*m_card : nullptr; }
    // The message of `failed`.
    const QString& message() const { return m_message; }

private:
    explicit PlayerCardState(PlayerCard card)
        : m_kind(Kind::loaded)
        , m_card(std::move(card)) {}
    explicit PlayerCardState(QString message)
        : m_kind(Kind::failed)
        , m_message(std::move(message)) {}

    Kind m_kind = Kind::loading;
    std::optional<PlayerCard> m_card;
    QString m_message;
};

} // namespace huddlepod
