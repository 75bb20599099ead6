// The accessibility dump's walk and limit, and the capture lines reaching the log file.
#include "app/Views/DebugCapture.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace huddlepod;

TEST(DebugCapture, theDumpNamesLabelsAndBareLeavesSkipsHiddenOnesAndStopsAtTheLimit) {
    QWidget root;
    auto* layout = new QVBoxLayout(&root);
    auto* hidden = new QLabel(QStringLiteral("Hidden"));
    layout->addWidget(hidden);
    for (int i = 0; i < 300; ++i) {
        layout->addWidget(i % 3 ? static_cast<QWidget*>(new QLabel(QString::number(i))) : new QPushButton());
    }
    root.move(30, 40);
    root.show();
    hidden->hide();
    const DebugDriver::AccessibilityTree tree = DebugDriver::accessibilityTree(&root, 240);
    EXPECT_EQ(tree.lines.size(), 240);
    EXPECT_EQ(tree.labelled + tree.unlabelled, 240);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("drive.log"));
    qputenv("HUDDLEPOD_DEBUG_LOG", path.toUtf8());
    DebugDriver::dumpAccessibilityTree(&root, 240); // not asked for: nothing
    qputenv("HUDDLEPOD_DEBUG_AXDUMP", "1");
    DebugDriver::dumpAccessibilityTree(&root, 3);
    DebugDriver::logCaptureRect(QStringLiteral("panel"), &root);
    DebugDriver::logStatusMenuRect(std::nullopt);
    qunsetenv("HUDDLEPOD_DEBUG_AXDUMP");
    qunsetenv("HUDDLEPOD_DEBUG_LOG");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 7) << lines.join(u'\n').toStdString();
    EXPECT_EQ(lines.mid(0, 5),
              QStringList({"[drive] AX-TREE 2 labelled, 1 unlabelled leaves",
                           "[drive] AX    [Button] <no label>", "[drive] AX    [StaticText/label] 1",
                           "[drive] AX    [StaticText/label] 2", "[drive] AX-TREE-END"}));
    EXPECT_TRUE(lines[5].startsWith(QStringLiteral("[drive] CAPTURE-RECT panel 30,40,")))
        << lines[5].toStdString();
    EXPECT_EQ(lines[6], QStringLiteral("[drive] CAPTURE-WINDOW panel ") + QString::number(root.winId()));
}
