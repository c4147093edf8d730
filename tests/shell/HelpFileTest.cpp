#include "shell/HelpFile.h"

#include "platform/qt/SingleInstance.h"
#include "shell/Startup.h"

#include <gtest/gtest.h>
#include <string>

namespace kavora::shell {
namespace {

struct DirectoryCase {
    const char* hostDirectory;
    const char* programDirectory;
    const char* helpFileName;
    const char* hostHelpFile;
};

// The help file name is plain concatenation; at a drive root the directory
// already ends in a backslash, so the name carries two of them, and mapping
// back to the host must still find the file.
TEST(HelpFileName, FormsTheWindowsNameAndMapsItBack)
{
    const DirectoryCase cases[] = {
        {"/usr/bin", "Z:\\usr\\bin", "Z:\\usr\\bin\\KVR.HLP", "/usr/bin/KVR.HLP"},
        {"/usr/bin/", "Z:\\usr\\bin", "Z:\\usr\\bin\\KVR.HLP", "/usr/bin/KVR.HLP"},
        {"/", "Z:\\", "Z:\\\\KVR.HLP", "/KVR.HLP"},
        {"", "Z:\\", "Z:\\\\KVR.HLP", "/KVR.HLP"},
        {"/opt/My Music Tools/bin", "Z:\\opt\\My Music Tools\\bin", "Z:\\opt\\My Music Tools\\bin\\KVR.HLP",
         "/opt/My Music Tools/bin/KVR.HLP"},
        // Bytes that are not UTF-8 pass through untouched.
        {"/opt/k\xe9", "Z:\\opt\\k\xe9", "Z:\\opt\\k\xe9\\KVR.HLP", "/opt/k\xe9/KVR.HLP"},
    };
    for (const DirectoryCase& c : cases) {
        SCOPED_TRACE(c.hostDirectory);
        const std::string directory = windowsProgramDirectory(c.hostDirectory);
        EXPECT_EQ(directory, c.programDirectory);
        const std::string name = HelpFileName(directory);
        EXPECT_EQ(name, c.helpFileName);
        EXPECT_EQ(hostPathOf(name), c.hostHelpFile);
    }
}

TEST(HelpFileName, OnlyDriveZIsTheHost)
{
    EXPECT_EQ(HelpFileName("C:\\"), "C:\\\\KVR.HLP");
    EXPECT_EQ(hostPathOf("z:\\KVR.HLP"), "/KVR.HLP");
    EXPECT_EQ(hostPathOf("Z:/usr//bin/KVR.HLP"), "/usr/bin/KVR.HLP");
    EXPECT_EQ(hostPathOf("C:\\KVR.HLP"), "");
    EXPECT_EQ(hostPathOf("KVR.HLP"), "");
    EXPECT_EQ(hostPathOf(""), "");
}

TEST(HelpAnchor, CommandsLeadToTheirTopics)
{
    EXPECT_EQ(helpAnchor(kHelpFinder, 0), "contents");
    // The Help Topics view ignores a context number left from an earlier call.
    EXPECT_EQ(helpAnchor(kHelpFinder, kLicenseAgreementContext), "contents");
    EXPECT_EQ(helpAnchor(kHelpContext, kLicenseAgreementContext), "context-2");
    EXPECT_EQ(helpAnchor(kHelpContext, kTechnicalSupportContext), "context-3");
    EXPECT_EQ(helpAnchor(kHelpContext, 40000), "context-40000");
    EXPECT_EQ(helpAnchor(2, kLicenseAgreementContext), "");
}

TEST(InstanceSocketPath, PerUserPerTitleAndShortEnoughForASocket)
{
    const QString caption = QString::fromLatin1(kMainWindowCaption);
    const QString mine = platform::instanceSocketPath(caption, "/run/user/1000", 1000);
    EXPECT_TRUE(mine.startsWith("/run/user/1000/kavora-1000-")) << mine.toStdString();
    EXPECT_EQ(mine, platform::instanceSocketPath(caption, "/run/user/1000", 1000));
    // Another user in a shared directory, or another title, never meets this copy.
    EXPECT_NE(mine, platform::instanceSocketPath(caption, "/run/user/1000", 1001));
    EXPECT_NE(mine, platform::instanceSocketPath("Kavora 1.1", "/run/user/1000", 1000));
    EXPECT_NE(mine, platform::instanceSocketPath("Kavora_1.0", "/run/user/1000", 1000));
    // sockaddr_un leaves 107 bytes for the path.
    EXPECT_LT(platform::instanceSocketPath(caption, "/tmp", 4294967295U).size(), 60);
}

} // namespace
} // namespace kavora::shell
