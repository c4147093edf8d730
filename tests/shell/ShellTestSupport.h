#pragma once

#include <QApplication>
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace kavora::shell::test {

// Runs the deferred deletions that closing or unloading a window queued.
inline void flushDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

inline int visibleTopLevelWindows()
{
    int count = 0;
    for (const QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible())
            ++count;
    }
    return count;
}

// Every GUI test gets a fresh HOME and runtime directory (so the single-instance
// socket of one test is never seen by another) and must leave no window open.
class ShellGuiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        ASSERT_TRUE(QDir().mkpath(runtimeDirectory()));
        ::chmod(QFile::encodeName(runtimeDirectory()).constData(), 0700);
        m_savedHome = qgetenv("HOME");
        m_savedRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("HOME", QFile::encodeName(m_home.path()));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeDirectory()));
    }

    void TearDown() override
    {
        flushDeferredDeletes();
        EXPECT_EQ(visibleTopLevelWindows(), 0) << "a test left a window open";
        for (QWidget* widget : QApplication::topLevelWidgets())
            delete widget;
        qputenv("HOME", m_savedHome);
        qputenv("XDG_RUNTIME_DIR", m_savedRuntime);
    }

    QString homeDirectory() const { return m_home.path(); }
    QString runtimeDirectory() const { return m_home.filePath(QStringLiteral("run")); }

private:
    QTemporaryDir m_home;
    QByteArray m_savedHome;
    QByteArray m_savedRuntime;
};

} // namespace kavora::shell::test
