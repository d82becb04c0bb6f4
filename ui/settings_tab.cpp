#include "ui/settings_tab.h"

#include "diary/diary_session.h"
#include "diary/folder_commands.h"
#include "ui/check_value.h"
#include "ui/plain_text.h"
#include "ui_settings_tab.h"

#include <QSignalBlocker>

namespace tsuzuri {

SettingsTab::SettingsTab(QWidget* parent) : QWidget(parent), ui_(std::make_unique<Ui::SettingsTab>()) {
    ui_->setupUi(this);
}

SettingsTab::~SettingsTab() = default;

void SettingsTab::bind(DiarySession& session) {
    session_ = &session;
    for (QLineEdit* box : {ui_->imageWidthEdit, ui_->imageHeightEdit, ui_->videoWidthEdit, ui_->videoHeightEdit})
        connect(box, &QLineEdit::textEdited, this, &SettingsTab::takeSizes);
    connect(ui_->originalSizeCheck, &QCheckBox::clicked, this, &SettingsTab::takeSizes);
    // One of the two goes on whenever the other goes off: one signal covers both.
    connect(ui_->lawRulesButton, &QRadioButton::toggled, &session, [&session](bool law) {
        session.folders().setHolidayRules(law ? HolidayRules::Law : HolidayRules::Classic);
    });
    connect(ui_->saveSizesButton, &QPushButton::clicked, &session, [&session] { session.folders().saveSizes(); });
    connect(&session, &DiarySession::settingsChanged, this, &SettingsTab::showSettings);
    showSettings();
}

void SettingsTab::showSettings() {
    const SizeSettings& s = session_->sizes();
    const std::pair<QLineEdit*, const QString*> boxes[] = {{ui_->imageWidthEdit, &s.imageWidth},
                                                           {ui_->imageHeightEdit, &s.imageHeight},
                                                           {ui_->videoWidthEdit, &s.videoWidth},
                                                           {ui_->videoHeightEdit, &s.videoHeight}};
    for (const auto& [box, text] : boxes)
        setTextIfOther(box, *text);
    setCheckValue(ui_->originalSizeCheck, s.originalSize);
    const QSignalBlocker classic(ui_->classicRulesButton);
    const QSignalBlocker law(ui_->lawRulesButton);
    (s.holidays == HolidayRules::Law ? ui_->lawRulesButton : ui_->classicRulesButton)->setChecked(true);
}

void SettingsTab::takeSizes() {
    SizeSettings s;
    s.imageWidth = ui_->imageWidthEdit->text();
    s.imageHeight = ui_->imageHeightEdit->text();
    s.videoWidth = ui_->videoWidthEdit->text();
    s.videoHeight = ui_->videoHeightEdit->text();
    s.originalSize = checkValue(ui_->originalSizeCheck);
    session_->setSizes(s);
}

} // namespace tsuzuri
