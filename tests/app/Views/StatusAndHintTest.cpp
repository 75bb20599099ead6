// The status message's centred block and the shortcut hint's geometry, shrinking and dismiss button.
#include "RenderOutput.h"
#include "app/Views/Components/StatusMessage.h"
#include "app/Views/HotkeyHintView.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace huddlepod;

TEST(StatusMessage, symbolAboveTextAsOneCentredBlockAndLongTextWraps) {
    const struct {
        const char* text;
        const char* symbol;
        int width;
        const char* look;
    } cases[] = {
        {"Something went wrong loading results.", "exclamationmark.triangle", 440, "status-message"},
        {"Loading…", "", 440, "status-message-plain"},
        {"No players matching “an unusually long query that needs more than one line in a narrow area”",
         "questionmark.circle", 200, "status-message-wrapped"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        StatusMessage message(QString::fromUtf8(c.text), QString::fromUtf8(c.symbol));
        const StatusMessage::Layout layout = message.layoutFor(QSize(c.width, 300));
        EXPECT_EQ(layout.symbol.has_value(), *c.symbol != 0);
        const QRectF block = layout.symbol ? layout.symbol->united(layout.text) : layout.text;
        EXPECT_NEAR(block.center().y(), 150, 1);
        EXPECT_NEAR(block.center().x(), c.width / 2.0, 0.5);
        if (layout.symbol) {
            EXPECT_LT(layout.symbol->bottom(), layout.text.top());
        }
        message.resize(c.width, 160);
        testsupport::saveLooks(message, QString::fromUtf8(c.look));
    }
    EXPECT_FALSE(StatusMessage(QStringLiteral("x"), QStringLiteral("no.such.symbol")).symbol().has_value());
}

TEST(HotkeyHintView, aLongShortcutShrinksThenTruncatesBeforeTheButton) {
    HotkeyHintView hint(QStringLiteral("Ctrl+Alt+Shift+Super+Page Down"));
    const qreal natural = hint.sizeHint().width();
    const HotkeyHintView::Layout fits = hint.layoutFor(int(natural));
    EXPECT_DOUBLE_EQ(fits.textScale, 1.0);
    EXPECT_FALSE(fits.isTruncated);
    const HotkeyHintView::Layout shrunk = hint.layoutFor(int(natural * 0.95));
    EXPECT_LT(shrunk.textScale, 1.0);
    EXPECT_GE(shrunk.textScale, 0.85);
    EXPECT_FALSE(shrunk.isTruncated);
    const HotkeyHintView::Layout cut = hint.layoutFor(200);
    EXPECT_DOUBLE_EQ(cut.textScale, 0.85);
    EXPECT_TRUE(cut.isTruncated);
    EXPECT_LT(cut.text.right(), cut.button.left());
    EXPECT_LE(cut.button.right(), 200);
    hint.resize(200, hint.sizeHint().height());
    testsupport::saveLooks(hint, QStringLiteral("hotkey-hint-truncated"));
    hint.resize(int(natural), hint.sizeHint().height());
    testsupport::saveLooks(hint, QStringLiteral("hotkey-hint"));
}

TEST(HotkeyHintView, onlyTheDismissButtonDismissesAndTheOwnerMayThenRemoveTheHint) {
    QWidget panel;
    QPointer<HotkeyHintView> hint = new HotkeyHintView(QStringLiteral("Ctrl+Alt+S"), &panel);
    hint->resize(416, hint->sizeHint().height());
    panel.show();
    const QPoint button = hint->layoutFor(416).button.center().toPoint();
    QSignalSpy dismissed(hint.data(), &HotkeyHintView::dismissed);
    QTest::mouseClick(hint, Qt::LeftButton, {}, QPoint(100, 15));
    EXPECT_EQ(dismissed.count(), 0);
    QTest::mouseClick(hint, Qt::LeftButton, {}, button);
    EXPECT_EQ(dismissed.count(), 1);
    EXPECT_TRUE(hint->isVisible()); // hiding is the owner's business
    QObject::connect(hint, &HotkeyHintView::dismissed, [&] { delete hint.data(); });
    QTest::mouseClick(hint, Qt::LeftButton, {}, button);
    EXPECT_TRUE(hint.isNull());
}
