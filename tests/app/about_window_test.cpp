// The About window with a fake environment: captions, read-only texts, the refresh timer and
// the system-information button.
#include "frm_about.h"
#include "qstring_printer.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace tarvo {
namespace {

class FakeAboutEnvironment : public AboutEnvironment {
  public:
    int built = 0;
    int watch = 0, watchTime = 30;
    bool toolStarts = false;
    QStringList messages;
    QString description() override {
        ++built;
        return QStringLiteral("line %1\r\nsecond").arg(built);
    }
    QIcon mainIcon() const override { return {}; }
    int aboutWatch() const override { return watch; }
    int aboutWatchTime() const override { return watchTime; }
    bool startSystemInfo() override { return toolStarts; }
    void showMessage(const QString &text) override { messages << text; }
};

template <typename T> T *child(QWidget &w, const char *name) {
    T *c = w.findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

TEST(AboutWindowTest, CaptionsTextsAndReadOnly) {
    FakeAboutEnvironment env;
    FrmAbout w(env, QStringLiteral("Corvastine操作ﾂｰﾙ"), QStringLiteral("ﾊﾞｰｼﾞｮﾝ 1.2.3"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Corvastine操作ﾂｰﾙのﾊﾞｰｼﾞｮﾝ情報"));
    EXPECT_EQ(child<QLabel>(w, "lblTitle")->text(), QStringLiteral("Corvastine操作ﾂｰﾙ"));
    EXPECT_EQ(child<QLabel>(w, "lblVersion")->text(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ 1.2.3"));
    EXPECT_EQ(child<QPushButton>(w, "cmdOK")->text(), QStringLiteral("OK"));
    EXPECT_EQ(child<QPushButton>(w, "cmdSysInfo")->text(), QStringLiteral("ｼｽﾃﾑ情報(&S)..."));
    auto *description = child<QPlainTextEdit>(w, "txtDescription");
    EXPECT_EQ(description->toPlainText(), QStringLiteral("line 1\nsecond"));
    EXPECT_EQ(
        child<QPlainTextEdit>(w, "txtDisclaimer")->toPlainText(),
        QStringLiteral("本ソフトウェアは、個人の責任を持って使用していただくものです。\n"
                       "本ソフトウェアを使用しての、如何なる責任も作成者には無い物とします。\n"
                       "使用する使用者が、全責任を負うものとします。"));
    w.show();
    description->setFocus();
    QTest::keyClicks(description, QStringLiteral("abc"));
    EXPECT_EQ(description->toPlainText(), QStringLiteral("line 1\nsecond"));
    EXPECT_FALSE(w.timer()->isActive()); // AboutWatch 0: built only on opening
}

TEST(AboutWindowTest, RefreshTimerFollowsAboutWatch) {
    FakeAboutEnvironment env;
    env.watch = 1;
    env.watchTime = 3;
    FrmAbout w(env, QStringLiteral("T"), QStringLiteral("V"));
    EXPECT_EQ(w.timer()->interval(), 60000);
    EXPECT_TRUE(w.timer()->isActive());
    for (int minute = 1; minute <= 6; ++minute)
        w.TimerAboutWatchTick();
    EXPECT_EQ(env.built, 3); // on opening, at 3 and at 6 minutes
    env.watch = 0;
    w.TimerAboutWatchTick();
    EXPECT_FALSE(w.timer()->isActive());
}

TEST(AboutWindowTest, SystemInformationToolOrMessage) {
    FakeAboutEnvironment env;
    FrmAbout w(env, QStringLiteral("T"), QStringLiteral("V"));
    child<QPushButton>(w, "cmdSysInfo")->click();
    EXPECT_EQ(env.messages, QStringList{QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません")});
    env.toolStarts = true;
    child<QPushButton>(w, "cmdSysInfo")->click();
    EXPECT_EQ(env.messages.size(), 1);
}

} // namespace
} // namespace tarvo
