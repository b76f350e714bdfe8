// A home folder of the test's own, whose documents folder (XDG_DOCUMENTS_DIR) is "文档" as on
// a Chinese desktop. HOME and XDG_CONFIG_HOME point at it while the object lives; the
// documents folder itself exists only once MakeDocuments is called.
#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

class CDocumentsFolder {
public:
    CDocumentsFolder() : m_home(Saved("HOME")), m_configHome(Saved("XDG_CONFIG_HOME"))
    {
        EXPECT_TRUE(m_dir.isValid());
        EXPECT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral(".config")));
        QFile dirs(m_dir.filePath(QStringLiteral(".config/user-dirs.dirs")));
        EXPECT_TRUE(dirs.open(QIODevice::WriteOnly));
        dirs.write("XDG_DOCUMENTS_DIR=\"$HOME/\xE6\x96\x87\xE6\xA1\xA3\"\n");
        dirs.close();
        setenv("HOME", m_dir.path().toLocal8Bit().constData(), 1);
        setenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral(".config")).toLocal8Bit().constData(), 1);
    }
    ~CDocumentsFolder()
    {
        Restore("HOME", m_home);
        Restore("XDG_CONFIG_HOME", m_configHome);
    }
    CDocumentsFolder(const CDocumentsFolder&) = delete;
    CDocumentsFolder& operator=(const CDocumentsFolder&) = delete;

    QString Home() const { return m_dir.path(); }
    QString Documents() const { return m_dir.filePath(QString::fromUtf8("文档")); }
    void MakeDocuments() { EXPECT_TRUE(QDir().mkpath(Documents())); }
    void RemoveDocuments() { EXPECT_TRUE(QDir(Documents()).removeRecursively()); }

private:
    static std::optional<std::string> Saved(const char* pszName)
    {
        const char* pszValue = std::getenv(pszName);
        return pszValue ? std::optional<std::string>(pszValue) : std::nullopt;
    }
    static void Restore(const char* pszName, const std::optional<std::string>& value)
    {
        if (value)
            setenv(pszName, value->c_str(), 1);
        else
            unsetenv(pszName);
    }

    std::optional<std::string> m_home;
    std::optional<std::string> m_configHome;
    QTemporaryDir m_dir;
};
