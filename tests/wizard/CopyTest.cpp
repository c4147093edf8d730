// The copy in the window: the third Actions item, the target step, the plan's
// preview with the dialog it may show, the copy running beside the event loop
// with its progress, and "&Cancel".
#include "WizardFixture.h"
#include "platform/FileSystem.h"
#include "wizard/CopyTargetStep.h"

#include <QDir>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTreeWidget>

#include <algorithm>

namespace {

const std::string kTargetStep = "Label1 BtnOK BtnCancel CopyTarget | Ready";
const std::string kPlanStep = "Label1 RichTextBox1 BtnOK BtnCancel | Ready";
const std::string kCopying = "Label1 RichTextBox1 BtnOK! BtnCancel! ProgressBar1 BtnStop";

// The longest the event loop went without turning while it lived.
class StallMeter final {
public:
    StallMeter()
    {
        m_sinceTurn.start();
        QObject::connect(&m_timer, &QTimer::timeout,
                         [this] { m_longestMs = std::max(m_longestMs, m_sinceTurn.restart()); });
        m_timer.start(5);
    }
    qint64 longestMs() const { return m_longestMs; }

private:
    QTimer m_timer;
    QElapsedTimer m_sinceTurn;
    qint64 m_longestMs = 0;
};

class CopyTest : public WizardFixture {
protected:
    // Lines of a control's text shown in the window, or the rows of List1.
    std::string shown(const char* name)
    {
        if (auto* list = window().findChild<QTreeWidget*>(QLatin1String(name))) {
            std::string rows;
            for (int row = 0; row < list->topLevelItemCount(); ++row)
                rows += list->topLevelItem(row)->text(0).toStdString() + ";";
            return rows;
        }
        return control<QPlainTextEdit>(&window(), name)->toPlainText().toStdString();
    }
    void chooseFolder(const QString& place, const QString& folder = {})
    {
        clickRow(control<QTreeWidget>(&window(), "List1"), place);
        if (!folder.isEmpty())
            control<QLineEdit>(&window(), "tbTargetFolder")->setText(folder);
    }
    bool waitForDone()
    {
        return QTest::qWaitFor(
            [this] {
                return mainState().ends_with("| Operation complete") ||
                       mainState().ends_with("| Copy stopped");
            },
            20000);
    }
    // The names in a folder below HOME, with their sizes.
    std::string folderHolds(const std::string& relative) const
    {
        std::string held;
        for (const QFileInfo& file :
             QDir(QString::fromStdString(hostPath(relative)))
                 .entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot | QDir::AllDirs,
                                QDir::Name))
            held += file.fileName().toStdString() + "=" + std::to_string(file.size()) + " ";
        return held;
    }
};

// Mounted volumes come first, each with its free space and file system; the
// proposal is a new folder named after the playlist in the place chosen.
TEST_F(CopyTest, TheTargetStepListsMountedVolumesFirstAndProposesANewFolder)
{
    using kavora::platform::Drive;
    writeFile("Stick/mix/old.mp3", "x");
    const kavora::platform::FileSystem fileSystem(
        kavora::platform::DriveMap({Drive{'C', hostPath(""), "c: [home]"},
                                    Drive{'D', hostPath("Stick"), "d: [STICK]"}, Drive{'Z', "/", "z: [/]"}}));
    QWidget parent;
    CopyTargetStep step(fileSystem, &parent);
    step.showFor("C:\\Lists\\mix.m3u");
    auto* list = step.findChild<QTreeWidget*>(QStringLiteral("List1"));
    ASSERT_EQ(list->topLevelItemCount(), 3);
    for (const auto& [row, label, folder] :
         {std::tuple{0, "d: [STICK]", "D:\\mix 2"}, std::tuple{1, "c: [home]", "C:\\mix"},
          std::tuple{2, "z: [/]", "Z:\\mix"}}) {
        list->setCurrentItem(list->topLevelItem(row));
        EXPECT_EQ(list->topLevelItem(row)->text(0).toStdString(), label);
        EXPECT_TRUE(list->topLevelItem(row)->text(1).endsWith(QStringLiteral("B"))) << label; // "12.3 GB"
        EXPECT_FALSE(list->topLevelItem(row)->text(2).isEmpty()) << label;
        EXPECT_EQ(step.targetFolder(), folder);
    }
}

// Out and back through both steps, a refused folder, the dialog during the
// plan, then the copy to its end: files, order, report, and a window that
// kept turning.
TEST_F(CopyTest, RunsFromTheMenuThroughTargetAndPlanToDone)
{
    for (const char* song : {"Music/A.mp3", "Music/Why?.mp3", "Other/B.mp3", "Full/x"})
        writeFile(song, song);
    writeFile("Lists/mix.m3u", "C:\\Music\\A.mp3\r\nB.mp3\r\nC:\\Music\\Why?.mp3\r\nC:\\Music\\gone.mp3\r\n");
    const std::vector<std::string> actions = {"&Create numeric playlist from existing playlist",
                                              "&Remove numeric prefixes from filenames",
                                              "Co&py numbered files to a folder..."};
    std::vector<std::string> items;
    for (const QAction* item : control<QMenu>(&window(), "mnuActions")->actions())
        items.push_back(item->text().toStdString());
    EXPECT_EQ(items, actions);

    pickByPath("mnuCopy", "C:\\Lists\\mix.m3u");
    EXPECT_EQ(mainState(), kTargetStep);
    EXPECT_TRUE(shown("List1").find("c: [home];") != std::string::npos);
    click(&window(), "BtnCancel");
    EXPECT_EQ(mainState(), kChoosingAfterBack);
    typePath("C:\\Lists\\mix.m3u");
    click(picker(), "BtnOK");

    chooseFolder(QStringLiteral("c: [home]"), QStringLiteral("C:\\Full"));
    {
        ModalAnswerer ignore;
        ignore.then(press(QStringLiteral("&Ignore Errors")));
        click(&window(), "BtnOK");
    }
    EXPECT_EQ(mainState(), "Label1 RichTextBox1 BtnOK! BtnCancel | Ready");
    EXPECT_EQ(shown("RichTextBox1"),
              "Error - Target folder is not empty (it holds x); nothing was copied - C:\\Full");
    click(&window(), "BtnCancel");
    EXPECT_EQ(mainState(), kTargetStep);
    EXPECT_EQ(control<QLineEdit>(&window(), "tbTargetFolder")->text(), QStringLiteral("C:\\Full"));

    chooseFolder(QStringLiteral("c: [home]"));
    ModalAnswerer answers;
    answers.then(typeDirectoryAndOk(QStringLiteral("C:\\Other\\"))).then(press(QStringLiteral("&Skip File")));
    click(&window(), "BtnOK");
    EXPECT_EQ(mainState(), kPlanStep);
    EXPECT_EQ(answers.seen.size(), 2U);
    const std::string plan = shown("RichTextBox1");
    EXPECT_TRUE(plan.starts_with("To copy: 3 files, 36 bytes, into C:\\mix (a new folder); ")) << plan;
    EXPECT_TRUE(
        plan.ends_with("\nNames changed for the device: 1\n    Why?.mp3 -> 003 Why_.mp3\n\n"
                       "Would copy C:\\Music\\A.mp3 to 001 A.mp3\nWould copy C:\\Other\\B.mp3 to 002 B.mp3\n"
                       "Would copy C:\\Music\\Why?.mp3 to 003 Why_.mp3\n"
                       "Error - File not found - C:\\Music\\gone.mp3"))
        << plan;

    const StallMeter stalls;
    click(&window(), "BtnOK");
    EXPECT_EQ(mainState().substr(0, kCopying.size()), kCopying);
    ASSERT_TRUE(waitForDone());
    EXPECT_LT(stalls.longestMs(), 100);
    EXPECT_EQ(mainState(), kDone);
    EXPECT_EQ(folderHolds("mix"), "001 A.mp3=11 002 B.mp3=11 003 Why_.mp3=14 mix.m3u=45 ");
    const std::string report = window().reportText();
    EXPECT_TRUE(report.find("\r\nCopied C:\\Other\\B.mp3 to 002 B.mp3\r\n") != std::string::npos) << report;
    EXPECT_TRUE(report.find("\r\n3 out of a possible 4 files copied to C:\\mix\r\n") != std::string::npos)
        << report;
    EXPECT_EQ(readFile("Music/Why?.mp3"), "Music/Why?.mp3");
    click(&window(), "BtnDone");
    EXPECT_EQ(mainState(), kIdle);
}

// Files far too large to copy in the time: "&Cancel" at the first progress
// stops the copy within a second, with whole files only, and says so.
TEST_F(CopyTest, CancelStopsTheCopyWithinASecond)
{
    std::string playlist;
    for (const char* song : {"A", "B", "C"}) {
        writeFile(std::string("Music/") + song + ".mp3", "");
        std::filesystem::resize_file(hostPath(std::string("Music/") + song + ".mp3"),
                                     std::uintmax_t{4} << 30);
        playlist += std::string("C:\\Music\\") + song + ".mp3\r\n";
    }
    writeFile("Lists/mix.m3u", playlist);
    pickByPath("mnuCopy", "C:\\Lists\\mix.m3u");
    chooseFolder(QStringLiteral("c: [home]"));
    click(&window(), "BtnOK");
    const StallMeter stalls;
    click(&window(), "BtnOK");
    ASSERT_TRUE(
        QTest::qWaitFor([this] { return window().statusText().starts_with("Copying 1 of 3, "); }, 5000))
        << window().statusText();
    EXPECT_TRUE(window().statusText().ends_with(" of 12.9 GB")) << window().statusText();
    QElapsedTimer sinceCancel;
    sinceCancel.start();
    click(&window(), "BtnStop");
    ASSERT_TRUE(waitForDone());
    EXPECT_LT(sinceCancel.elapsed(), 1000);
    EXPECT_LT(stalls.longestMs(), 100);
    EXPECT_EQ(mainState(), "Label1 RichTextBox1 BtnDone | Copy stopped");
    EXPECT_TRUE(window().reportText().find("\r\nCopy stopped; 3 files not copied\r\n") != std::string::npos)
        << window().reportText();
    EXPECT_EQ(folderHolds("mix"), "mix.m3u=9 ");
    click(&window(), "BtnDone");
}

} // namespace
