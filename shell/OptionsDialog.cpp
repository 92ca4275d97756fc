#include "shell/OptionsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QStackedWidget>
#include <QTreeWidget>

#include <array>
#include <cstring>

#include "conversion/CodePageLists.h"
#include "conversion/ConversionLayer.h"
#include "export/pickbatch/FailureReporter.h"
#include "export/pickbatch/WholeTextFit.h"
#include "settings/SettingsFile.h"
#include "shell/UserDialogs.h"

namespace quelvane {

namespace {

constexpr int kWidth = 603;
constexpr int kHeight = 432;
constexpr int kEditLeft = 93;
constexpr int kLabelLeft = 6;
constexpr int kRowHeight = 21;
// The choice of decoding by stored CCSID, below the two code-page lists.
constexpr int kStoredCcsidTop = 125;
constexpr int kStoredCcsidWidth = 405;
// What the pair is for, above the lists, and the save's suggestion, below the choice.
constexpr int kPurposeTop = 18;
constexpr int kPurposeHeight = 30;
constexpr int kSuggestedTop = 155;

constexpr std::array<std::uint8_t, 31> kTestPattern = {
    0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0x40, 0x81, 0x82, 0x83, 0x84, 0x85,
    0x86, 0x87, 0x88, 0x89, 0x40, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x00};

// The password edit shows "*" for each character, whatever the style's own mask is.
class AsteriskStyle final : public QProxyStyle {
  public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter) {
            return '*';
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QString notAnInteger(const QString& text) {
    return QStringLiteral("''%1'' is not a valid integer value").arg(text);
}

QString latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QLineEdit* addEdit(QWidget* page, const QString& caption, int top, int width) {
    auto* label = new QLabel(caption, page);
    label->setGeometry(kLabelLeft, top + 3, kEditLeft - kLabelLeft, kRowHeight - 4);
    auto* edit = new QLineEdit(page);
    edit->setGeometry(kEditLeft, top, width, kRowHeight);
    return edit;
}

QComboBox* addList(QWidget* page, const QString& objectName, const QString& caption, int top) {
    auto* label = new QLabel(caption, page);
    label->setGeometry(kLabelLeft, top + 3, kEditLeft - kLabelLeft, kRowHeight - 4);
    auto* list = new QComboBox(page);
    list->setObjectName(objectName);
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->setGeometry(kEditLeft, top, 321, kRowHeight + 2);
    return list;
}

}  // namespace

OptionsDialog::OptionsDialog(SettingsFile& settings, ConversionLayer& conversion, UserDialogs& dialogs,
                             std::function<void(int)> applyCharset, QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      conversion_(conversion),
      dialogs_(dialogs),
      applyCharset_(std::move(applyCharset)) {
    setObjectName(QStringLiteral("TForm4"));
    setWindowTitle(QStringLiteral("Options"));
    setFixedSize(kWidth, kHeight);
    setModal(false);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    setFont(font);

    pageTree_ = new QTreeWidget(this);
    pageTree_->setObjectName(QStringLiteral("TreeView1"));
    pageTree_->setHeaderHidden(true);
    pageTree_->setGeometry(8, 8, 145, 340);
    for (const char* node : {"Code Conversion", "Host", "Work Directory"}) {
        pageTree_->addTopLevelItem(new QTreeWidgetItem(QStringList(QString::fromLatin1(node))));
    }
    connect(pageTree_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { selectPage(pageTree_->indexOfTopLevelItem(item)); });

    pages_ = new QStackedWidget(this);
    pages_->setGeometry(159, 8, 425, 340);
    pages_->addWidget(addConversionPage());
    pages_->addWidget(addHostPage());
    pages_->addWidget(addWorkPage());
    addCommandButtons();

    selectStoredRows();
    showStoredHostAndDirectories();
    selectPage(0);
    WholeTextFit::follow(this);
}

QWidget* OptionsDialog::addConversionPage() {
    auto* page = new QGroupBox(QStringLiteral("EBCDIC to ASCII conversion"), pages_);
    ccsidList_ = addList(page, QStringLiteral("ComboBoxE"), QStringLiteral("EBCDIC  CCSID:"), 53);
    pcPageList_ = addList(page, QStringLiteral("ComboBoxA"), QStringLiteral("PC-Code Page:"), 87);
    for (const auto& row : kCcsidRows) {
        ccsidList_->addItem(latin1(row.text));
    }
    for (const auto& row : kPcCodePageRows) {
        pcPageList_->addItem(latin1(row));
    }
    connect(ccsidList_, &QComboBox::activated, this, &OptionsDialog::pickPcRowFor);
    auto* purpose =
        new QLabel(QStringLiteral("The pair reads text the save stores no CCSID for (all text with the box "
                                  "below off); exports are written in the PC page."),
                   page);
    purpose->setObjectName(QStringLiteral("PairPurpose"));
    purpose->setWordWrap(true);
    purpose->setGeometry(kLabelLeft, kPurposeTop, kStoredCcsidWidth, kPurposeHeight);
    suggested_ = new QLabel(page);
    suggested_->setObjectName(QStringLiteral("PairSuggested"));
    suggested_->setGeometry(kLabelLeft, kSuggestedTop, kStoredCcsidWidth, kRowHeight);
    byStoredCcsid_ = new QCheckBox(QStringLiteral("Decode text by the CCSIDs stored in the save file"), page);
    byStoredCcsid_->setObjectName(QStringLiteral("CheckByStoredCcsid"));
    byStoredCcsid_->setGeometry(kLabelLeft, kStoredCcsidTop, kStoredCcsidWidth, kRowHeight);
    return page;
}

QWidget* OptionsDialog::addHostPage() {
    auto* page = new QGroupBox(QStringLiteral("Host"), pages_);
    host_ = addEdit(page, QStringLiteral("Host:"), 24, 121);
    user_ = addEdit(page, QStringLiteral("User:"), 56, 91);
    password_ = addEdit(page, QStringLiteral("Password:"), 88, 113);
    port_ = addEdit(page, QStringLiteral("Port:"), 120, 44);
    password_->setEchoMode(QLineEdit::Password);
    auto* asterisks = new AsteriskStyle;
    asterisks->setParent(this);
    password_->setStyle(asterisks);
    connect(user_, &QLineEdit::textEdited, this, [this](const QString& text) {
        const int cursor = user_->cursorPosition();
        user_->setText(text.toUpper());
        user_->setCursorPosition(cursor);
    });
    return page;
}

QWidget* OptionsDialog::addWorkPage() {
    auto* page = new QGroupBox(QStringLiteral("Work Directory"), pages_);
    local_ = addEdit(page, QStringLiteral("Local work :"), 24, 220);
    remote_ = addEdit(page, QStringLiteral("Remote LIB:"), 56, 220);
    return page;
}

void OptionsDialog::addCommandButtons() {
    auto* confirmButton = new QPushButton(QStringLiteral("Confirm"), this);
    confirmButton->setGeometry(159, 384, 75, 25);
    connect(confirmButton, &QPushButton::clicked, this,
            [this] { FailureReporter::guard([this] { confirm(); }); });
    auto* cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setGeometry(312, 384, 75, 25);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::hide);
}

void OptionsDialog::showStoredHostAndDirectories() {
    const ProgramSettings::HostLogin login = settings_.hostLogin();
    host_->setText(QString::fromStdString(login.host));
    user_->setText(QString::fromStdString(login.user));
    password_->setText(QString::fromStdString(login.password));
    port_->setText(QString::number(settings_.port()));
    const ProgramSettings::WorkingDirectories directories = settings_.workingDirectories();
    local_->setText(QString::fromStdString(directories.local));
    remote_->setText(QString::fromStdString(directories.remote));
}

void OptionsDialog::selectStoredRows() {
    // A stored row outside its list leaves the list without a selection.
    const ProgramSettings::ListRows rows = settings_.listRows();
    ccsidList_->setCurrentIndex(rows.ccsid);
    pcPageList_->setCurrentIndex(rows.pc);
    byStoredCcsid_->setChecked(settings_.decodesByStoredCcsid());
    suggested_->clear();
}

void OptionsDialog::showOptions() {
    selectStoredRows();
    showWithoutReading();
}

void OptionsDialog::showWithoutReading() {
    show();
    raise();
    activateWindow();
}

void OptionsDialog::selectPage(int page) {
    if (page >= 0 && page < pages_->count()) {
        pages_->setCurrentIndex(page);
        pageTree_->setCurrentItem(pageTree_->topLevelItem(page));
    }
}

void OptionsDialog::pickPcRowFor(int ccsidRow) {
    if (ccsidRow < 0 || ccsidRow >= static_cast<int>(kCcsidRows.size())) {
        return;
    }
    if (const auto pcRow = kCcsidRows[static_cast<std::size_t>(ccsidRow)].pcRow) {
        pcPageList_->setCurrentIndex(*pcRow);
    }
}

void OptionsDialog::suggest(std::int32_t hostPage) {
    for (std::size_t row = 0; row < kCcsidRows.size(); ++row) {
        if (ebcdicCodePageOfRow(kCcsidRows[row].text) == hostPage) {
            ccsidList_->setCurrentIndex(static_cast<int>(row));
            pickPcRowFor(static_cast<int>(row));
            suggested_->setText(QStringLiteral("Selected as the save file's texts suggest."));
            return;
        }
    }
}

void OptionsDialog::confirm() {
    const QString caption = QCoreApplication::applicationName();
    // The lists can be typed into: what counts is the text, and the row it names if any.
    const std::string ccsidText = ccsidList_->currentText().toStdString();
    const std::string pcText = pcPageList_->currentText().toStdString();
    const auto ebcdic = ebcdicCodePageOfRow(ccsidText);
    if (!ebcdic) {
        dialogs_.showMessage(this, caption, notAnInteger(latin1(ebcdicCodePageField(ccsidText))));
        return;
    }
    conversion_.EbcdicCodePage = *ebcdic;
    const auto pc = pcCodePageOfRow(pcText);
    if (!pc) {
        dialogs_.showMessage(this, caption, notAnInteger(latin1(pcCodePageField(pcText))));
        return;
    }
    conversion_.PcCodePage = *pc;

    std::array<std::uint8_t, kTestPattern.size()> target{};
    const std::uint32_t status =
        conversion_.ConvertEbcdicText(kTestPattern.data(), kTestPattern.size(), target.data());
    if (status != 0) {
        dialogs_.showMessage(this, caption,
                             QString::fromLocal8Bit(std::strerror(static_cast<int>(status))) +
                                 QStringLiteral(" Cannot support conversion beteen these 2 code pages.\n"
                                                "Maybe both or one of these 2 code pages are not installed "
                                                "in this Windows System"));
        return;
    }
    if (!writeAll(
            ccsidList_->findText(ccsidList_->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive),
            pcPageList_->findText(pcPageList_->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive))) {
        return;
    }
    applyCharset_(conversion_.PcCodePage);
    hide();
    emit confirmed();
}

bool OptionsDialog::writeAll(int ccsidRow, int pcRow) {
    settings_.writeListRows({ccsidRow, pcRow});
    settings_.writeCodePages({conversion_.EbcdicCodePage, conversion_.PcCodePage});
    // The key is written once the choice was made, so files of earlier versions keep their keys.
    if (byStoredCcsid_->isChecked() || settings_.decodesByStoredCcsid()) {
        settings_.writeDecodesByStoredCcsid(byStoredCcsid_->isChecked());
    }
    settings_.writeHostLogin(
        {host_->text().toStdString(), user_->text().toStdString(), password_->text().toStdString()});
    const auto port = parseDecimal(port_->text().toStdString());
    if (!port) {
        dialogs_.showMessage(this, QCoreApplication::applicationName(), notAnInteger(port_->text()));
        return false;
    }
    settings_.writePort(*port);
    settings_.writeWorkingDirectories({local_->text().toStdString(), remote_->text().toStdString()});
    return true;
}

}  // namespace quelvane
