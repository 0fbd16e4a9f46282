#pragma once

#include "about_text.h"

#include <QIcon>
#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace tarvo {

// What the About window needs from the rest of the program.
class AboutEnvironment {
  public:
    virtual ~AboutEnvironment() = default;
    // Polls the line once and builds the information text anew.
    virtual QString description() = 0;
    virtual QIcon mainIcon() const = 0;
    virtual int aboutWatch() const = 0;
    virtual int aboutWatchTime() const = 0;
    // False when no system-information tool could be started.
    virtual bool startSystemInfo() = 0;
    virtual void showMessage(const QString &text) = 0;
};

inline const QString kDisclaimer =
    QStringLiteral("本ソフトウェアは、個人の責任を持って使用していただくものです。\r\n"
                   "本ソフトウェアを使用しての、如何なる責任も作成者には無い物とします。\r\n"
                   "使用する使用者が、全責任を負うものとします。");
inline const QString kSysInfoMissing = QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません");

// The About window: title, version, the system and connection text, the disclaimer.
class FrmAbout : public QWidget {
    Q_OBJECT
  public:
    FrmAbout(AboutEnvironment &environment, const QString &title, const QString &versionText,
             QWidget *parent = nullptr);

    void RefreshAboutInfo();
    void StartSysInfo();
    void TimerAboutWatchTick();
    QTimer *timer() const { return timer_; }

  signals:
    void unloaded();

  protected:
    void closeEvent(QCloseEvent *event) override;

  private:
    AboutEnvironment &env_;
    QLabel *picIcon_;
    QPlainTextEdit *txtDescription_;
    QTimer *timer_;
    AboutRefreshCounter counter_;
};

} // namespace tarvo
