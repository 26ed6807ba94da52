#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "platform/data_folder.h"
#include "print/print_support.h"

namespace tillora {
namespace {

constexpr QFile::Permissions kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

bool ownerOnly(const QString& path) {
    const QFile::Permissions p = QFile::permissions(path);
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                      QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    return (p & kOwnerOnly) == kOwnerOnly && (p & others) == 0;
}

// The built program, copied into a folder laid out as the given tree, run with a HOME of its own.
class ProgramTree {
  public:
    explicit ProgramTree(bool installed) {
        bin = installed ? root.filePath(QStringLiteral("usr/bin")) : root.path();
        QDir().mkpath(bin);
        home = root.filePath(QStringLiteral("home"));
        QDir().mkpath(home);
        program = QDir(bin).filePath(QStringLiteral("tillora"));
        QFile::copy(QStringLiteral(TILLORA_EXECUTABLE), program);
        QFile::setPermissions(program, kOwnerOnly);
        if (installed) {
            const QString lib = DataFolder::libraryFolder(bin);
            QDir().mkpath(lib);
            QFile::copy(QStringLiteral(TILLORA_PRINT_SUPPORT_MODULE),
                        QDir(lib).filePath(PrintSupport::moduleName()));
        }
    }

    // Exit code and standard output of the program with `argument`.
    std::pair<int, QString> run(const QString& argument) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home);
        environment.remove(QStringLiteral("XDG_DATA_HOME"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(home);
        process.start(program, {argument});
        process.waitForFinished(30000);
        return {process.exitCode(),
                QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed()};
    }

    QTemporaryDir root;
    QString bin;
    QString home;
    QString program;
};

// Run from a build, the data stays beside the executable, as it always did; nothing is made in
// the user's folders.
TEST(DataFolder, BuildKeepsTheDataBesideTheProgram) {
    ProgramTree tree(false);
    const auto [code, where] = tree.run(QStringLiteral("--where"));
    EXPECT_EQ(code, 0);
    EXPECT_EQ(where, tree.bin);
    EXPECT_FALSE(QFileInfo::exists(QDir(tree.home).filePath(QStringLiteral(".local"))));
}

// Installed, the program's folder is the system's: the data goes to the user's data folder, made
// owner-only, and the print module comes from the package's library folder beside the program.
TEST(DataFolder, InstalledKeepsTheDataInTheUsersFolder) {
    ProgramTree tree(true);
    const auto [code, where] = tree.run(QStringLiteral("--where"));
    EXPECT_EQ(code, 0);
    EXPECT_EQ(where, QDir(tree.home).filePath(QStringLiteral(".local/share/tillora")));
    EXPECT_TRUE(ownerOnly(where));

    const auto [loaded, module] = tree.run(QStringLiteral("--check-print-module"));
    EXPECT_EQ(loaded, 0);
    EXPECT_EQ(module,
              QDir(DataFolder::libraryFolder(tree.bin)).filePath(PrintSupport::moduleName()));
}

// A folder the user already has is used as it is: its modes are the user's choice.
TEST(DataFolder, EnsureMakesOwnerOnlyAndLeavesAnExistingFolderAlone) {
    QTemporaryDir root;
    const QString fresh = root.filePath(QStringLiteral("a/b/tillora"));
    ASSERT_TRUE(DataFolder::ensure(fresh));
    EXPECT_TRUE(ownerOnly(fresh));

    const QString shared = root.filePath(QStringLiteral("shared"));
    ASSERT_TRUE(QDir().mkdir(shared));
    const QFile::Permissions before = QFile::permissions(shared);
    EXPECT_TRUE(DataFolder::ensure(shared));
    EXPECT_EQ(QFile::permissions(shared), before);

    // A file in the way is no folder.
    QFile blocker(root.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(DataFolder::ensure(blocker.fileName()));
    EXPECT_FALSE(DataFolder::ensure(QString()));
}

}  // namespace
}  // namespace tillora
