#include "shell/AboutDialog.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>

#include "export/pickbatch/WholeTextFit.h"
#include "savefile/VersionText.h"
#include "shell/Credits.h"
#include "shell/LinkLabel.h"

namespace quelvane {

namespace {

constexpr int kWidth = 428;
constexpr int kHeight = 412;
constexpr int kPictureHeight = 254;
constexpr int kLeft = 112;
constexpr int kVersionTop = 272;
constexpr int kLineHeight = 24;

}  // namespace

AboutDialog::AboutDialog(UserDialogs& dialogs, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TForm2"));
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(kWidth, kHeight);
    setModal(false);

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setGeometry(0, 0, kWidth, kPictureHeight);
    picture->setPixmap(QPixmap(QStringLiteral(":/icons/about.svg")).scaled(kWidth, kPictureHeight));
    picture->setAttribute(Qt::WA_TransparentForMouseEvents);

    version_ = new QLabel(this);
    version_->setObjectName(QStringLiteral("Version"));
    QFont bold(QStringLiteral("MS Sans Serif"));
    bold.setPixelSize(15);
    bold.setBold(true);
    version_->setFont(bold);
    version_->setGeometry(kLeft, kVersionTop, kWidth - kLeft, kLineHeight);

    int top = kVersionTop + kLineHeight + kLineHeight / 2;
    for (auto* link : Credits::addLinks(dialogs, this)) {
        link->setGeometry(kLeft, top, kWidth - kLeft, kLineHeight);
        top += kLineHeight;
    }
    auto* rights = new QLabel(Credits::rightsNotice(), this);
    rights->setGeometry(kLeft, top, kWidth - kLeft, kLineHeight);
    WholeTextFit::follow(this);
}

void AboutDialog::showAbout() {
    version_->setText(QString::fromStdString(VersionText()));
    show();
    raise();
    activateWindow();
}

void AboutDialog::mousePressEvent(QMouseEvent* event) {
    // Labels pass their presses on to the box: only a press on the background closes it.
    if (childAt(event->position().toPoint()) == nullptr) {
        hide();
    }
    event->accept();
}

}  // namespace quelvane
