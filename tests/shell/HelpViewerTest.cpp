#include "shell/HelpViewer.h"

#include "ShellTestSupport.h"
#include "shell/HelpFile.h"
#include "shell/HelpMenu.h"

#include <QAbstractTextDocumentLayout>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>

#include <memory>
#include <vector>

namespace kavora::shell {
namespace {

using test::ShellGuiTest;

// The heading with this text (list entries that link to it are no headings).
QTextBlock heading(const QTextDocument& document, const QString& text)
{
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() > 0 && block.text() == text)
            return block;
    }
    return {};
}

bool blockIsVisible(const QTextBrowser& browser, const QTextBlock& block)
{
    const qreal top = browser.document()->documentLayout()->blockBoundingRect(block).top() -
                      browser.verticalScrollBar()->value();
    return top >= 0 && top < browser.viewport()->height();
}

QString textAtTop(const QTextBrowser& browser)
{
    return browser.cursorForPosition(QPoint(4, 4)).block().text();
}

// A help file whose topics are each longer than the viewer, so that every
// topic can stand at the top of the window.
QByteArray longTopicsHelpFile()
{
    QByteArray html = "<html><body>";
    for (const char* topic : {"contents", "context-2", "context-3"}) {
        html += QByteArray("<a name=\"") + topic + "\"></a><h1>Topic " + topic + "</h1>";
        for (int line = 0; line < 120; ++line)
            html += QByteArray("<p>") + topic + " line " + QByteArray::number(line) + "</p>";
    }
    return html + "</body></html>";
}

class HelpMenuTest : public ShellGuiTest {
protected:
    void writeHelpFile(const QByteArray& content)
    {
        QFile file(QDir(homeDirectory()).filePath("KVR.HLP"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(content), content.size());
    }

    std::string programDirectory() const
    {
        return windowsProgramDirectory(QFile::encodeName(homeDirectory()).toStdString());
    }
};

enum class Item { Contents, License, Support };

void click(HelpMenu& menu, Item item)
{
    switch (item) {
    case Item::Contents:
        menu.mnuContentsClick();
        break;
    case Item::License:
        menu.mnuLicenseClick();
        break;
    case Item::Support:
        menu.mnuSupportClick();
        break;
    }
}

QString expectedTopic(Item item)
{
    switch (item) {
    case Item::Contents:
        return "Topic contents";
    case Item::License:
        return "Topic context-2";
    case Item::Support:
        return "Topic context-3";
    }
    return {};
}

TEST_F(HelpMenuTest, EachItemOpensItsTopicWhateverCameBefore)
{
    writeHelpFile(longTopicsHelpFile());
    const std::vector<std::vector<Item>> orders = {
        {Item::Contents},
        {Item::License},
        {Item::Support},
        {Item::License, Item::Contents},
        {Item::Support, Item::License, Item::Contents},
        {Item::Contents, Item::Support, Item::Contents, Item::License, Item::Support},
        {Item::License, Item::License, Item::Support, Item::Support},
    };
    for (std::size_t order = 0; order < orders.size(); ++order) {
        HelpMenu menu(programDirectory());
        KVRHelpViewer* firstViewer = nullptr;
        for (std::size_t step = 0; step < orders[order].size(); ++step) {
            SCOPED_TRACE(testing::Message() << "order " << order << ", step " << step);
            const Item item = orders[order][step];
            click(menu, item);
            KVRHelpViewer* viewer = menu.commonDialog().viewer();
            ASSERT_NE(viewer, nullptr);
            if (firstViewer == nullptr)
                firstViewer = viewer;
            EXPECT_EQ(viewer, firstViewer) << "the viewer is reused, not opened again";
            EXPECT_TRUE(viewer->isVisible());
            EXPECT_TRUE(viewer->isWindow());
            EXPECT_EQ(textAtTop(*viewer->browser()), expectedTopic(item));
        }
        int viewers = 0;
        for (QWidget* window : QApplication::topLevelWidgets())
            viewers += qobject_cast<KVRHelpViewer*>(window) != nullptr ? 1 : 0;
        EXPECT_EQ(viewers, 1);
    }
}

TEST_F(HelpMenuTest, SetsTheCommonDialogAsTheHelpEngineExpects)
{
    writeHelpFile(longTopicsHelpFile());
    HelpMenu menu(programDirectory());
    CommonDialog& dialog = menu.commonDialog();

    menu.mnuSupportClick();
    EXPECT_EQ(dialog.HelpFile, programDirectory() + "\\KVR.HLP");
    EXPECT_EQ(dialog.HelpCommand, kHelpContext);
    EXPECT_EQ(dialog.HelpContext, kTechnicalSupportContext);

    // Help Topics leaves the context number as it was; the command decides.
    menu.mnuContentsClick();
    EXPECT_EQ(dialog.HelpCommand, kHelpFinder);
    EXPECT_EQ(dialog.HelpContext, kTechnicalSupportContext);
    EXPECT_EQ(textAtTop(*dialog.viewer()->browser()), "Topic contents");
    dialog.viewer()->close();
}

TEST_F(HelpMenuTest, ClosedViewerIsShownAgainAtTheNewTopic)
{
    writeHelpFile(longTopicsHelpFile());
    HelpMenu menu(programDirectory());
    menu.mnuLicenseClick();
    KVRHelpViewer* viewer = menu.commonDialog().viewer();
    ASSERT_NE(viewer, nullptr);
    viewer->close();
    EXPECT_FALSE(viewer->isVisible());

    menu.mnuSupportClick();
    EXPECT_EQ(menu.commonDialog().viewer(), viewer);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(textAtTop(*viewer->browser()), "Topic context-3");
    viewer->close();
}

TEST_F(HelpMenuTest, MissingHelpFileIsAMessageInTheViewer)
{
    HelpMenu menu(programDirectory());
    for (const Item item : {Item::Contents, Item::License, Item::Support}) {
        click(menu, item);
        KVRHelpViewer* viewer = menu.commonDialog().viewer();
        ASSERT_NE(viewer, nullptr);
        EXPECT_TRUE(viewer->isVisible());
        const QString shown = viewer->browser()->toPlainText();
        EXPECT_TRUE(shown.contains("cannot be read")) << shown.toStdString();
        EXPECT_TRUE(shown.contains(QDir(homeDirectory()).filePath("KVR.HLP"))) << shown.toStdString();
    }

    // Once the file is there, the next request reads it.
    writeHelpFile(longTopicsHelpFile());
    menu.mnuLicenseClick();
    EXPECT_EQ(textAtTop(*menu.commonDialog().viewer()->browser()), "Topic context-2");
    menu.commonDialog().viewer()->close();
}

// The help file the program ships: every entry point leads to its topic, and
// the report lines a user reads are explained.
TEST_F(HelpMenuTest, ShippedHelpFileHasEveryTopic)
{
    QFile shipped(QStringLiteral(KAVORA_SHIPPED_HELP_FILE));
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    writeHelpFile(shipped.readAll());
    HelpMenu menu(programDirectory());

    struct Case {
        Item item;
        const char* heading;
    };
    const QString contentsHeading = "Kavora Help Topics";
    for (const Case& c :
         {Case{Item::Support, "Technical Support"}, Case{Item::Contents, "Kavora Help Topics"},
          Case{Item::License, "License Agreement"}}) {
        SCOPED_TRACE(c.heading);
        click(menu, c.item);
        const QTextBrowser& browser = *menu.commonDialog().viewer()->browser();
        const QTextBlock shown = heading(*browser.document(), c.heading);
        ASSERT_TRUE(shown.isValid());
        EXPECT_TRUE(blockIsVisible(browser, shown));
        if (c.item != Item::Contents) {
            EXPECT_FALSE(blockIsVisible(browser, heading(*browser.document(), contentsHeading)));
        }
    }

    const QString text = menu.commonDialog().viewer()->browser()->toPlainText();
    for (const char* phrase :
         {"Renamed ", "Error - File not found - ", "ERRORS DETECTED", " out of a possible ",
          " files successfully added to new playlist:", " files encountered errors during processing.",
          " files successfully renamed to original file names.", "Undoing a Create", "Skip File",
          "Ignore Errors", "Permission is hereby granted"}) {
        EXPECT_TRUE(text.contains(QString::fromLatin1(phrase))) << phrase;
    }
    menu.commonDialog().viewer()->close();
}

} // namespace
} // namespace kavora::shell
