// The pop-up help: a short text on most controls while "ポップアップヘルプを使用" is checked.
#include "frm_option.h"

#include <QCheckBox>

namespace tarvo::options {

namespace {
struct Tip {
    const char *name;
    int first; // -1: not an array
    int last;
    const char *text;
};

// In the order the texts are set.
constexpr Tip kTips[] = {
    {"chkPopHelp", -1, -1, "簡易ヘルプ"},
    {"txtCount", -1, -1, "最大接続回数"},
    {"txtSTime", -1, -1, "再接続間隔"},
    {"chkAutoStart", -1, -1, "自動接続機能有無"},
    {"cmdTime", -1, -1, "テレホーダイに時間設定"},
    {"txtStartTime", -1, -1, "接続開始時刻"},
    {"txtEndTime", -1, -1, "接続終了時刻"},
    {"chkEnd", -1, -1, "回線切断後イベント"},
    {"chkSEnd", -1, -1, "回線未接続状態でも終了"},
    {"optEndType", 0, 0, "WINDOWSを終了し電源を落とす"},
    {"optEndType", 1, 1, "WINDOWSをログオフする"},
    {"optEndType", 2, 2, "WINDOWSを再起動する"},
    {"optEndType", 3, 3, "WINDOWSを強制終了する"},
    {"optEndType", 4, 4, "WINDOWSの電源を落とせるようにする"},
    {"MSFlexGrid", -1, -1, "認識可能Corvastine一覧"},
    {"lblIP", 0, 3, "使用するCorvastineNet用IP"},
    {"lblMask", 0, 3, "IPマスク"},
    {"cmdPort", -1, -1, "使用する接続先ポート"},
    {"optDialList", 0, 2, "使用する接続先"},
    {"ChkStart", -1, -1, "自動的に実行する作業の有無"},
    {"chkAPIEnd", -1, -1, "Tarvoで起動したファイルをTarvo終了時か回線切断時に終了させる"},
    {"chkTerehoStart", -1, -1, "テレホーダイ時のみ有効"},
    {"txtKStartTime", -1, -1, "実行ファイル起動間隔設定"},
    {"chkStartData", 0, 4, "登録されたファイルを実行するか選択"},
    {"txtStartData", 0, 4, "実行するかファイルをフルパスで選択"},
    {"txtOptionData", 0, 4, "起動時に付加するオプション"},
    {"cmdStartData", 0, 4, "簡易登録ボタン"},
    {"chkGoStart", -1, -1, "連動起動ボタンをスタートに表示"},
    {"chkGoEnd", -1, -1, "連動終了ボタンをスタートに表示"},
    {"chkStartMunDisp", -1, -1, "登録されたファイルを自動起動に関わらずスタートに表示"},
    {"chkFTP", -1, -1, "IP情報をFTP転送可能にするか選択"},
    {"chkTerehoStartFTP", -1, -1, "テレホーダイ時のみ有効"},
    {"txtFTPName", -1, -1, "サーバーアクセス時の有効なユーザー名"},
    {"txtFTPPassword", -1, -1, "サーバーアクセス時の有効なパスワード"},
    {"txtFTPHOST", -1, -1, "接続先サーバー"},
    {"txtFTPll", -1, -1, "格納場所を指定(存在しない階層は無効)"},
    {"txtFTPPORT", -1, -1, "使用ポート"},
    {"txtFTPFileName", -1, -1, "転送用ファイル名"},
    {"cmdColor", 0, 0, "IP情報表示時フォントカラー"},
    {"cmdColor", 1, 1, "IP情報表示時バックカラー"},
    {"chkGotoIpPage", -1, -1, "表示IP情報にリンクを編集する"},
    {"chkAutoGoto", -1, -1, "表示IPへ自動的に移動可能にする"},
    {"chkWatch", -1, -1, "定期的な接続状況の監視の有無"},
    {"txtWatchTime", -1, -1, "監視の間隔"},
    {"chkTerehoSts", -1, -1, "テレホーダイ時のみ有効"},
    {"chkWatchAutoStart", -1, -1, "無条件接続を試みる"},
    {"chkWatch2", -1, -1, "時計サーバーにアクセスし時間取得"},
    {"txtWatchTime2", -1, -1, "時計サーバーアクセス間隔"},
    {"chkTerehoSts2", -1, -1, "テレホーダイ時のみ有効"},
    {"ComboIP", -1, -1, "接続先サーバー一覧"},
    {"txtWatchTime3", -1, -1, "補正対象とする誤差"},
    {"txtTimeZisa", -1, -1, "日本時間を設定"},
    {"cmdTimeSaver", -1, -1, "サーバー生存確認"},
    {"txtTimeSaver", -1, -1, "取得内容表示"},
    {"chkAboutWatch", -1, -1, "情報表示画面の定期的情報更新を行う"},
    {"txtAboutWatch", -1, -1, "更新間隔"},
    {"chkCorvastineWatch", -1, -1, "Corvastineの位置が不明の時、定期的に検索"},
    {"chkmunStatus", 0, 0, "スタートメニュー表示/非表示"},
    {"chkmunStatus", 1, 1, "ＩＰ取得メニュー表示/非表示"},
    {"chkmunStatus", 2, 2, "ＩＰ ＦＴＰ転送メニュー表示/非表示"},
    {"chkmunStatus", 3, 3, "ローカルＩＰ取得メニュー表示/非表示"},
    {"chkmunStatus", 4, 4, "ローカルＩＰ ＦＴＰ転送メニュー表示/非表示"},
    {"chkmunStatus", 5, 5, "情報表示メニュー表示/非表示"},
    {"chkmunStatus", 6, 6, "ヘルプメニュー表示/非表示"},
    {"chkMainmunStatus", 0, 0, "ＩＰ取得メニュー表示/非表示"},
    {"chkMainmunStatus", 1, 1, "ローカルＩＰ取得メニュー表示/非表示"},
    {"chkLOG", -1, -1, "接続・切断記録を残す"},
    {"CheckTRY", -1, -1, "起動時にタスクトレイに収納"},
    {"chkTopDisp", -1, -1, "再起動後有効"},
    {"chkTopMonitor", -1, -1, "再表示後有効"},
    {"chkMonitorAutoSave", -1, -1, "モニター終了時に現状位置とサイズを記録"},
    {"txtMonitorPoint", 0, 0, "モニターの位置Ｘ軸"},
    {"txtMonitorPoint", 1, 1, "モニターの位置Ｙ軸"},
    // The third field is the width and the fourth the height, as their captions say.
    {"txtMonitorPoint", 2, 2, "モニターの幅"},
    {"txtMonitorPoint", 3, 3, "モニターの高さ"},
    {"chkMonitorKakushi", -1, -1, "上端に設置しマウスが範囲外の時、自動的に隠す"},
    {"chkMaxNewSort", -1, -1, "モニター上での最大値を毎回取得"},
    {"OptMonitorType", 0, 0, "折れ線グラフ形式で表示"},
    {"OptMonitorType", 1, 1, "ポイントを円で表示"},
    {"OptMonitorType", 2, 2, "線と円の複合"},
    {"txtMonitorPointSu", -1, -1, "モニターに表示するデータ数"},
};
} // namespace

void FrmOption::ShowOptionTips() {
    const bool on = checked(QStringLiteral("chkPopHelp"));
    for (const Tip &tip : kTips) {
        const QString text = on ? QString::fromUtf8(tip.text) : QString();
        if (tip.first < 0) {
            control(QString::fromLatin1(tip.name))->setToolTip(text);
            continue;
        }
        for (int i = tip.first; i <= tip.last; ++i)
            control(Indexed(tip.name, i))->setToolTip(text);
    }
}

} // namespace tarvo::options
