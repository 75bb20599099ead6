// The status message's centred block and the shortcut hint's geometry, shrinking and dismiss button.
#include "RenderOutput.h"
#include "app/Views/Components/StatusMessage.h"
#include "app/Views/HotkeyHintView.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace huddlepod;

TEST(StatusMessage, symbolAboveTextAsOneCentredBlock) {
    StatusMessage message(QStringLiteral("Something went wrong loading results."),
                          QStringLiteral("exclamationmark.triangle"));
    EXPECT_EQ(message.symbol(), Symbol::exclamationmarkTriangle);
    EXPECT_EQ(message.focusPolicy(), Qt::NoFocus);
    const StatusMessage::Layout layout = message.layoutFor(QSize(440, 300));
    ASSERT_TRUE(layout.symbol.has_value());
    EXPECT_DOUBLE_EQ(layout.text.top() - layout.symbol->bottom(), StatusMessage::spacing);
    EXPECT_NEAR(layout.symbol->center().x(), 220, 0.5);
    EXPECT_DOUBLE_EQ(layout.text.left(), 24);
    EXPECT_DOUBLE_EQ(layout.text.width(), 440 - 48);
    // The block is centred vertically: as much room above the symbol as below the text.
    EXPECT_NEAR(layout.symbol->top(), 300 - layout.text.bottom(), 1);
    EXPECT_DOUBLE_EQ(layout.symbol->height(), 20);

    message.resize(440, 160);
    testsupport::saveLooks(message, QStringLiteral("status-message"));
}

TEST(StatusMessage, withoutSymbolTheTextIsCentredAndLongTextWraps) {
    StatusMessage plain(QStringLiteral("Loading…"));
    EXPECT_FALSE(plain.symbol().has_value());
    const StatusMessage::Layout layout = plain.layoutFor(QSize(440, 300));
    EXPECT_FALSE(layout.symbol.has_value());
    EXPECT_NEAR(layout.text.center().y(), 150, 1);

    StatusMessage unknown(QStringLiteral("x"), QStringLiteral("no.such.symbol"));
    EXPECT_FALSE(unknown.symbol().has_value());

    StatusMessage wrapped(
        QStringLiteral("No players matching “an unusually long query that needs more than one line "
                       "in a narrow area”"),
        QStringLiteral("questionmark.circle"));
    const StatusMessage::Layout narrow = wrapped.layoutFor(QSize(200, 300));
    EXPECT_DOUBLE_EQ(narrow.text.width(), 200 - 48);
    EXPECT_GT(narrow.text.height(), 3 * Theme::lineHeight(Theme::font(12)) - 1);
    wrapped.resize(200, 160);
    testsupport::saveLooks(wrapped, QStringLiteral("status-message-wrapped"));
}

TEST(HotkeyHintView, oneLineWithPaddingsAndAnEighteenPointButton) {
    HotkeyHintView hint(QStringLiteral("⌃⌥S"));
    EXPECT_EQ(hint.hintText(), QStringLiteral("Press ⌃⌥S from anywhere to open Huddlepod."));
    EXPECT_EQ(hint.sizeHint().height(), 18 + 2 * 6);
    const HotkeyHintView::Layout layout = hint.layoutFor(440);
    EXPECT_EQ(layout.button, QRectF(440 - 12 - 18, 6, 18, 18));
    EXPECT_DOUBLE_EQ(layout.keyboard.left(), 12);
    EXPECT_DOUBLE_EQ(layout.text.left(), layout.keyboard.right() + 6);
    EXPECT_DOUBLE_EQ(layout.textScale, 1.0);
    EXPECT_FALSE(layout.isTruncated);

    hint.resize(440, hint.sizeHint().height());
    testsupport::saveLooks(hint, QStringLiteral("hotkey-hint"));
}

TEST(HotkeyHintView, longShortcutShrinksToEightyFivePercentThenTruncates) {
    HotkeyHintView hint(QStringLiteral("⌃⌥⇧⌘ Page Down"));
    const qreal natural = hint.sizeHint().width();
    // A little short: the text shrinks and fits.
    const HotkeyHintView::Layout shrunk = hint.layoutFor(int(natural * 0.95));
    EXPECT_LT(shrunk.textScale, 1.0);
    EXPECT_GE(shrunk.textScale, 0.85);
    EXPECT_FALSE(shrunk.isTruncated);
    // Far too short: 0.85 and cut, the button unchanged.
    const HotkeyHintView::Layout cut = hint.layoutFor(200);
    EXPECT_DOUBLE_EQ(cut.textScale, 0.85);
    EXPECT_TRUE(cut.isTruncated);
    EXPECT_EQ(cut.button.size(), QSizeF(18, 18));
    EXPECT_LE(cut.text.right(), cut.button.left() - 4 + 0.01);

    hint.resize(200, hint.sizeHint().height());
    testsupport::saveLooks(hint, QStringLiteral("hotkey-hint-truncated"));
}

TEST(HotkeyHintView, onlyTheDismissButtonDismisses) {
    HotkeyHintView hint(QStringLiteral("⌃⌥S"));
    hint.resize(440, hint.sizeHint().height());
    hint.show();
    QSignalSpy dismissed(&hint, &HotkeyHintView::dismissed);
    QTest::mouseClick(&hint, Qt::LeftButton, {}, QPoint(100, 15));
    EXPECT_EQ(dismissed.count(), 0);
    QTest::mouseClick(&hint, Qt::LeftButton, {},
                      hint.layoutFor(440).button.topLeft().toPoint() + QPoint(1, 1));
    EXPECT_EQ(dismissed.count(), 1);
    EXPECT_TRUE(hint.isVisible()); // hiding is the owner's business
}

TEST(HotkeyHintView, anOwnerMayRemoveTheHintWhenItIsDismissed) {
    QWidget panel;
    QPointer<HotkeyHintView> hint = new HotkeyHintView(QStringLiteral("⌃⌥S"), &panel);
    hint->resize(416, hint->sizeHint().height());
    QObject::connect(hint, &HotkeyHintView::dismissed, [&] { delete hint.data(); });
    QTest::mouseClick(hint, Qt::LeftButton, {}, hint->layoutFor(416).button.center().toPoint());
    EXPECT_TRUE(hint.isNull());
}
