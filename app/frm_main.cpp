#include "ui/frm_main.h"

#include "diary/messages.h"
#include "ui/day_cell.h"
#include "ui/qt_services.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDate>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <exception>

using namespace Qt::StringLiterals;

namespace tsuzuri {

namespace {

template <class W>
W* named(W* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

QLabel* note(const QString& text) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    return label;
}

QLineEdit* lineEdit(const QString& name, int width = 0) {
    auto* edit = named(new QLineEdit, name);
    if (width > 0)
        edit->setFixedWidth(width);
    return edit;
}

QPlainTextEdit* snippetBox(const QString& name) {
    auto* box = named(new QPlainTextEdit, name);
    box->setReadOnly(true);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    return box;
}

} // namespace

frmMain::frmMain(QString programFolder, Services services, QWidget* parent)
    : QMainWindow(parent), programFolder_(std::move(programFolder)), services_(services) {
    Q_ASSERT(services_.messages && services_.clock && services_.clipboard);
    setObjectName(u"frmMain"_s);
    setWindowTitle(applicationTitle());

    buildMenus();

    auto* central = new QWidget;
    auto* outer = new QVBoxLayout(central);
    outer->addWidget(buildTopBar());
    auto* body = new QHBoxLayout;
    body->addWidget(buildCalendarColumn(), 0);

    SSTab1 = named(new QTabWidget, u"SSTab1"_s);
    SSTab1->addTab(buildDiaryTab(), u"日記"_s);
    SSTab1->addTab(buildSnippetsTab(), u"カレンダー"_s);
    SSTab1->addTab(buildLinksTab(), u"過去日記へのリンク"_s);
    SSTab1->addTab(buildUploadTab(), u"アップロード"_s);
    SSTab1->addTab(buildSettingsTab(), u"その他の設定"_s);
    body->addWidget(SSTab1, 1);
    outer->addLayout(body, 1);
    setCentralWidget(central);

    connectGenerate();
    connectEditor();
    connectCalendar();
    connectMedia();
    connectView();
    connectUpload();
    connectSettings();
    connectFolders();
    connectShutdown();
    // Everything fits at this size with room to spare; the body box takes what the window grows by.
    resize(QSize(980, 660).expandedTo(minimumSizeHint()));
}

frmMain::~frmMain() = default;

void frmMain::start() {
    guarded([this] { Form_Load(); });
}

void frmMain::buildMenus() {
    QMenu* file = menuBar()->addMenu(u"ファイル(&F)"_s);
    menuEnd = named(file->addAction(u"終了(&E)"_s), u"menuEnd"_s);
    QMenu* view = menuBar()->addMenu(u"表示(&V)"_s);
    menuIe = named(view->addAction(u"IEで確認(&O)"_s), u"menuIe"_s);
    menuSc = named(view->addAction(u"ソースの表示(&V)"_s), u"menuSc"_s);
    QMenu* help = menuBar()->addMenu(u"ヘルプ(&H)"_s);
    menuVer = named(help->addAction(u"バージョン情報(&A)"_s), u"menuVer"_s);
}

QWidget* frmMain::buildTopBar() {
    auto* bar = new QWidget;
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new QLabel(u"日記フォルダ"_s));
    txtDiaryDir = lineEdit(u"txtDiaryDir"_s, 140);
    txtDiaryDir->setText(u"diary"_s);
    row->addWidget(txtDiaryDir);
    cmdDiaryDir = named(new QPushButton(u"読込"_s), u"cmdDiaryDir"_s);
    cmdFol = named(new QPushButton(u"参照"_s), u"cmdFol"_s);
    row->addWidget(cmdDiaryDir);
    row->addWidget(cmdFol);
    lblNowDiaryDir = named(new QLabel, u"lblNowDiaryDir"_s);
    row->addSpacing(12);
    row->addWidget(lblNowDiaryDir, 1);
    aaa = named(new QPushButton(u"HTMLを作成"_s), u"aaa"_s);
    aaa->setMinimumSize(140, 32);
    row->addWidget(aaa);
    return bar;
}

QWidget* frmMain::buildCalendarColumn() {
    auto* column = new QWidget;
    auto* v = new QVBoxLayout(column);
    v->setContentsMargins(0, 0, 0, 0);

    FraCal = named(new QGroupBox, u"FraCal"_s);
    auto* grid = new QGridLayout(FraCal);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(4);
    const QString heads[7] = {u"日"_s, u"月"_s, u"火"_s, u"水"_s, u"木"_s, u"金"_s, u"土"_s};
    for (int c = 0; c < 7; ++c) {
        QLabel* head = named(new QLabel(heads[c]), u"lblCalWk"_s + QString::number(c + 1));
        head->setAlignment(Qt::AlignCenter);
        if (c == 0 || c == 6) {
            QPalette pal = head->palette();
            pal.setColor(QPalette::WindowText, c == 0 ? QColor(0xFF, 0x00, 0x00) : QColor(0x00, 0x00, 0xFF));
            head->setPalette(pal);
        }
        lblCalWk[c] = head;
        grid->addWidget(head, 0, c);
    }
    for (int k = 1; k <= 42; ++k) {
        auto* cell = named(new DayCell(FraCal), u"lblCalDt_"_s + QString::number(k));
        cell->setFixedSize(34, 28);
        lblCalDt[k] = cell;
        grid->addWidget(cell, 1 + (k - 1) / 7, cellColumn(k));
    }
    // The displayed month's mirror: the month whose page is on screen and is written next.
    lblHDCalYYYY = named(new QLabel(FraCal), u"lblHDCalYYYY"_s);
    lblHDCalMM = named(new QLabel(FraCal), u"lblHDCalMM"_s);
    lblHDCalYYYY->hide();
    lblHDCalMM->hide();
    v->addWidget(FraCal);

    auto* monthRow = new QHBoxLayout;
    txtCalYYYY = lineEdit(u"txtCalYYYY"_s, 56);
    txtCalMM = lineEdit(u"txtCalMM"_s, 36);
    monthRow->addWidget(txtCalYYYY);
    monthRow->addWidget(new QLabel(u"年"_s));
    monthRow->addWidget(txtCalMM);
    monthRow->addWidget(new QLabel(u"月"_s));
    btnShiteigetu = named(new QPushButton(u"指定月"_s), u"btnShiteigetu"_s);
    monthRow->addWidget(btnShiteigetu);
    monthRow->addStretch(1);
    v->addLayout(monthRow);

    auto* moveRow = new QHBoxLayout;
    btnZengetu = named(new QPushButton(u"前月"_s), u"btnZengetu"_s);
    btnJigetu = named(new QPushButton(u"次月"_s), u"btnJigetu"_s);
    moveRow->addWidget(btnZengetu);
    moveRow->addWidget(btnJigetu);
    v->addLayout(moveRow);
    Label5 = named(note(u"※月を移動するとHTMLが自動に作成されます"_s), u"Label5"_s);
    v->addWidget(Label5);

    auto* titleFrame = new QGroupBox(u"サイトのタイトル"_s);
    auto* titleBox = new QVBoxLayout(titleFrame);
    Text10 = lineEdit(u"Text10"_s);
    titleBox->addWidget(Text10);
    v->addWidget(titleFrame);
    v->addStretch(1);
    column->setFixedWidth(FraCal->sizeHint().width() + 8);
    return column;
}

QWidget* frmMain::buildDiaryTab() {
    auto* tab = new QWidget;
    auto* form = new QGridLayout(tab);
    form->addWidget(new QLabel(u"日付"_s), 0, 0);
    lbldiarydate = named(new QLabel, u"lbldiarydate"_s);
    form->addWidget(lbldiarydate, 0, 1, 1, 2);
    form->addWidget(new QLabel(u"タイトル"_s), 1, 0);
    Text5 = lineEdit(u"Text5"_s);
    form->addWidget(Text5, 1, 1, 1, 2);
    form->addWidget(new QLabel(u"本文"_s), 2, 0, Qt::AlignTop);
    Text6 = named(new QPlainTextEdit, u"Text6"_s);
    form->addWidget(Text6, 2, 1, 1, 2);
    Command1 = named(new QPushButton(u"本文削除"_s), u"Command1"_s);
    form->addWidget(Command1, 3, 1, Qt::AlignLeft);
    form->addWidget(note(u"※本文を削除する時は改行も削除して下さい"_s), 3, 2);
    form->addWidget(new QLabel(u"画像\n/動画"_s), 4, 0);
    auto* mediaRow = new QHBoxLayout;
    Text8 = lineEdit(u"Text8"_s);
    Text8->setAcceptDrops(true);
    cmdDia = named(new QPushButton(u"参照"_s), u"cmdDia"_s);
    mediaRow->addWidget(Text8, 1);
    mediaRow->addWidget(cmdDia);
    form->addLayout(mediaRow, 4, 1, 1, 2);
    form->setColumnStretch(2, 1);
    form->setRowStretch(2, 1);
    return tab;
}

QWidget* frmMain::buildSnippetsTab() {
    auto* tab = new QWidget;
    auto* grid = new QGridLayout(tab);
    Text1 = snippetBox(u"Text1"_s);
    Text2 = snippetBox(u"Text2"_s);
    Text4 = lineEdit(u"Text4"_s);
    Text3 = lineEdit(u"Text3"_s);
    Text7 = snippetBox(u"Text7"_s);
    Text4->setReadOnly(true);
    Text3->setReadOnly(true);
    Command9 = named(new QPushButton(u"コピー"_s), u"Command9"_s);
    Command8 = named(new QPushButton(u"コピー"_s), u"Command8"_s);
    Command7 = named(new QPushButton(u"コピー"_s), u"Command7"_s);
    Command5 = named(new QPushButton(u"コピー"_s), u"Command5"_s);
    Command10 = named(new QPushButton(u"コピー"_s), u"Command10"_s);
    const struct {
        const char16_t* label;
        QWidget* box;
        QPushButton* copy;
        int stretch;
    } rows[] = {
        {u"カレンダーコード", Text1, Command9, 2}, {u"stylesheet", Text2, Command8, 2}, {u"body", Text4, Command7, 0},
        {u"javascript", Text3, Command5, 0},        {u"日記本文", Text7, Command10, 3},
    };
    int r = 0;
    for (const auto& row : rows) {
        grid->addWidget(new QLabel(QString::fromUtf16(row.label)), r, 0, Qt::AlignTop);
        grid->addWidget(row.box, r, 1);
        grid->addWidget(row.copy, r, 2, Qt::AlignTop);
        grid->setRowStretch(r, row.stretch);
        ++r;
    }
    grid->setColumnStretch(1, 1);
    return tab;
}

QWidget* frmMain::buildLinksTab() {
    auto* tab = new QWidget;
    auto* grid = new QGridLayout(tab);
    grid->addWidget(new QLabel(u"ファイル名"_s), 0, 1);
    grid->addWidget(new QLabel(u"日本語名"_s), 0, 2);
    for (int k = 0; k < 12; ++k) {
        grid->addWidget(new QLabel(QString::number(k + 1)), k + 1, 0, Qt::AlignRight);
        txtLinkPath[k] = lineEdit(u"txtLinkPath_"_s + QString::number(k));
        txtLinkTitle[k] = lineEdit(u"txtLinkTitle_"_s + QString::number(k));
        grid->addWidget(txtLinkPath[k], k + 1, 1);
        grid->addWidget(txtLinkTitle[k], k + 1, 2);
    }
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(2, 3);
    grid->setRowStretch(13, 1);
    return tab;
}

QWidget* frmMain::buildUploadTab() {
    auto* tab = new QWidget;
    auto* row = new QHBoxLayout(tab);

    auto* connection = new QGroupBox(u"接続先情報"_s);
    auto* form = new QFormLayout(connection);
    txtFTP = lineEdit(u"txtFTP"_s);
    txtID = lineEdit(u"txtID"_s);
    txtPass = lineEdit(u"txtPass"_s);
    txtPass->setEchoMode(QLineEdit::Password);
    txtRoot = lineEdit(u"txtRoot"_s);
    form->addRow(u"接続先"_s, txtFTP);
    form->addRow(u"ユーザーID"_s, txtID);
    form->addRow(u"パスワード"_s, txtPass);
    form->addRow(new QLabel(u"アップロード先\n(ルート以下)"_s), txtRoot);
    form->addRow(note(u"※ディレクトリの区切りは「\\」では無く「/」を使用して下さい"_s));
    cmdSAVE = named(new QPushButton(u"設定保存"_s), u"cmdSAVE"_s);
    form->addRow(cmdSAVE);
    row->addWidget(connection, 2);

    auto* upload = new QGroupBox(u"アップロード"_s);
    auto* v = new QVBoxLayout(upload);
    List1 = named(new QListWidget, u"List1"_s);
    List1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    v->addWidget(List1, 1);
    v->addWidget(note(u"※フォルダのアップロードはフォルダ内すべてをアップロードします"_s));
    chksaku = named(new QCheckBox(u"アップロード後、[image]フォルダ内のファイルを削除する"_s), u"chksaku"_s);
    v->addWidget(chksaku);
    auto* buttons = new QHBoxLayout;
    cmdUP = named(new QPushButton(u"アップロード"_s), u"cmdUP"_s);
    cmdLoad = named(new QPushButton(u"再読込み"_s), u"cmdLoad"_s);
    buttons->addWidget(cmdUP);
    buttons->addWidget(cmdLoad);
    buttons->addStretch(1);
    v->addLayout(buttons);
    row->addWidget(upload, 3);
    return tab;
}

QWidget* frmMain::buildSettingsTab() {
    auto* tab = new QWidget;
    auto* v = new QVBoxLayout(tab);
    auto* sizes = new QHBoxLayout;

    auto* image = new QGroupBox(u"画像サイズ"_s);
    auto* imageForm = new QFormLayout(image);
    for (int i = 0; i < 2; ++i)
        txtImg[i] = lineEdit(u"txtImg_"_s + QString::number(i), 80);
    imageForm->addRow(u"横幅"_s, txtImg[0]);
    imageForm->addRow(u"縦幅"_s, txtImg[1]);
    chkimg = named(new QCheckBox(u"オリジナルサイズで表示"_s), u"chkimg"_s);
    imageForm->addRow(chkimg);
    sizes->addWidget(image);

    auto* video = new QGroupBox(u"動画サイズ"_s);
    auto* videoForm = new QFormLayout(video);
    for (int i = 0; i < 2; ++i)
        txtImg2[i] = lineEdit(u"txtImg2_"_s + QString::number(i), 80);
    videoForm->addRow(u"横幅"_s, txtImg2[0]);
    videoForm->addRow(u"縦幅"_s, txtImg2[1]);
    sizes->addWidget(video);
    sizes->addStretch(1);
    v->addLayout(sizes);

    // Which days the calendar and the month pages mark as holidays.
    FraHol = named(new QGroupBox(u"祝日の規則"_s), u"FraHol"_s);
    auto* holidays = new QVBoxLayout(FraHol);
    optHolClassic = named(new QRadioButton(u"従来の規則"_s), u"optHolClassic"_s);
    optHolLaw = named(new QRadioButton(u"現行の祝日法"_s), u"optHolLaw"_s);
    optHolClassic->setChecked(true);
    holidays->addWidget(optHolClassic);
    holidays->addWidget(optHolLaw);
    auto* holidayRow = new QHBoxLayout;
    holidayRow->addWidget(FraHol);
    holidayRow->addStretch(1);
    v->addLayout(holidayRow);

    auto* save = new QHBoxLayout;
    cmdEtcIniSave = named(new QPushButton(u"設定保存"_s), u"cmdEtcIniSave"_s);
    save->addWidget(cmdEtcIniSave);
    save->addStretch(1);
    v->addLayout(save);
    v->addStretch(1);
    return tab;
}

void frmMain::guarded(const std::function<void()>& command) {
    try {
        command();
    } catch (...) {
        // Whatever went wrong, the window stays usable; what was already written stays.
        try {
            tell(messageText(Msg::ErrorOccurred));
        } catch (...) {
        }
    }
}

void frmMain::onClick(QAbstractButton* button, void (frmMain::*handler)()) {
    connect(button, &QAbstractButton::clicked, this, [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
}

void frmMain::tell(const QString& text) { services_.messages->tell(text); }
void frmMain::tell(const Outcome& outcome) { tell(messageText(outcome)); }

frmMain::DateTexts frmMain::todayTexts() const {
    const QDate today = services_.clock->today();
    return {QString::asprintf("%04d", today.year()), QString::asprintf("%02d", today.month()),
            QString::asprintf("%02d", today.day())};
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && (watched == Text5 || watched == Text6 || watched == Text8))
        guarded([this] { Text_GotFocus(); });
    return QMainWindow::eventFilter(watched, event);
}

} // namespace tsuzuri
