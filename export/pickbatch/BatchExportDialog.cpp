#include "export/pickbatch/BatchExportDialog.h"
#include "export/pickbatch/WholeTextFit.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>

#include <algorithm>

namespace quelvane {

namespace {

constexpr int kWidth = 451;
constexpr int kHeight = 282;

QLabel* addLabel(QWidget* parent, const char* name, const QString& text, int left, int top) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(left, top);
    label->adjustSize();
    return label;
}

QPushButton* addButton(QWidget* parent, const char* name, const QString& text, QRect place) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(place);
    return button;
}

QString defaultChooser(QWidget* parent, const QString& start) {
    // Qt's own directory dialog lets the user make a new directory and asks for its name.
    return QFileDialog::getExistingDirectory(parent, QString(), start,
                                             QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
}

}  // namespace

BatchExportDialog::BatchExportDialog(QWidget* parent)
    : QDialog(parent),
      decode_([](const std::string& text) {
          return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
      }),
      encode_([](const QString& text) { return text.toLatin1().toStdString(); }),
      chooseDirectory_(defaultChooser) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Pick out files in batch"));
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    setFont(font);
    setFixedSize(kWidth, kHeight);

    addFileLabels();
    // Created in the order Tab moves through them: the directory row, the commands, the types.
    addDirectoryRow();
    addCommandButtons();
    addFileTypes();
    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName(QStringLiteral("StatusBar1"));
    statusBar_->setSizeGripEnabled(false);
    statusBar_->setGeometry(0, 263, 451, 19);
    WholeTextFit::follow(this);
}

// The chosen library, file and member count along the top; the file's place in the catalog,
// kept hidden below.
void BatchExportDialog::addFileLabels() {
    addLabel(this, "Label2", QStringLiteral("Library:"), 24, 8);
    addLabel(this, "Label3", QStringLiteral("Physics File:"), 160, 8);
    library_ = addLabel(this, "lib", QString(), 64, 8);
    fileName_ = addLabel(this, "pf", QString(), 224, 8);
    part_ = addLabel(this, "desc", QString(), 8, 224);
    part_->hide();
    object_ = addLabel(this, "obj", QString(), 8, 248);
    object_->hide();
    addLabel(this, "Label4", QStringLiteral("Members:"), 320, 8);
    memberCount_ = addLabel(this, "memnum", QString(), 376, 8);
}

// The target directory: its caption, the read-only path and "Select ...".
void BatchExportDialog::addDirectoryRow() {
    QLabel* caption = addLabel(this, "Label1", QStringLiteral("SelectDirectory  to  save files:"), 24, 168);
    QFont arial(QStringLiteral("Arial"));
    arial.setPixelSize(13);
    caption->setFont(arial);
    caption->adjustSize();

    directoryEdit_ = new QLineEdit(this);
    directoryEdit_->setObjectName(QStringLiteral("Edit1"));
    directoryEdit_->setReadOnly(true);
    directoryEdit_->setGeometry(16, 192, 345, 21);

    QPushButton* select = addButton(this, "Button1", QStringLiteral("Select ..."), {368, 192, 73, 25});
    QFont bold(QStringLiteral("Arial"));
    bold.setBold(true);
    select->setFont(bold);
    select->setAutoDefault(false);
    connect(select, &QPushButton::clicked, this, &BatchExportDialog::selectDirectory);
}

void BatchExportDialog::addCommandButtons() {
    QPushButton* confirm = addButton(this, "Button2", QStringLiteral("Confirm"), {256, 232, 75, 25});
    QPushButton* cancel = addButton(this, "Button3", QStringLiteral("Cancel"), {104, 232, 75, 25});
    confirm->setAutoDefault(false);
    cancel->setAutoDefault(false);
    connect(confirm, &QPushButton::clicked, this, &BatchExportDialog::confirmed);
    connect(cancel, &QPushButton::clicked, this, &BatchExportDialog::closeDialog);
}

// The three file types and the text writer's splitter option beside them.
void BatchExportDialog::addFileTypes() {
    fileTypeBox_ = new QGroupBox(QStringLiteral("The File Type to save :"), this);
    fileTypeBox_->setObjectName(QStringLiteral("FileType1"));
    fileTypeBox_->setGeometry(24, 32, 401, 129);
    for (std::size_t i = 0; i < kExportFormats.size(); ++i) {
        types_[i] = new QRadioButton(QLatin1StringView(kExportFormats[i].batchCaption), fileTypeBox_);
        const int row = static_cast<int>(i);
        types_[i]->setObjectName(QStringLiteral("FileType1_%1").arg(row));
        types_[i]->setGeometry(8, 24 + 32 * row, 160, 17);
        connect(types_[i], &QRadioButton::toggled, this, [this](bool on) {
            if (on) {
                fileTypeChosen();
            }
        });
    }

    splitterCheck_ = new QCheckBox(QStringLiteral("With splitter code \"I\""), this);
    splitterCheck_->setObjectName(QStringLiteral("CheckBox1"));
    splitterCheck_->setGeometry(200, 56, 161, 17);
    // Text files in UTF-8 keep the characters the PC page lacks.
    utf8Check_ = new QCheckBox(QStringLiteral("Text in UTF-8"), this);
    utf8Check_->setObjectName(QStringLiteral("CheckUtf8"));
    utf8Check_->setGeometry(200, 88, 161, 17);
    auto* oneFile = new QCheckBox(QStringLiteral("In One file  and member as  a sheet"), this);
    oneFile->setObjectName(QStringLiteral("CheckBox2"));
    oneFile->setGeometry(200, 128, 193, 17);
    oneFile->setEnabled(false);
    types_[0]->setChecked(true);
}

bool BatchExportDialog::splitterOption() const {
    return splitterCheck_->isChecked();
}

bool BatchExportDialog::utf8Option() const {
    return utf8Check_->isChecked() && fileType() == kTextFile;
}

void BatchExportDialog::setTextCodec(Decoder decode, Encoder encode) {
    decode_ = std::move(decode);
    encode_ = std::move(encode);
}

void BatchExportDialog::setDirectoryChooser(DirectoryChooser chooser) {
    chooseDirectory_ = std::move(chooser);
}

void BatchExportDialog::fill(const Contents& contents) {
    file_ = contents.file;
    part_->setText(QString::number(contents.file.part));
    object_->setText(QString::number(contents.file.object));
    library_->setText(decode_(contents.libraryName));
    fileName_->setText(decode_(contents.fileName));
    memberCount_->setText(decode_(contents.memberCount));
    for (QLabel* label : {part_, object_, library_, fileName_, memberCount_}) {
        label->adjustSize();
    }
    directoryEdit_->setText(QFile::decodeName(contents.directory.c_str()));
}

void BatchExportDialog::showDialog() {
    if (!isVisible()) {
        if (const QScreen* screen = this->screen()) {
            move(screen->availableGeometry().center() - rect().center());
        }
    }
    show();
    raise();
    activateWindow();
}

void BatchExportDialog::closeDialog() {
    hide();
}

ObjectRef BatchExportDialog::chosenFile() const {
    return file_;
}

std::string BatchExportDialog::directory() const {
    return QFile::encodeName(directoryEdit_->text()).toStdString();
}

ExportFormat BatchExportDialog::fileType() const {
    for (std::size_t i = 0; i < kExportFormats.size(); ++i) {
        if (types_[i]->isChecked()) {
            return kExportFormats[i].format;
        }
    }
    return kTextFile;
}

void BatchExportDialog::setStatusText(const std::string& text) {
    statusBar_->showMessage(decode_(text));
    statusBar_->repaint();
}

void BatchExportDialog::showProgress(std::int32_t done, std::int32_t total) {
    if (progress_ == nullptr) {
        progress_ = new QProgressDialog(this);
        progress_->setObjectName(QStringLiteral("BatchProgress"));
        progress_->setWindowTitle(windowTitle());
        // Application-modal: the run reads the catalog the main window could otherwise replace.
        progress_->setWindowModality(Qt::ApplicationModal);
        progress_->setAutoClose(false);
        progress_->setAutoReset(false);
        progress_->setMinimumDuration(0);
        auto* bar = new QProgressBar(progress_);
        bar->setFormat(QStringLiteral("%v of %m members"));
        progress_->setBar(bar);
    }
    progress_->setLabelText(statusBar_->currentMessage());
    progress_->setMaximum(std::max(total, 1));
    progress_->setValue(std::min(done, progress_->maximum()));
    progress_->show();
}

void BatchExportDialog::endProgress() {
    if (progress_ != nullptr) {
        progress_->deleteLater();
        progress_ = nullptr;
    }
}

bool BatchExportDialog::cancelRequested() {
    if (progress_ == nullptr) {
        return false;
    }
    // The writers run in this thread: the progress window's Cancel is only seen if its events run.
    QCoreApplication::processEvents();
    return progress_->wasCanceled();
}

void BatchExportDialog::selectDirectory() {
    const QString start = startFolder_.isEmpty() ? QDir::currentPath() : startFolder_;
    directoryEdit_->setText(start);
    const QString chosen = chooseDirectory_(this, start);
    if (!chosen.isEmpty()) {
        directoryEdit_->setText(QDir::cleanPath(chosen));
    }
}

void BatchExportDialog::fileTypeChosen() {
    splitterCheck_->setEnabled(fileType() == kTextFile);
    utf8Check_->setEnabled(fileType() == kTextFile);
}

}  // namespace quelvane
