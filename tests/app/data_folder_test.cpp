// Where the program keeps its files: beside itself when it can write there, in the user's
// configuration folder when it cannot. Settings saved by one run are read by the next.
#include "data_folder.h"
#include "settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvo {
namespace {

struct NoEffects : settings::SettingsEffects {
    void showStartMenu(const settings::StartMenuView &) override {}
    void fillTimeServerList() override {}
    void armWatchTimer(settings::WatchTimer) override {}
    void stopWatchTimer(settings::WatchTimer) override {}
    void showPopupMenus(const settings::PopupMenuView &) override {}
    void setMonitorGeometry(const settings::MonitorGeometry &) override {}
    void recreateTrafficHistory(int) override {}
};

mode_t modeOf(const QString &path) {
    struct stat st {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
    return st.st_mode & 07777;
}

// One start of the program: the folder is chosen, the settings are loaded, changed and saved.
// Returns the folder chosen and what the load found in `IP` before the change.
std::pair<QString, std::string> run(const QString &programFolder, const QProcessEnvironment &env,
                                    const std::string &newIp) {
    const QString data = ChooseDataFolder(programFolder, env);
    NoEffects effects;
    settings::Settings store(data.toStdString(), programFolder.toStdString(), {1, 2, 0}, effects);
    EXPECT_EQ(store.LoadStandard(), 0);
    EXPECT_EQ(store.LoadConnectionStart(), 0);
    const std::string found = store.Standard.IP;
    store.Standard.IP = newIp;
    EXPECT_EQ(store.SaveStandard(), 0);
    // Registered programs still default to the program's own folder.
    EXPECT_EQ(store.ConnectionStart.StartDirData[0], programFolder.toStdString());
    return {data, found};
}

class DataFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        program = home.path() + QStringLiteral("/opt/tarvo");
        ASSERT_TRUE(QDir().mkpath(program));
        env.insert(QStringLiteral("HOME"), home.path());
    }

    // Makes the program folder unwritable for this process: a read-only mount of it in a mount
    // namespace of the test's own when root (whom modes do not stop), its mode otherwise.
    void makeProgramFolderReadOnly() {
        const QByteArray path = QFile::encodeName(program);
        if (::geteuid() != 0) {
            ASSERT_EQ(::chmod(path.constData(), 0555), 0);
            return;
        }
        if (::unshare(CLONE_NEWNS) != 0) GTEST_SKIP() << "no mount namespace: " << errno;
        ASSERT_EQ(::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr), 0);
        ASSERT_EQ(::mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr), 0);
        ASSERT_EQ(
            ::mount(nullptr, path.constData(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr),
            0)
            << errno;
        mounted = true;
    }
    void TearDown() override {
        if (mounted) ::umount2(QFile::encodeName(program).constData(), MNT_DETACH);
        QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner);
    }

    QTemporaryDir home;
    QString program;
    QProcessEnvironment env;
    bool mounted = false;
};

TEST_F(DataFolderTest, AWritableProgramFolderKeepsTheFilesBesideTheProgram) {
    EXPECT_EQ(run(program, env, "10.0.0.7"), std::make_pair(program, std::string("0.0.0.0")));
    EXPECT_EQ(run(program, env, "10.0.0.8").second, "10.0.0.7") << "the next run reads it back";
    EXPECT_TRUE(QFile::exists(program + QStringLiteral("/InitData.ini")));
    EXPECT_FALSE(QFileInfo::exists(home.path() + QStringLiteral("/.config"))) << "nothing made";
}

// Root can write the folder the package manager installed the program into; the install's mark
// keeps the files out of it all the same.
TEST_F(DataFolderTest, AnInstalledCopyUsesTheConfigFolderEvenWhereItCouldWrite) {
    QFile marker(program + QStringLiteral("/installed-copy.txt"));
    ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
    marker.close();
    ASSERT_TRUE(IsWritableFolder(program));
    const QString config = home.path() + QStringLiteral("/.config/Tarvo");
    EXPECT_EQ(run(program, env, "10.0.0.7"), std::make_pair(config, std::string("0.0.0.0")));
    EXPECT_EQ(run(program, env, "10.0.0.8").second, "10.0.0.7");
    EXPECT_FALSE(QFile::exists(program + QStringLiteral("/InitData.ini")));
}

TEST_F(DataFolderTest, AReadOnlyProgramFolderUsesThePrivateConfigFolder) {
    makeProgramFolderReadOnly();
    if (IsSkipped()) return;
    ASSERT_FALSE(IsWritableFolder(program));
    const QString config = home.path() + QStringLiteral("/.config/Tarvo");

    EXPECT_EQ(run(program, env, "10.0.0.7"), std::make_pair(config, std::string("0.0.0.0")));
    EXPECT_EQ(modeOf(config), 0700u);
    EXPECT_EQ(modeOf(home.path() + QStringLiteral("/.config")), 0700u);
    EXPECT_EQ(run(program, env, "10.0.0.8").second, "10.0.0.7") << "the next run reads it back";
    EXPECT_TRUE(QFile::exists(config + QStringLiteral("/InitData.ini")));
    EXPECT_TRUE(QDir(program).isEmpty()) << "nothing written beside the program";

    // $XDG_CONFIG_HOME, when set, is the configuration folder.
    QProcessEnvironment xdg = env;
    xdg.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/xdg"));
    EXPECT_EQ(ChooseDataFolder(program, xdg), home.path() + QStringLiteral("/xdg/Tarvo"));
}

TEST_F(DataFolderTest, AnExistingConfigFolderKeepsTheModeItsUserGaveIt) {
    makeProgramFolderReadOnly();
    if (IsSkipped()) return;
    const QString config = home.path() + QStringLiteral("/.config/Tarvo");
    ASSERT_TRUE(QDir().mkpath(config));
    ASSERT_EQ(::chmod(QFile::encodeName(config).constData(), 0750), 0);
    EXPECT_EQ(ChooseDataFolder(program, env), config);
    EXPECT_EQ(modeOf(config), 0750u);
}

TEST_F(DataFolderTest, WithoutAHomeTheProgramFolderIsAllThereIs) {
    makeProgramFolderReadOnly();
    if (IsSkipped()) return;
    EXPECT_EQ(ChooseDataFolder(program, QProcessEnvironment()), program);
}

} // namespace
} // namespace tarvo
