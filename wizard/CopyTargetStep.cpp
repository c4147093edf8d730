#include "wizard/CopyTargetStep.h"

#include "platform/FileSystem.h"
#include "processing/copy/CopyReport.h"
#include "processing/dialog/WindowLook.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>

using kavora::look::screenText;
using kavora::look::twipsRect;

namespace {

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption, QRect place)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(place);
    return label;
}

} // namespace

CopyTargetStep::CopyTargetStep(const kavora::platform::FileSystem& fileSystem, QWidget* parent)
    : QWidget(parent), m_fileSystem(fileSystem), m_list1(new QTreeWidget(this)),
      m_tbTargetFolder(new QLineEdit(this))
{
    setObjectName(QStringLiteral("CopyTarget"));
    setGeometry(twipsRect(315, 720, 8610, 3885));

    QLabel* const label2 = makeLabel(this, "Label2", QStringLiteral("Copy &to:"), twipsRect(0, 0, 8610, 255));
    m_list1->setObjectName(QStringLiteral("List1"));
    m_list1->setGeometry(twipsRect(0, 270, 8610, 2580));
    m_list1->setAccessibleName(QStringLiteral("Places to copy to"));
    m_list1->setRootIsDecorated(false);
    m_list1->setUniformRowHeights(true);
    m_list1->setHeaderLabels(
        {QStringLiteral("Drive"), QStringLiteral("Free"), QStringLiteral("File system")});
    m_list1->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_list1->header()->setStretchLastSection(false);
    m_list1->header()->resizeSection(1, kavora::look::twips(1500));
    m_list1->header()->resizeSection(2, kavora::look::twips(1800));
    label2->setBuddy(m_list1);

    QLabel* const label3 =
        makeLabel(this, "Label3", QStringLiteral("&Into the new folder:"), twipsRect(0, 2985, 8610, 255));
    m_tbTargetFolder->setObjectName(QStringLiteral("tbTargetFolder"));
    m_tbTargetFolder->setGeometry(twipsRect(0, 3255, 8610, 315));
    m_tbTargetFolder->setAccessibleName(QStringLiteral("Folder for the copies"));
    label3->setBuddy(m_tbTargetFolder);
    setTabOrder(m_list1, m_tbTargetFolder);

    // A click on the place already chosen proposes its folder again, over an edited one.
    connect(m_list1, &QTreeWidget::currentItemChanged, this, &CopyTargetStep::placeChosen);
    connect(m_list1, &QTreeWidget::itemClicked, this, &CopyTargetStep::placeChosen);
    connect(m_tbTargetFolder, &QLineEdit::textChanged, this, &CopyTargetStep::targetFolderChanged);
    hide();
}

void CopyTargetStep::showFor(const std::string& playlistPath)
{
    m_playlistPath = playlistPath;
    m_places = kavora::copy::copyPlaces(m_fileSystem.drives());
    m_list1->clear();
    for (const kavora::copy::CopyPlace& place : m_places) {
        auto* item = new QTreeWidgetItem(m_list1);
        item->setText(0, screenText(place.label));
        item->setText(1, place.freeBytes ? screenText(kavora::copy::report::sizeText(*place.freeBytes))
                                         : QStringLiteral("not known"));
        item->setText(2, screenText(place.typeName));
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    }
    // Chosen afresh after the clear, which proposes its folder.
    m_list1->setCurrentItem(m_list1->topLevelItem(0));
    show();
}

std::string CopyTargetStep::targetFolder() const
{
    return m_tbTargetFolder->text().toStdString();
}

void CopyTargetStep::placeChosen()
{
    const int row = m_list1->indexOfTopLevelItem(m_list1->currentItem());
    if (row < 0 || static_cast<std::size_t>(row) >= m_places.size())
        return;
    const std::string folder = kavora::copy::proposedCopyFolder(
        m_fileSystem, m_places[static_cast<std::size_t>(row)].folder, m_playlistPath);
    m_tbTargetFolder->setText(screenText(folder));
}
