// The accessibility dump's walk and limit, and the capture lines reaching the log file.
#include "app/Views/DebugCapture.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

using namespace huddlepod;

namespace {

QStringList logged(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

TEST(DebugCapture, theTreeNamesLabelsValuesAndBareLeavesAndSkipsHiddenOnes) {
    QWidget root;
    auto* layout = new QVBoxLayout(&root);
    layout->addWidget(new QLabel(QStringLiteral("Passing")));
    layout->addWidget(new QPushButton());
    auto* hidden = new QLabel(QStringLiteral("Hidden"));
    layout->addWidget(hidden);
    root.show();
    hidden->hide();

    const DebugDriver::AccessibilityTree tree = DebugDriver::accessibilityTree(&root, 240);
    EXPECT_EQ(tree.labelled, 1);
    EXPECT_EQ(tree.unlabelled, 1);
    EXPECT_EQ(tree.lines, QStringList({QStringLiteral("  [StaticText/label] Passing"),
                                       QStringLiteral("  [Button] <no label>")}));
}

TEST(DebugCapture, aLargeTreeStopsAtTheLimitAndTheLinesReachTheLog) {
    QWidget root;
    auto* layout = new QVBoxLayout(&root);
    for (int i = 0; i < 300; ++i) {
        layout->addWidget(i % 3 ? static_cast<QWidget*>(new QLabel(QString::number(i))) : new QPushButton());
    }
    root.show();
    const DebugDriver::AccessibilityTree tree = DebugDriver::accessibilityTree(&root, 240);
    EXPECT_EQ(tree.lines.size(), 240);
    EXPECT_EQ(tree.labelled + tree.unlabelled, 240);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("drive.log"));
    qputenv("HUDDLEPOD_DEBUG_LOG", path.toUtf8());
    DebugDriver::dumpAccessibilityTree(&root, 240); // not asked for: nothing
    qputenv("HUDDLEPOD_DEBUG_AXDUMP", "1");
    DebugDriver::dumpAccessibilityTree(&root, 5);
    root.move(30, 40);
    DebugDriver::logCaptureRect(QStringLiteral("panel"), &root);
    DebugDriver::logStatusMenuRect(std::nullopt);
    qunsetenv("HUDDLEPOD_DEBUG_AXDUMP");
    qunsetenv("HUDDLEPOD_DEBUG_LOG");

    const QStringList lines = logged(path);
    ASSERT_EQ(lines.size(), 9) << lines.join(u'\n').toStdString();
    EXPECT_EQ(lines.first(), QStringLiteral("[drive] AX-TREE 3 labelled, 2 unlabelled leaves"));
    EXPECT_EQ(lines[1], QStringLiteral("[drive] AX    [Button] <no label>"));
    EXPECT_EQ(lines[6], QStringLiteral("[drive] AX-TREE-END"));
    EXPECT_TRUE(lines[7].startsWith(QStringLiteral("[drive] CAPTURE-RECT panel 30,40,")))
        << lines[7].toStdString();
    EXPECT_EQ(lines[8], QStringLiteral("[drive] CAPTURE-WINDOW panel ") + QString::number(root.winId()));
}
