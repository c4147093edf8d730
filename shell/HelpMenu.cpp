#include "shell/HelpMenu.h"

#include "shell/HelpFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <utility>

namespace kavora::shell {

std::string helpProgramDirectory()
{
    const QString executableDirectory = QCoreApplication::applicationDirPath();
    const QString baseName =
        QString::fromLatin1(kHelpFileBaseName.data(), static_cast<qsizetype>(kHelpFileBaseName.size()));
    QString directory = executableDirectory;
    if (!QFileInfo::exists(QDir(executableDirectory).filePath(baseName))) {
        const QString installed =
            QDir::cleanPath(QDir(executableDirectory).filePath(QStringLiteral(KAVORA_DATADIR_FROM_BINDIR)));
        if (QFileInfo::exists(QDir(installed).filePath(baseName)))
            directory = installed;
    }
    return windowsProgramDirectory(QFile::encodeName(directory).toStdString());
}

HelpMenu::HelpMenu(std::string programDirectory) : m_programDirectory(std::move(programDirectory)) {}

void HelpMenu::mnuContentsClick()
{
    // No context number is set: the Help Topics view does not use it.
    m_commonDialog1.HelpFile = HelpFileName(m_programDirectory);
    m_commonDialog1.HelpCommand = kHelpFinder;
    m_commonDialog1.ShowHelp();
}

void HelpMenu::mnuLicenseClick()
{
    showContext(kLicenseAgreementContext);
}

void HelpMenu::mnuSupportClick()
{
    showContext(kTechnicalSupportContext);
}

void HelpMenu::showContext(std::int32_t context)
{
    m_commonDialog1.HelpFile = HelpFileName(m_programDirectory);
    m_commonDialog1.HelpContext = context;
    m_commonDialog1.HelpCommand = kHelpContext;
    m_commonDialog1.ShowHelp();
}

} // namespace kavora::shell
