#include "diary/messages.h"

using namespace Qt::StringLiterals;

namespace tsuzuri {

namespace {

QString rawText(Msg msg) {
    switch (msg) {
    case Msg::None:
        return {};
    case Msg::E1:
        return u"日にちが指定されていません｡カレンダー上の日にちをクリックして下さい"_s;
    case Msg::E2:
        return u"指定されたファイルが見つかりません"_s;
    case Msg::E3:
        return u"タイトルか本文のどちらかは入力して下さい"_s;
    case Msg::E4:
        return u"1～12(半角)の間で入力して下さい"_s;
    case Msg::E5:
        return u"1900～2999(半角)の間で入力して下さい"_s;
    case Msg::E6:
        return u"日記がありません"_s;
    case Msg::E7:
        return u"HTMLデータがありません"_s;
    case Msg::ErrorOccurred:
        return u"エラーが発生しました。"_s;
    case Msg::MediaNamesUnterminated:
        return u"画像ファイル名の後ろに「;」がありません。\r\n"
               u"ドラッグ＆ドロップで画像ファイルを選択するか、各画像ファイル名の最後に半角の「;"
               u"」を付加して下さい。\r\n"
               u"複数画像の場合、最後の画像ファイル名の後にも「;」が必要です。"_s;
    case Msg::YearNotNumeric:
        return u"半角数値で入力して下さい"_s;
    case Msg::NoDaySelected:
        return u"日にちが選択されていません。"_s;
    case Msg::StartupFailed:
        return u"【fdir.ini】ファイルが存在しないか、日記のHTMLファイルが壊れています。\r\n説明書を参照して下さい。"_s;
    case Msg::FolderMissingCreate:
        return u"指定されたフォルダは存在しません\r\n%1フォルダを作成しますか？"_s;
    case Msg::FolderCreated:
        return u"%1フォルダを作成しました。"_s;
    case Msg::FolderNameChanged:
        return u"フォルダ名が変更されました。\r\n日記フォルダを新規作成、または切り替えますか？"_s;
    case Msg::TemplatesNotCopied:
        return u"[calender.css][calender.js]のテンプレートはコピーされませんでした。\r\n"
               u"当ソフトと同じフォルダに[calender.css][calender.js]のテンプレートが存在しているかチェックして下さい。"_s;
    // These two join their sentences with a lone CR, as they always have.
    case Msg::ImageFolderMissing:
        return u"エラーが発生しました。\r対象の日記フォルダ内に[image]フォルダが存在するか確認して下さい。"_s;
    case Msg::SettingsLoadFailed:
        return u"エラーが発生しました。\r[diary]フォルダが存在するか確認して下さい。"_s;
    case Msg::ImageSizeNotSet:
        return u"画像サイズが設定されていません。\r\n「その他の設定」タブから画像サイズを設定して下さい。"_s;
    case Msg::UploadConfirm:
        return u"【 %1 】内の選択されたファイルを\r\n【 %2 】配下にアップロードします。\r\nよろしいですか？"_s;
    case Msg::UploadDone:
        return u"アップロード完了"_s;
    case Msg::PageUnreadable:
        return u"日記のHTMLファイル【 %1 】を読み込めませんでした。\r\n"
               u"この月の日記は上書きされないよう、HTMLの作成を止めています。"_s;
    case Msg::PageTooManyEntries:
        return u"日記のHTMLファイル【 %1 】には32件以上の日記があるため、すべては読み込めませんでした。\r\n"
               u"この月の日記は上書きされないよう、HTMLの作成を止めています。"_s;
    case Msg::PageIncomplete:
        return u"日記のHTMLファイル【 %1 "
               u"】は途中で切れているか日記の形式ではないため、すべては読み込めませんでした。\r\n"
               u"この月の日記は上書きされないよう、HTMLの作成を止めています。"_s;
    case Msg::MonthNotWritable:
        return u"日記のHTMLファイル【 %1 】は正しく読み込めなかったため、HTMLを作成しませんでした。\r\n"
               u"ファイルを確認して下さい。"_s;
    case Msg::SiteMonthsSkipped:
        return u"次の日記のHTMLファイルは正しく読み込めなかったため、目次(index.html)とフィード(feed.xml)"
               u"に載せていません。\r\n"
               u"%1"_s;
    case Msg::SiteFileNotOurs:
        return u"日記フォルダの【 %1 】は当ソフトで作ったファイルではないため、上書きしませんでした。"_s;
    case Msg::EntryTableFull:
        return u"この月の日記はすでに31件あるため、%1の日記を保存できません。"_s;
    case Msg::WriteFailed:
        return u"エラーが発生しました。\r\nファイル【 %1 】に書き込めませんでした。前の内容はそのまま残っています。"_s;
    case Msg::CannotEncode:
        return u"%1に保存できない文字が含まれています。\r\n保存しませんでした。"_s;
    case Msg::LineBreakInSetting:
        return u"%1に改行は入力できません。\r\n保存しませんでした。"_s;
    case Msg::FolderCreateFailed:
        return u"フォルダ【 %1 】を作成できませんでした。"_s;
    case Msg::UnsavedEdits:
        return u"HTMLに書き出していない日記があります。\r\n先にHTMLを作成しますか？"_s;
    case Msg::ErrorWithReason:
        return u"エラーが発生しました。\r\n%1"_s;
    case Msg::LaunchFailed:
        return u"%1を起動できませんでした。\r\n%2"_s;
    case Msg::CopyFailed:
        return u"次のファイルを[image]フォルダにコピーできませんでした。\r\n%1"_s;
    case Msg::DropRejected:
        return u"次のものはファイルではないか読み込めないため、追加しませんでした。\r\n%1"_s;
    case Msg::ReplaceExisting:
        return u"[image]フォルダには別の「%1」がすでにあります。\r\n置き換えますか、それとも「%2」という名前で追加しますか？"_s;
    case Msg::UploadRefusedName:
        return u"改行を含む名前はアップロードできません。\r\n%1"_s;
    case Msg::UploadEntryMissing:
        return u"選択された【 %1 】が日記フォルダ内に見つかりません。\r\n再読込みしてから選択し直して下さい。"_s;
    case Msg::UploadCancelled:
        return u"アップロードを中止しました。"_s;
    case Msg::UploadFileUnreadable:
        return u"エラーが発生しました。\r\nファイル【 %1 】を読み込めませんでした。"_s;
    case Msg::UploadNameNotEncodable:
        return u"エラーが発生しました。\r\n【 %1 】にはサーバーの文字コード(Shift_JIS)で送れない文字が含まれています。"_s;
    case Msg::UploadBadHost:
        return u"エラーが発生しました。\r\n接続先【 %1 】が正しくありません。ホスト名か「ホスト名:ポート番号」を入力して下さい。"_s;
    case Msg::UploadBadLogin:
        return u"エラーが発生しました。\r\nユーザーIDかパスワードに改行が含まれています。"_s;
    case Msg::ImageCleanupFailed:
        return u"エラーが発生しました。\r\n[image]フォルダ内の次のファイルを削除できませんでした。\r\n%1"_s;
    case Msg::UploadRunningOnClose:
        return u"アップロード中です。\r\nアップロードを中止して終了しますか？"_s;
    case Msg::MediaNameUnusable:
        return u"次のファイルは名前に「;」か改行などの制御文字を含むため、追加しませんでした。\r\n%1"_s;
    case Msg::NoTextEditor:
        return u"テキストエディタが見つかりませんでした。\r\n"
               u"既定のテキストエディタを設定するか、環境変数 VISUAL または EDITOR にエディタを指定して下さい。"_s;
    case Msg::ProgramNotStarted:
        return u"プログラムが見つからないか、実行できませんでした。"_s;
    case Msg::ProgramFailed:
        return u"%1がエラーで終了しました（終了コード %2）。\r\n%3"_s;
    case Msg::NoTerminalForEditor:
        return u"テキストエディタ「%1」は端末の中で動くエディタですが、端末エミュレータ(x-terminal-emulator)が"
               u"見つかりませんでした。\r\n既定のテキストエディタを設定して下さい。"_s;
    case Msg::BlockedUnreadable:
        return u"この月のHTMLファイル【 %1 】を読み込めませんでした。上書きしないよう、表示のみで書き込みはしません。"_s;
    case Msg::BlockedTooManyEntries:
        return u"この月のHTMLファイル【 %1 】には32件以上の日記があり、すべては読み込めませんでした。"
               u"上書きしないよう、表示のみで書き込みはしません。"_s;
    case Msg::BlockedIncomplete:
        return u"この月のHTMLファイル【 %1 】は途中で切れているか日記の形式ではないため、すべては読み込めませんでした。"
               u"上書きしないよう、表示のみで書き込みはしません。"_s;
    case Msg::ClearBodyConfirm:
        return u"本文（%1行）を削除しますか？\r\n削除した後も Ctrl+Z で元に戻せます。"_s;
    case Msg::PageWritten:
        return u"%1 を書き出しました。"_s;
    case Msg::SettingsSaved:
        return u"設定を %1 に保存しました。"_s;
    case Msg::FolderSwitched:
        return u"日記フォルダ【 %1 】を表示しています。"_s;
    case Msg::SizeNotNumber:
        return u"%1には半角の数字を入力して下さい。\r\n保存しませんでした。"_s;
    case Msg::PageNotYetWritten:
        return u"この月のHTMLファイル【 %1 】はまだ作成されていません。\r\n先にHTMLを作成しますか？"_s;
    case Msg::PageDoesNotExist:
        return u"HTMLファイル【 %1 】はまだありません。"_s;
    case Msg::BackupWithPassword:
        return u"FTPのパスワードもバックアップに含めますか？\r\n含めると、バックアップはあなただけが読めるファイルになります。"_s;
    case Msg::BackupDoneLeftOut:
        return u"バックアップ【 %1 】を作成しました。\r\n次のものはファイルではないため(リンクなど)、含めませんでした。\r\n%2"_s;
    case Msg::RestoreAskName:
        return u"復元する日記フォルダの名前を入力して下さい。"_s;
    case Msg::ShowRestoredFolder:
        return u"復元した日記フォルダ【 %1 】を表示しますか？"_s;
    case Msg::FdirNameInvalid:
        return u"ini/fdir.ini の日記フォルダ名【 %1 】は使えない名前のため、【 diary 】フォルダを表示します。"_s;
    case Msg::RecoverJournal:
        return u"前回、HTMLに書き出していない日記が残っています。復元しますか？"_s;
    case Msg::FolderOutsideProgram:
        return u"日記フォルダはプログラムのフォルダ【 %1 】の中に置きます。\r\nその中のフォルダを選択して下さい。"_s;
    case Msg::SearchIncomplete:
        return u"次の月は日記のHTMLファイルを最後まで読み込めなかったため、読み込めた所までを検索しました。\r\n%1"_s;
    case Msg::BackupDone:
        return u"バックアップ【 %1 】を作成しました。"_s;
    case Msg::BackupFolderMissing:
        return u"日記フォルダ【 %1 】が見つからないため、バックアップを作成しませんでした。"_s;
    case Msg::BackupFileUnreadable:
        return u"ファイル【 %1 】を読み込めなかったため、バックアップを作成しませんでした。"_s;
    case Msg::BackupCancelled:
        return u"バックアップを中止しました。"_s;
    case Msg::BackupLeftOut:
        return u"次のものはファイルではないため(リンクなど)、バックアップに含めませんでした。\r\n%1"_s;
    case Msg::RestoreDone:
        return u"日記フォルダ【 %1 】を復元しました。\r\n"
               u"月のページ %2 件、画像・動画 %3 件、その他のファイル %4 件、設定ファイル %5 件"_s;
    case Msg::RestoreNoPassword:
        return u"このバックアップにはFTPのパスワードが含まれていないため、パスワードは空になっています。"_s;
    case Msg::RestoreBadName:
        return u"【 %1 】は日記フォルダの名前に使えません。"_s;
    case Msg::RestoreDamaged:
        return u"バックアップ【 %1 】は読み込めないか壊れているため、何も復元しませんでした。"_s;
    case Msg::RestoreNotBackup:
        return u"【 %1 】は綴のバックアップではないため(目録がありません)、何も復元しませんでした。"_s;
    case Msg::RestoreUnsafeEntry:
        return u"バックアップ【 %1 】には日記フォルダの外を指す項目かリンク【 %2 】が含まれているため、"
               u"何も復元しませんでした。"_s;
    case Msg::RestoreFileMismatch:
        return u"バックアップ【 %1 】の【 %2 】が目録と一致しない(壊れている)ため、何も復元しませんでした。"_s;
    case Msg::RestoreFolderExists:
        return u"日記フォルダ【 %1 】はすでにあるため、復元しませんでした。\r\n別の名前を指定して下さい。"_s;
    case Msg::RestoreSettingsExist:
        return u"設定ファイル【 %1 】がすでにあるため、復元しませんでした。\r\n別の名前を指定して下さい。"_s;
    case Msg::RestoreWriteFailed:
        return u"【 %1 】に書き込めなかったため、何も復元しませんでした。"_s;
    case Msg::RestoreCancelled:
        return u"復元を中止しました。何も復元していません。"_s;
    case Msg::TextNotWritable:
        return u"%1に、HTMLに書き込めない文字（改行やNUL文字など）が含まれています。\r\nHTMLを作成しませんでした。"_s;
    case Msg::DiaryFolderNameInvalid:
        return u"日記フォルダ名【 %1 】は使えません。\r\n"
               u"日記フォルダ名には、当ソフトのあるフォルダの中のフォルダ名を一つだけ指定して下さい。\r\n"
               u"（空の名前、「.」「..」、「/」「\\」を含む名前、末尾が空白か「.」の名前、設定ファイル用の「ini」は使えません）"_s;
    case Msg::UploadEntryInvalid:
        return u"【 %1 】は日記フォルダの中にあるファイルやフォルダを指していないため、アップロードできません。\r\n"
               u"「[フォルダ]」か「[ファイル]」の後に、日記フォルダの中の名前を一つだけ指定して下さい。"_s;
    case Msg::UploadNamesUndecodable:
        return u"次のファイルは名前をこのシステムの文字コードで読めないため、アップロードできません。\r\n"
               u"名前を付け直してから、もう一度アップロードして下さい。\r\n%1"_s;
    case Msg::UploadBadPort:
        return u"エラーが発生しました。\r\nポート番号【 %1 】が正しくありません。1～65535の数字を入力するか、空欄にして下さい。"_s;
    case Msg::UploadTlsRefused:
        return u"エラーが発生しました。\r\n接続先【 %1 】はFTPS(AUTH TLS)に対応していないため、接続を止めました。"
               u"パスワードもファイルも送っていません。\r\n接続方式を確認して下さい。"_s;
    case Msg::CertificateNotTrusted:
        return u"接続先【 %1 】のサーバー証明書を確認できませんでした"
               u"（自己署名の証明書か、名前が接続先と一致しない証明書です）。まだ何も送っていません。\r\n"
               u"証明書のフィンガープリント(SHA-256):\r\n%2\r\n"
               u"サーバーの管理者が示すものと同じであれば、この証明書を信頼して接続できます。\r\n"
               u"この証明書を信頼して接続しますか？"_s;
    case Msg::HostKeyNotTrusted:
        return u"接続先【 %1 】のホスト鍵はまだ信頼されていません（初めての接続先です）。まだ何も送っていません。\r\n"
               u"ホスト鍵のフィンガープリント(SHA-256):\r\n%2\r\n"
               u"サーバーの管理者が示すものと同じであれば、このホスト鍵を信頼して接続できます。\r\n"
               u"このホスト鍵を信頼して接続しますか？"_s;
    case Msg::CertificateChanged:
        return u"警告：接続先【 %1 】のサーバー証明書が、信頼した時のものから変わっています。\r\n"
               u"別のサーバーがなりすましているおそれがあるため、接続を止めました。何も送っていません。\r\n"
               u"信頼した証明書: %2\r\n今回の証明書: %3\r\n"
               u"サーバーの管理者に確認し、変更が正しい場合だけ、【 %4 】からこの接続先の証明書を削除して"
               u"もう一度アップロードして下さい。"_s;
    case Msg::HostKeyChanged:
        return u"警告：接続先【 %1 】のホスト鍵が、信頼した時のものから変わっています。\r\n"
               u"別のサーバーがなりすましているおそれがあるため、接続を止めました。何も送っていません。\r\n"
               u"信頼したホスト鍵: %2\r\n今回のホスト鍵: %3\r\n"
               u"サーバーの管理者に確認し、変更が正しい場合だけ、【 %4 】からこの接続先の行を削除して"
               u"もう一度アップロードして下さい。"_s;
    case Msg::UploadPlanned:
        return u"送るファイル: %1 件（%2）\r\n前回から変更がないため送らないファイル: %3 件"_s;
    case Msg::PasswordInFile:
        return u"このシステムではキーリング（パスワードの保管場所）が使えないため、パスワードは設定ファイル"
               u"【 %1 】に保存しました。\r\nこのファイルはあなただけが読み書きできます。"_s;
    case Msg::PasswordKeyringFailed:
        return u"キーリングにパスワードを保存できなかったため、設定ファイル【 %1 】に保存しました。\r\n%2"_s;
    }
    return {};
}

} // namespace

QString messageText(Msg msg, const QStringList& args) {
    QString text = rawText(msg);
    // Arguments are user text (folder names, paths): substitute them in one pass so a "%2" typed
    // into a folder name is never taken for a placeholder.
    if (args.isEmpty())
        return text;
    QString out;
    out.reserve(text.size() + 64);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'%' && i + 1 < text.size() && text[i + 1].isDigit()) {
            const int n = text[i + 1].digitValue();
            if (n >= 1 && n <= args.size()) {
                out += args[n - 1];
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

QString codedMessageText(const QString& code) {
    static constexpr Msg coded[] = {Msg::E1, Msg::E2, Msg::E3, Msg::E4, Msg::E5, Msg::E6, Msg::E7};
    for (int i = 0; i < 7; ++i) {
        if (code == u"e"_s + QString::number(i + 1))
            return rawText(coded[i]);
    }
    return {};
}

} // namespace tsuzuri
